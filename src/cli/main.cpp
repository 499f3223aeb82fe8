#include "platform/AlertSheetModal.h"
#include "platform/PolicyAlertPresenter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("rowsmith-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ROWSMITH_VERSION));

    // Without a window nobody can answer an alert: each one is printed and
    // answered with its default (safe) button.
    QTextStream alertStream(stderr);
    PolicyAlertPresenter alerts;
    alerts.setEcho(&alertStream);
    AlertSheetModal::setPresenter(&alerts);
    struct PresenterReset
    {
        ~PresenterReset() { AlertSheetModal::setPresenter(nullptr); }
    } presenterReset;

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Rowsmith command-line tool: prepares tabular data without a window."));
    parser.addHelpOption();
    parser.addVersionOption();
    if (!parser.parse(QCoreApplication::arguments())) {
        QTextStream(stderr) << parser.errorText() << '\n';
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        QTextStream(stderr) << "rowsmith-cli: unknown command: "
                            << parser.positionalArguments().constFirst() << '\n';
        return 2;
    }
    parser.showHelp(0);
}
