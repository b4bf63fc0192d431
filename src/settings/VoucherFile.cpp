#include "VoucherFile.h"

#include "platform/Ansi.h"
#include "platform/FileLock.h"
#include "platform/SaveFile.h"

#include <QFile>
#include <QFileInfo>

namespace {

QRecursiveMutex& vouchersLock() {
    static QRecursiveMutex lock;
    return lock;
}

} // namespace

namespace VoucherFile {

QString fileName() {
    return QStringLiteral("Vouchers.txt");
}

QString line(const QDateTime& when, const QString& serial, const QString& amount) {
    return when.toString(QStringLiteral("dd.MM.yy HH:mm")) + QLatin1Char('\t') + serial +
           QLatin1Char('\t') + amount + QStringLiteral(" руб.");
}

QString append(const QString& folder, const QDateTime& when, const QString& serial,
               const QString& amount) {
    const QString path = QFileInfo(folder + QLatin1Char('/') + fileName()).absoluteFilePath();
    // Two purchases at once, here and in another process, both keep their line.
    const FileLock lock(vouchersLock(), path);
    if (!lock.errorString().isEmpty())
        return lock.errorString();
    QByteArray content;
    QFile existing(path);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly))
            return QStringLiteral("%1: %2").arg(path, existing.errorString());
        content = existing.readAll();
        if (existing.error() != QFileDevice::NoError)
            return QStringLiteral("%1: %2").arg(path, existing.errorString());
    }
    // A last line left without its break by hand editing keeps its own line.
    if (!content.isEmpty() && !content.endsWith('\n'))
        content += "\r\n";
    content += Ansi::fromUnicode(line(when, serial, amount)) + "\r\n";
    return saveFileAtomically(path, content);
}

} // namespace VoucherFile
