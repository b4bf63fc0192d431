#include "HistoryLock.h"

QRecursiveMutex& historyLock() {
    static QRecursiveMutex lock;
    return lock;
}
