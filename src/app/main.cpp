#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnelo"));
    QWidget window;
    window.setWindowTitle(QStringLiteral("Varnelo"));
    window.resize(204, 387);
    window.show();
    return app.exec();
}
