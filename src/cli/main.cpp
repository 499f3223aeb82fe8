#include "CliDiagnostics.h"
#include "CliExit.h"
#include "ConvertCommand.h"
#include "DocumentCommands.h"
#include "ImportCommand.h"
#include "ScriptCommands.h"
#include "platform/AlertSheetModal.h"
#include "platform/PolicyAlertPresenter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace {

const char kUsage[] =
    "Usage: rowsmith-cli COMMAND [options]\n"
    "\n"
    "Commands:\n"
    "  import FILE [--quoted] [--print | --json]\n"
    "      Import a CSV or list file and print what was found.\n"
    "  convert FILE -o OUT [--encoding utf-8|shift-jis|euc-jp] [--crlf] [--quoted]\n"
    "                      [--all | --where \"TITLE:KEYWORDS\"]\n"
    "      Import FILE and export its marked rows as CSV (or the list as OUT.pgcl).\n"
    "  new DOC.pgcd --import FILE [--title T] [--import FILE [--title T] ...] [--quoted] [--protect]\n"
    "      Make a document package holding each FILE as a stored list.\n"
    "  info DOC.pgcd [--json]\n"
    "      Print a document's lists, row counts, searches and work logs.\n"
    "  show DOC.pgcd --list T [--print | --json]\n"
    "      Print one stored list of a document.\n"
    "  export DOC.pgcd --list T -o OUT [convert's export options]\n"
    "      Export a stored list of a document.\n"
    "  option DOC.pgcd --list T --set FILE.json\n"
    "      Store an option (titled script sources) with a stored list.\n"
    "  run DOC.pgcd --list T [--option O] [--manual] [--dry-run]\n"
    "      Run the list's option scripts; save when cells changed.\n"
    "  eval DOC.pgcd --list T 'CODE'\n"
    "      Evaluate one piece of script code against the list.\n"
    "\n"
    "Protected packages take their password title and password from\n"
    "ROWSMITH_PASSWORD_TITLE and ROWSMITH_PASSWORD, from the descriptor named by\n"
    "ROWSMITH_PASSWORD_FD (two lines), or from the terminal; never from arguments.\n"
    "\n"
    "rowsmith-cli COMMAND --help describes a command.\n"
    "Exit codes: 0 success, 1 failure, 2 usage error.\n";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    CliDiagnostics diagnostics;
    QCoreApplication::setApplicationName(QStringLiteral("rowsmith-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ROWSMITH_VERSION));

    // Without a window nobody can answer an alert: each one is printed and
    // answered with its default (safe) button.
    QTextStream err(stderr);
    PolicyAlertPresenter alerts;
    alerts.setEcho(&err);
    AlertSheetModal::setPresenter(&alerts);
    struct PresenterReset
    {
        ~PresenterReset() { AlertSheetModal::setPresenter(nullptr); }
    } presenterReset;

    QStringList arguments = QCoreApplication::arguments();
    const QString command = arguments.size() > 1 ? arguments.at(1) : QString();
    using Runner = int (*)(const QStringList &);
    const QList<std::pair<QLatin1StringView, Runner>> commands{
        {QLatin1StringView("import"), &ImportCommand::run},
        {QLatin1StringView("convert"), &ConvertCommand::run},
        {QLatin1StringView("new"), &DocumentCommands::runNew},
        {QLatin1StringView("info"), &DocumentCommands::runInfo},
        {QLatin1StringView("show"), &DocumentCommands::runShow},
        {QLatin1StringView("export"), &DocumentCommands::runExport},
        {QLatin1StringView("option"), &ScriptCommands::runOption},
        {QLatin1StringView("run"), &ScriptCommands::runRun},
        {QLatin1StringView("eval"), &ScriptCommands::runEval},
    };
    for (const auto &[name, runner] : commands) {
        if (command == name) {
            arguments.removeAt(1);
            arguments[0] += QLatin1Char(' ') + command;
            return runner(arguments);
        }
    }

    QTextStream out(stdout);
    if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        out << "rowsmith-cli " << QCoreApplication::applicationVersion() << '\n';
        return CliExit::kSuccess;
    }
    if (command.isEmpty() || command == QLatin1String("--help") || command == QLatin1String("-h")
        || command == QLatin1String("help")) {
        out << kUsage;
        return command.isEmpty() ? CliExit::kUsage : CliExit::kSuccess;
    }
    return CliExit::usage(err, QStringLiteral("unknown command \"%1\"").arg(command));
}
