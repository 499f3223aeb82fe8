#include "CliExit.h"
#include "ConvertCommand.h"
#include "ImportCommand.h"
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
    "\n"
    "rowsmith-cli COMMAND --help describes a command.\n"
    "Exit codes: 0 success, 1 failure, 2 usage error.\n";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
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
    if (command == QLatin1String("import") || command == QLatin1String("convert")) {
        arguments.removeAt(1);
        arguments[0] += QLatin1Char(' ') + command;
        return command == QLatin1String("import") ? ImportCommand::run(arguments)
                                                   : ConvertCommand::run(arguments);
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
