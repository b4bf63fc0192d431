#include "ProcessFigures.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The number after "Name:" in a status file such as "VmRSS:\t  123456 kB"; -1 without it.
qint64 statusField(const QByteArray& status, const QByteArray& name) {
    for (const QByteArray& line : status.split('\n')) {
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).simplified().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

namespace ProcessFigures {

qint64 residentKb(qint64 pid) {
    return statusField(contents(QStringLiteral("/proc/%1/status").arg(pid)), "VmRSS");
}

double cpuSeconds(qint64 pid) {
    // The name in parentheses may hold blanks; the fields after it are plain. utime and stime
    // are the 14th and 15th fields, the 12th and 13th after the name.
    const QByteArray stat = contents(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype nameEnd = stat.lastIndexOf(')');
    if (nameEnd < 0)
        return -1;
    const QList<QByteArray> fields = stat.mid(nameEnd + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const qint64 ticks = fields[11].toLongLong() + fields[12].toLongLong();
    return double(ticks) / double(::sysconf(_SC_CLK_TCK));
}

QList<ThreadWakeUps> threadWakeUps(qint64 pid) {
    QList<ThreadWakeUps> threads;
    const QString folder = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& tid : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QByteArray status = contents(folder + QLatin1Char('/') + tid + "/status");
        if (status.isEmpty())
            continue;
        ThreadWakeUps thread;
        thread.tid = tid.toLongLong();
        thread.name =
            QString::fromUtf8(contents(folder + QLatin1Char('/') + tid + "/comm").trimmed());
        thread.count = statusField(status, "voluntary_ctxt_switches");
        threads.append(thread);
    }
    return threads;
}

} // namespace ProcessFigures
