#pragma once

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>

// Runs `work` on a thread of its own and hands its result to `done` on the thread of
// `context` (the UI thread for a window). When the context goes first, `done` is never
// called and the thread is asked to stop, which ends a pending service request early.
template <typename Result>
void runThenCallback(QObject* context, std::function<Result()> work,
                     std::function<void(Result)> done) {
    auto result = std::make_shared<Result>();
    QThread* thread = QThread::create([result, work = std::move(work)] { *result = work(); });
    QObject::connect(thread, &QThread::finished, context,
                     [result, done = std::move(done)] { done(std::move(*result)); });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    QObject::connect(context, &QObject::destroyed, thread,
                     [thread] { thread->requestInterruption(); });
    thread->start();
}
