#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Acts on each new modal dialog of type T from inside its own exec(), as a user at the
// screen would: the action runs once per dialog, as soon as it is the active modal one.
template <class T> class ModalDriver {
public:
    explicit ModalDriver(std::function<void(T*)> action)
        : m_action(std::move(action)) {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }
    int count() const { return m_count; }

private:
    void poll() {
        T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || dialog == m_last || !dialog->isVisible())
            return;
        m_last = dialog;
        ++m_count;
        m_action(dialog);
    }

    std::function<void(T*)> m_action;
    QTimer m_timer;
    QPointer<T> m_last;
    int m_count = 0;
};
