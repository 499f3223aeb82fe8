#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rowsmith"));
    QApplication::setApplicationVersion(QStringLiteral(ROWSMITH_VERSION));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Rowsmith"));
    window.resize(960, 640);
    window.show();
    return app.exec();
}
