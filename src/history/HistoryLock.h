#pragma once

#include <QRecursiveMutex>

// The one lock of the program around every read-and-rewrite of History.dat and every fill
// of the history window. Re-entrant: a delete refills the window while still holding it.
QRecursiveMutex& historyLock();
