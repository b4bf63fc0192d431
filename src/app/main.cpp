#include "shell/StartUp.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // The payment window's browser, loaded later from its module, shares the windows'
    // graphics context; that has to be asked for before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    return StartUp::run(app);
}
