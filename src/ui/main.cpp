#include "MessageBoxAlertPresenter.h"
#include "WidgetsAppPlatform.h"
#include "app/AppController.h"
#include "platform/AlertSheetModal.h"
#include "tasks/IndicatorController.h"
#include "tasks/TaskRunner.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rowsmith"));
    QApplication::setApplicationVersion(QStringLiteral(ROWSMITH_VERSION));

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Rowsmith"));
    window.resize(960, 640);

    MessageBoxAlertPresenter alerts(&window);
    AlertSheetModal::setPresenter(&alerts);

    WidgetsAppPlatform platform(&window);
    AppController controller(&platform);

    QMenu *format = window.menuBar()->addMenu(QObject::tr("&Format"));
    format->addAction(QObject::tr("Show &Fonts"), [&] {
        platform.fontPanel();
        controller.showFontPanel();
    });
    format->addAction(QObject::tr("Show &Colours"), [&] {
        platform.colorPanel();
        controller.showFontColorPanel();
    });
    QMenu *help = window.menuBar()->addMenu(QObject::tr("&Help"));
    help->addAction(QObject::tr("&About Rowsmith"), [&] { controller.showSharedHelp(); });

    window.show();
    controller.awakeFromNib();
    if (!controller.holdsInstanceLock()) {
        QMessageBox::critical(&window, QApplication::applicationName(),
                              QObject::tr("Rowsmith is already running. Use the open window, "
                                          "or quit it before starting another."));
        return 1;
    }

    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] {
        IndicatorController::sharedController().taskRunner().waitForAll(5000);
        controller.applicationWillTerminate();
    });
    const int status = app.exec();
    AlertSheetModal::setPresenter(nullptr);
    return status;
}
