#include "ThreadState.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <unistd.h>

namespace ThreadState {

namespace {

QByteArray taskFile(qint64 id, const char* name) {
    QFile file(QStringLiteral("/proc/self/task/%1/%2").arg(id).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// 'S' while the thread sleeps in a wait; 0 once it is gone. The state follows the
// command name, which is in parentheses and may hold any character.
char state(qint64 id) {
    const QByteArray stat = taskFile(id, "stat");
    const qsizetype end = stat.lastIndexOf(')');
    return end < 0 || end + 2 >= stat.size() ? 0 : stat.at(end + 2);
}

} // namespace

qint64 currentId() {
    return qint64(gettid());
}

qint64 sleeps(qint64 id) {
    for (const QByteArray& line : taskFile(id, "status").split('\n')) {
        if (line.startsWith("voluntary_ctxt_switches:"))
            return line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    }
    return -1;
}

bool waitUntilAsleep(const std::atomic<qint64>& id, qint64 sleepsBefore, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (const qint64 known = id.load(); known != 0) {
            const char now = state(known);
            if (now == 0 || now == 'Z' || now == 'X')
                return false;
            if (now == 'S' && sleeps(known) > sleepsBefore)
                return true;
        }
        // Looks again shortly; spinning would take the processor from the thread watched.
        QThread::usleep(200);
    }
    return false;
}

} // namespace ThreadState
