#pragma once

#include <functional>

class QObject;

// Runs `job` on the thread of `context` and waits until it has run — the way a worker hands
// the main window a message it must wait for. The wait ends early, returning false, when the
// waiting thread is asked to stop (QThread::requestInterruption) or `context` is destroyed
// first, so a window that stops its worker on closing never deadlocks. `job` may then still
// run later or never: it must own what it uses. Called on the context's own thread, the job
// runs at once.
bool RunAndWait(QObject* context, std::function<void()> job);
