#include "ProcessToken.h"

#include <QFile>

#include <unistd.h>

namespace {

// Field 22 of /proc/PID/stat, counted after the command name, which may hold blanks.
QByteArray startTime(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    const qsizetype nameEnd = line.lastIndexOf(')');
    if (nameEnd < 0)
        return {};
    const QList<QByteArray> fields = line.mid(nameEnd + 2).split(' ');
    constexpr int kStartTimeAfterName = 19; // field 22 is the 20th after the name
    return fields.size() > kStartTimeAfterName ? fields[kStartTimeAfterName] : QByteArray();
}

} // namespace

QString ProcessToken::current() {
    const qint64 pid = ::getpid();
    return QStringLiteral("%1:%2").arg(pid).arg(QString::fromLatin1(startTime(pid)));
}

bool ProcessToken::isAlive(const QString& token) {
    const qsizetype colon = token.indexOf(QLatin1Char(':'));
    bool ok = false;
    const qint64 pid = token.left(colon).toLongLong(&ok);
    if (colon < 0 || !ok || pid <= 0)
        return false;
    const QByteArray started = startTime(pid);
    return !started.isEmpty() && QString::fromLatin1(started) == token.mid(colon + 1);
}
