#pragma once

#include <QtGlobal>

#include <atomic>

// A thread of this process as the kernel sees it (Linux), for tests that must know that a
// thread has gone to sleep in a wait (a mutex, a semaphore, a wait condition) before they go
// on, instead of giving it a while and hoping it got there.
namespace ThreadState {

// The calling thread's id in the kernel.
qint64 currentId();

// How many times thread `id` has gone to sleep so far; -1 once it has ended.
qint64 sleeps(qint64 id);

// Waits until the thread whose id is stored in `id` (0 until it has stored it) is asleep,
// having gone to sleep more than `sleepsBefore` times. Runs no events meanwhile, so the
// calling thread stays as busy as the test needs it. False when the thread ends or
// `timeoutMs` passes first.
bool waitUntilAsleep(const std::atomic<qint64>& id, qint64 sleepsBefore = 0, int timeoutMs = 5000);

} // namespace ThreadState
