#include "BlockingHandoff.h"

#include <QObject>
#include <QSemaphore>
#include <QThread>

#include <atomic>
#include <memory>

namespace {

// How often a waiting worker looks whether it has been asked to stop.
constexpr int kInterruptionCheckMs = 50;

struct Handoff {
    QSemaphore done;
    std::atomic<bool> ran{false};
};

} // namespace

bool RunAndWait(QObject* context, std::function<void()> job) {
    if (!context)
        return false;
    if (context->thread() == QThread::currentThread()) {
        job();
        return true;
    }
    const auto handoff = std::make_shared<Handoff>();
    const QMetaObject::Connection gone =
        QObject::connect(context, &QObject::destroyed, [handoff] { handoff->done.release(); });
    QMetaObject::invokeMethod(
        context,
        [handoff, job = std::move(job)] {
            job();
            handoff->ran = true;
            handoff->done.release();
        },
        Qt::QueuedConnection);
    bool released = false;
    while (!(released = handoff->done.tryAcquire(1, kInterruptionCheckMs))) {
        if (QThread::currentThread()->isInterruptionRequested())
            break;
    }
    QObject::disconnect(gone);
    return released && handoff->ran;
}
