// The floor of kmt40.exe's start-up under Wine (bench/wine_startup.sh): the least a Qt Widgets
// program does to show a main window, built with the same toolchain and Qt.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("KMT40 start-up floor"));
    window.setCentralWidget(new QLabel(QStringLiteral("floor")));
    window.resize(712, 509);
    window.show();
    return app.exec();
}
