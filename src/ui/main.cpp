#include "MessageBoxAlertPresenter.h"
#include "platform/AlertSheetModal.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rowsmith"));
    QApplication::setApplicationVersion(QStringLiteral(ROWSMITH_VERSION));

    MessageBoxAlertPresenter alerts;
    AlertSheetModal::setPresenter(&alerts);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Rowsmith"));
    window.resize(960, 640);
    window.show();
    const int status = app.exec();
    AlertSheetModal::setPresenter(nullptr);
    return status;
}
