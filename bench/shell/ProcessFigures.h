#pragma once

#include <QList>
#include <QString>

// What the kernel tells of another process in /proc/PID.
namespace ProcessFigures {

// VmRSS in kB; -1 when the process is gone.
qint64 residentKb(qint64 pid);
// Seconds of CPU (user and system) the whole process has used, all its threads, those
// already ended included.
double cpuSeconds(qint64 pid);

// One thread's context switches: each voluntary one is a sleep that something woke.
struct ThreadSwitches {
    qint64 tid = 0;
    QString name;
    qint64 voluntary = 0;
    qint64 involuntary = 0;
};
QList<ThreadSwitches> threadSwitches(qint64 pid);

} // namespace ProcessFigures
