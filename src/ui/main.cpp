#include "DesktopApplication.h"
#include "Icons.h"


#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rowsmith"));
    QApplication::setOrganizationName(QStringLiteral("Rowsmith"));
    QApplication::setApplicationVersion(QStringLiteral(ROWSMITH_VERSION));
    QApplication::setWindowIcon(Icons::named(QStringLiteral("rowsmith")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QObject::tr("Prepares tabular data: lists, searches and exports."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QObject::tr("Documents (.pgcd) to open, CSV or list files (.pgcl) to import."),
                                 QStringLiteral("[FILE...]"));
    parser.process(app);

    DesktopApplication desktop;
    QObject::connect(&desktop, &DesktopApplication::quitReady, &app, &QCoreApplication::quit);
    switch (desktop.start(parser.positionalArguments())) {
    case DesktopApplication::Start::HandedOver:
        return 0;
    case DesktopApplication::Start::Refused:
        QMessageBox::critical(nullptr, QApplication::applicationName(),
                              QObject::tr("Rowsmith is already running and did not answer. Use the open "
                                          "window, or quit it before starting another."));
        return 1;
    case DesktopApplication::Start::Running:
        break;
    }

    return app.exec();
}
