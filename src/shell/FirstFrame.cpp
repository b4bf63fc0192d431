#include "FirstFrame.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {

class AfterFirstFrame : public QObject {
public:
    AfterFirstFrame(QWidget& window, std::function<void()> work)
        : QObject(&window)
        , m_window(&window)
        , m_work(std::move(work)) {
        window.installEventFilter(this);
        QTimer::singleShot(FirstFrame::kLatestMs, this, &AfterFirstFrame::run);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Queued: the rest of the frame is drawn and handed to the window system first. A
        // posted call made before the frame would run ahead of it.
        if (watched == m_window && event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, &AfterFirstFrame::run);
        return QObject::eventFilter(watched, event);
    }

private:
    void run() {
        if (!m_work)
            return;
        m_window->removeEventFilter(this);
        std::exchange(m_work, {})();
        deleteLater();
    }

    QPointer<QWidget> m_window;
    std::function<void()> m_work;
};

} // namespace

namespace FirstFrame {

void then(QWidget& window, std::function<void()> work) {
    new AfterFirstFrame(window, std::move(work));
}

} // namespace FirstFrame
