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

// One thread's voluntary context switches: each is a sleep that something later woke.
struct ThreadWakeUps {
    qint64 tid = 0;
    QString name;
    qint64 count = 0;
};
QList<ThreadWakeUps> threadWakeUps(qint64 pid);

} // namespace ProcessFigures
