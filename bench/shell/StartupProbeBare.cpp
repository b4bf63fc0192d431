#include "ShownClock.h"

#include <QApplication>
#include <QWidget>

// The plain yardstick: a Qt window that only shows itself.
int main(int argc, char* argv[]) {
    const ShownClock::Mode mode = ShownClock::takeMode(argc, argv);
    QApplication app(argc, argv);
    ShownClock clock("QWidget", mode);
    app.installEventFilter(&clock);
    QWidget window;
    window.resize(204, 387);
    window.show();
    return app.exec();
}
