#include "ShownClock.h"

// The yardstick: a Qt window that only shows itself.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ShownClock clock("QWidget");
    app.installEventFilter(&clock);
    QWidget window;
    window.resize(204, 387);
    window.show();
    return app.exec();
}
