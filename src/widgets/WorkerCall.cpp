#include "WorkerCall.h"

#include <QCoreApplication>
#include <QList>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

struct WorkerCall::State {
    QMutex lock;
    QWaitCondition returned;
    bool hasReturned = false;
    // Alive until the work has returned: the thread object goes only after that.
    QThread* thread = nullptr;
};

namespace {

// The workers that have not ended yet; they are stopped and waited for when the application
// object goes, so that none runs on into the destruction of what it uses.
QMutex g_runningLock;
QList<QThread*> g_running;
bool g_teardownRegistered = false;

void stopRunningWorkers() {
    QList<QThread*> running;
    {
        const QMutexLocker locker(&g_runningLock);
        running = g_running;
        g_teardownRegistered = false;
    }
    for (QThread* thread : std::as_const(running))
        thread->requestInterruption();
    for (QThread* thread : std::as_const(running))
        thread->wait();
}

void track(QThread* thread) {
    const QMutexLocker locker(&g_runningLock);
    g_running.append(thread);
    if (!g_teardownRegistered) {
        g_teardownRegistered = true;
        qAddPostRoutine(stopRunningWorkers);
    }
    // Direct: the thread object is deleted on the thread that made it.
    QObject::connect(thread, &QObject::destroyed, [thread] {
        const QMutexLocker locker(&g_runningLock);
        g_running.removeOne(thread);
    });
}

} // namespace

WorkerCall::WorkerCall(std::shared_ptr<State> state)
    : m_state(std::move(state)) {
}

bool WorkerCall::wait(QDeadlineTimer deadline) const {
    if (!m_state)
        return true;
    QMutexLocker locker(&m_state->lock);
    while (!m_state->hasReturned) {
        if (!m_state->returned.wait(&m_state->lock, deadline))
            return m_state->hasReturned;
    }
    return true;
}

void WorkerCall::requestStop() const {
    if (!m_state)
        return;
    const QMutexLocker locker(&m_state->lock);
    if (!m_state->hasReturned)
        m_state->thread->requestInterruption();
}

WorkerCall WorkerCall::start(QObject* context, std::function<void()> work,
                             std::function<void()> finished) {
    auto state = std::make_shared<State>();
    QThread* thread = QThread::create([state, work = std::move(work)] {
        work();
        const QMutexLocker locker(&state->lock);
        state->hasReturned = true;
        state->returned.wakeAll();
    });
    state->thread = thread;
    QObject::connect(thread, &QThread::finished, context,
                     [finished = std::move(finished)]() mutable {
                         finished();
                         // What the callback holds (a window's blocked input, say) goes now,
                         // not whenever the thread object does.
                         finished = nullptr;
                     });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    QObject::connect(context, &QObject::destroyed, thread,
                     [state] { WorkerCall(state).requestStop(); });
    track(thread);
    thread->start();
    return WorkerCall(state);
}

WorkerCall runThenCallback(QObject* context, std::function<void()> work, std::function<void()> done,
                           std::function<void(const QString&)> failed) {
    return runThenCallback<bool>(
        context,
        [work = std::move(work)] {
            work();
            return true;
        },
        [done = std::move(done)](bool) {
            if (done)
                done();
        },
        [failed = std::move(failed)](const QString& failure) {
            if (failed)
                failed(failure);
        });
}
