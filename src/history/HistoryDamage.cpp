#include "HistoryDamage.h"

#include "platform/SaveFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kMaxCopiesPerSecond = 100;

bool sameBytes(const QString& a, const QString& b) {
    QFile first(a);
    QFile second(b);
    if (first.size() != second.size() || !first.open(QIODevice::ReadOnly) ||
        !second.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 kChunk = 256 * 1024;
    while (!first.atEnd()) {
        const QByteArray chunk = first.read(kChunk);
        if (chunk.isEmpty() || chunk != second.read(kChunk))
            return false;
    }
    return second.atEnd();
}

} // namespace

HistoryDamage HistoryDamage::keepCopy(const QString& path, int recordsRead, const QString& reason) {
    HistoryDamage damage;
    damage.path = path;
    damage.recordsRead = recordsRead;
    damage.reason = reason;

    const QFileInfo file(path);
    const QString prefix = file.fileName() + QStringLiteral(".damaged-");
    const QDir folder = file.absoluteDir();
    for (const QFileInfo& copy :
         folder.entryInfoList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden)) {
        if (!copy.isSymLink() && sameBytes(path, copy.absoluteFilePath())) {
            damage.copyPath = copy.absoluteFilePath();
            return damage;
        }
    }

    const QString base = folder.absoluteFilePath(
        prefix + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    for (int n = 1; n <= kMaxCopiesPerSecond; ++n) {
        const QString candidate = n == 1 ? base : base + QStringLiteral("-%1").arg(n);
        // A dangling link is no file to QFileInfo::exists, but a name that is taken.
        if (QFileInfo(candidate).exists() || QFileInfo(candidate).isSymLink())
            continue;
        damage.copyError = copyToNewFile(path, candidate);
        if (damage.copyError.isEmpty())
            damage.copyPath = candidate;
        return damage;
    }
    damage.copyError = QStringLiteral("слишком много копий");
    return damage;
}

QString HistoryDamage::message() const {
    const QString damaged = QStringLiteral("Файл истории %1 поврежден: прочитано записей: %2.")
                                .arg(QDir::toNativeSeparators(path), QString::number(recordsRead));
    if (!copyPath.isEmpty())
        return damaged + QStringLiteral(" Копия поврежденного файла сохранена как %1.")
                             .arg(QDir::toNativeSeparators(copyPath));
    return damaged +
           QStringLiteral(" Сохранить копию поврежденного файла не удалось: %1.").arg(copyError);
}

QString HistoryDamage::notRewritten() const {
    return QStringLiteral("Файл истории %1 не изменен: копию поврежденного файла сохранить не "
                          "удалось (%2).")
        .arg(QDir::toNativeSeparators(path), copyError);
}
