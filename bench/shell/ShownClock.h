#pragma once

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <unistd.h>

// Prints the wall-clock millisecond at which the first window of the given kind is exposed,
// then ends the process at once, so that shutdown does not count.
class ShownClock : public QObject {
public:
    explicit ShownClock(const char* className)
        : m_className(className) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType() &&
            watched->inherits(m_className) && static_cast<QWidget*>(watched)->isWindow()) {
            std::printf("%lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
            std::fflush(stdout);
            ::_exit(0);
        }
        return false;
    }

private:
    const char* m_className;
};
