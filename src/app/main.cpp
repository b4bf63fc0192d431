#include "shell/StartUp.h"

#include <QApplication>

#include <utility>

int main(int argc, char* argv[]) {
    StartUp::EarlyWork early = StartUp::begin(argc, argv);
    QApplication app(argc, argv);
    return StartUp::run(app, std::move(early));
}
