#include "ProcessSamples.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <malloc.h>

ProcessSample ProcessSample::take(qint64 atMs, bool quiet) {
    ProcessSample sample;
    sample.atMs = atMs;
    sample.quiet = quiet;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        // Lines such as "VmRSS:\t  123456 kB" and "Threads:\t12".
        for (const QByteArray& line : status.readAll().split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon < 0)
                continue;
            const QByteArray name = line.left(colon);
            const QList<QByteArray> fields = line.mid(colon + 1).simplified().split(' ');
            if (name == "VmRSS")
                sample.rssKb = fields.value(0).toLongLong();
            else if (name == "RssAnon")
                sample.anonKb = fields.value(0).toLongLong();
            else if (name == "Threads")
                sample.threads = fields.value(0).toInt();
        }
    }
    const struct mallinfo2 heap = mallinfo2();
    sample.heapKb = qint64((heap.uordblks + heap.hblkhd) / 1024);
    // The listing's own descriptor is open while it runs: one less is what the program holds.
    const QDir fds(QStringLiteral("/proc/self/fd"));
    const qsizetype entries =
        fds.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size();
    sample.fds = entries > 0 ? int(entries) - 1 : -1;
    sample.widgets = int(QApplication::allWidgets().size());
    return sample;
}
