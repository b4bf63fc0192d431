#include "ShownClock.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "shell/StartUp.h"

#include <QApplication>

// The program's own entry sequence, timed to its main window on screen.
int main(int argc, char* argv[]) {
    const ShownClock::Mode mode = ShownClock::takeMode(argc, argv);
    StartUp::EarlyWork early = StartUp::begin(argc, argv, AppPaths::registryFile());
    QApplication app(argc, argv);
    ShownClock clock("TMainForm", mode);
    app.installEventFilter(&clock);
    return StartUp::run(app, std::move(early), [] { return std::make_shared<Registry>(); });
}
