#include "shell/StartUp.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return StartUp::run(app);
}
