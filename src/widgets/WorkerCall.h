#pragma once

#include "platform/FailureText.h"

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>

// Runs `work` on a thread of its own and hands its result to `done` on the thread of
// `context` (the UI thread for a window). An error thrown by `work` (a failing settings
// store, say) ends no program: `failed` gets the text to show instead. When the context
// goes first, neither is called and the thread is asked to stop, which ends a pending
// service request early.
template <typename Result>
void runThenCallback(QObject* context, std::function<Result()> work,
                     std::function<void(Result)> done, std::function<void(const QString&)> failed) {
    auto result = std::make_shared<Result>();
    auto failure = std::make_shared<std::optional<QString>>();
    QThread* thread = QThread::create([result, failure, work = std::move(work)] {
        try {
            *result = work();
        } catch (...) {
            *failure = FailureText::describe(std::current_exception());
        }
    });
    QObject::connect(
        thread, &QThread::finished, context,
        [result, failure, done = std::move(done), failed = std::move(failed)]() mutable {
            if (*failure)
                failed(**failure);
            else
                done(std::move(*result));
            // What the callbacks hold (a window's blocked input) goes now, not with the thread.
            done = nullptr;
            failed = nullptr;
        });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    QObject::connect(context, &QObject::destroyed, thread,
                     [thread] { thread->requestInterruption(); });
    thread->start();
}
