#include "platform/AppPaths.h"
#include "platform/DisplayPlatform.h"
#include "platform/Registry.h"
#include "shell/StartUp.h"

#include <QApplication>

#include <utility>
#include <vector>

int main(int argc, char* argv[]) {
    StartUp::EarlyWork early = StartUp::begin(argc, argv, AppPaths::registryFile());
    // Given as an argument rather than through the environment, so that the programs this
    // one starts (the browser, a restarted copy) make their own choice.
    QByteArray platformOption("-platform");
    QByteArray platform = DisplayPlatform::chooseFromEnvironment();
    std::vector<char*> arguments(argv, argv + argc);
    if (!platform.isEmpty() && argc > 0)
        arguments.insert(arguments.begin() + 1, {platformOption.data(), platform.data()});
    int count = int(arguments.size());
    arguments.push_back(nullptr);
    QApplication app(count, arguments.data());
    return StartUp::run(app, std::move(early), [] { return std::make_shared<Registry>(); });
}
