#pragma once

#include "platform/FailureText.h"
#include "widgets/InputBlock.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

// A piece of work running on a worker thread of its own; copies are handles on the same
// work. Every worker of the program starts through runThenCallback below, so that each is
// asked to stop when its window goes, and none outlives the application object: whatever is
// still running then is asked to stop and waited for.
class WorkerCall {
public:
    WorkerCall() = default;

    // Blocks the calling thread, without running its events, until the work has returned or
    // the deadline has passed; true when it has returned (or there was no work).
    bool wait(QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever)) const;
    // Asks the work to stop: a service request it is waiting for ends at once.
    void requestStop() const;

    // Runs `work` on a new thread; once the thread has ended, `finished` runs on the thread
    // of `context`, unless the context has gone first, which asks the work to stop. `work`
    // must not throw.
    static WorkerCall start(QObject* context, std::function<void()> work,
                            std::function<void()> finished);

private:
    struct State;
    explicit WorkerCall(std::shared_ptr<State> state);

    std::shared_ptr<State> m_state;
};

// Runs `work` on a worker thread and hands its result to `done` on the thread of `context`
// (the UI thread for a window). An error thrown by `work` (a failing settings store, say)
// ends no program: `failed` gets the text to show instead. When the context goes first,
// neither is called and the work is asked to stop, which ends a pending service request.
template <typename Result>
WorkerCall runThenCallback(QObject* context, std::function<Result()> work,
                           std::function<void(Result)> done,
                           std::function<void(const QString&)> failed) {
    auto result = std::make_shared<std::optional<Result>>();
    auto failure = std::make_shared<QString>();
    return WorkerCall::start(
        context,
        [result, failure, work = std::move(work)] {
            try {
                result->emplace(work());
            } catch (...) {
                *failure = FailureText::describe(std::current_exception());
            }
        },
        [result, failure, done = std::move(done), failed = std::move(failed)] {
            if (result->has_value())
                done(std::move(**result));
            else
                failed(*failure);
        });
}

// The same for work without a result; either callback may be left empty.
WorkerCall runThenCallback(QObject* context, std::function<void()> work, std::function<void()> done,
                           std::function<void(const QString&)> failed);

// runThenCallback for a window that the user must not use until the reply is in: its input
// stays blocked (InputBlock, showing `cursor`) from now until just before `done` or `failed`
// runs on it, so that the message boxes they show take input again.
template <typename Result>
WorkerCall runWithInputBlocked(QWidget* window, Qt::CursorShape cursor,
                               std::function<Result()> work, std::function<void(Result)> done,
                               std::function<void(const QString&)> failed) {
    auto* blocking = new InputBlock(window, cursor);
    // A child of the window, so that it goes with the window if no callback comes.
    blocking->setParent(window);
    const QPointer<InputBlock> block(blocking);
    return runThenCallback<Result>(
        window, std::move(work),
        [block, done = std::move(done)](Result result) {
            delete block.data();
            done(std::move(result));
        },
        [block, failed = std::move(failed)](const QString& failure) {
            delete block.data();
            failed(failure);
        });
}
