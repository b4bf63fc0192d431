#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "shell/StartUp.h"

#include <QApplication>

#include <utility>

int main(int argc, char* argv[]) {
    StartUp::EarlyWork early = StartUp::begin(argc, argv, AppPaths::registryFile());
    QApplication app(argc, argv);
    return StartUp::run(app, std::move(early), [] { return std::make_shared<Registry>(); });
}
