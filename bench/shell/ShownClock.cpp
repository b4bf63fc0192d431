#include "ShownClock.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstring>
#include <unistd.h>

ShownClock::ShownClock(const char* className, Mode mode)
    : m_className(className)
    , m_mode(mode) {
}

ShownClock::Mode ShownClock::takeMode(int& argc, char** argv) {
    Mode mode = Mode::ExitAtOnce;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--stay") == 0)
            mode = Mode::Stay;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    return mode;
}

bool ShownClock::isWatchedWindow(const QWindow* window) const {
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == window)
            return widget->inherits(m_className);
    }
    return false;
}

// The widget's QWindow hears of the mapping through an Expose event and paints and flushes
// its first frame while handling it; the clock lets it do that first, so the moment printed
// is when the content, not an empty frame, reached the X server.
bool ShownClock::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Expose || !watched->isWindowType())
        return false;
    const auto* window = static_cast<QWindow*>(watched);
    if (!window->isExposed() || !isWatchedWindow(window))
        return false;
    watched->event(event);
    std::printf("%lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    std::fflush(stdout);
    if (m_mode == Mode::ExitAtOnce)
        ::_exit(0);
    QCoreApplication::instance()->removeEventFilter(this);
    return true;
}
