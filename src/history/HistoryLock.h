#pragma once

#include "platform/FileLock.h"

#include <QRecursiveMutex>

// The one lock of the program around every read-and-rewrite of History.dat and every fill
// of the history window. Re-entrant: a delete refills the window while still holding it.
QRecursiveMutex& historyLock();

// The history lock together with the lock file beside History.dat, so that varnelo-cli and
// the program never rewrite the file over each other's records.
class HistoryLock : public FileLock {
public:
    explicit HistoryLock(const QString& historyPath)
        : FileLock(historyLock(), historyPath) {}
};
