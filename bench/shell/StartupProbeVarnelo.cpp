#include "ShownClock.h"
#include "shell/StartUp.h"

// The program's own entry sequence, stopped when the main window shows.
int main(int argc, char* argv[]) {
    StartUp::EarlyWork early = StartUp::begin(argc, argv);
    QApplication app(argc, argv);
    ShownClock clock("TMainForm");
    app.installEventFilter(&clock);
    return StartUp::run(app, std::move(early));
}
