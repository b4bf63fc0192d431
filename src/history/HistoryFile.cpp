#include "HistoryFile.h"

#include "HistoryLock.h"
#include "HistoryReader.h"
#include "HistoryWriter.h"
#include "platform/AppPaths.h"
#include "shared/Settings.h"

#include <QFile>

namespace {

QString readError(const QString& path, const QString& reason) {
    return QStringLiteral("Не удалось прочитать файл %1: %2").arg(path, reason);
}

void report(HistoryFile::Damage* out, const HistoryFile::Damage& damage) {
    if (out)
        *out = damage;
}

} // namespace

QString HistoryFile::Reading::refusal() const {
    if (!error.isEmpty())
        return error;
    if (damage && damage->copyPath.isEmpty())
        return damage->notRewritten();
    return {};
}

QString HistoryFile::defaultPath() {
    return AppPaths::dataFolder() + QStringLiteral("History.dat");
}

HistoryFile::HistoryFile(const QString& path)
    : m_path(path) {
}

HistoryFile::Reading HistoryFile::read() const {
    const HistoryLock lock(m_path);
    Reading reading;
    if (!lock.errorString().isEmpty()) {
        reading.error = lock.errorString();
        return reading;
    }
    HistoryReader reader(m_path);
    QString damage;
    if (reader.OpenHistory()) {
        // Read in place: no copy of each record into the list.
        TMess* record = &reading.records.emplaceBack();
        while (reader.ReadRecord(*record))
            record = &reading.records.emplaceBack();
        reading.records.removeLast();
        damage = reader.damage();
    } else if (!reader.failed()) {
        damage = QStringLiteral("no current header");
    }
    if (reader.failed())
        reading.error = readError(m_path, reader.errorString());
    else if (!damage.isEmpty())
        reading.damage = HistoryDamage::keepCopy(m_path, int(reading.records.size()), damage);
    return reading;
}

QList<TMess> HistoryFile::readAll(QString* error, Damage* damage) const {
    Reading reading = read();
    if (error)
        *error = reading.error;
    report(damage, reading.damage);
    return std::move(reading.records);
}

QList<qint32> HistoryFile::pendingIds(QString* error, Damage* damage) const {
    QList<qint32> ids;
    for (const TMess& record : readAll(error, damage)) {
        if (record.isPending())
            ids.append(record.Id);
    }
    return ids;
}

QString HistoryFile::AppendHistory(const TMess& record, qint32 limit, Damage* damage) const {
    return AppendHistory(QList<TMess>{record}, limit, damage);
}

QString HistoryFile::AppendHistory(QList<TMess> records, qint32 limit, Damage* damage) const {
    if (limit <= 0)
        limit = Setting::HistoryMessCount.fallback;
    for (TMess& record : records)
        record.Text.replace(QLatin1String("\r\n"), QLatin1String(" "));

    const HistoryLock lock(m_path);
    if (!lock.errorString().isEmpty())
        return lock.errorString();
    Reading reading = read();
    report(damage, reading.damage);
    if (const QString refusal = reading.refusal(); !refusal.isEmpty())
        return refusal;
    QList<TMess>& all = reading.records;
    all.append(records);
    if (all.size() > limit)
        all.remove(0, all.size() - limit);
    return rewrite(all);
}

QString HistoryFile::rewrite(const QList<TMess>& records) const {
    const HistoryLock lock(m_path);
    if (!lock.errorString().isEmpty())
        return lock.errorString();
    HistoryWriter writer(m_path);
    writer.RewriteHistory();
    for (const TMess& record : records)
        writer.WriteRecord(record);
    return writer.commit();
}

QString HistoryFile::applyStatuses(const QHash<qint32, quint8>& statuses, bool* anyPending,
                                   Damage* damage) const {
    const HistoryLock lock(m_path);
    if (!lock.errorString().isEmpty())
        return lock.errorString();
    Reading reading = read();
    report(damage, reading.damage);
    if (const QString refusal = reading.refusal(); !refusal.isEmpty())
        return refusal;
    bool pending = false;
    for (TMess& record : reading.records) {
        const auto it = statuses.constFind(record.Id);
        if (it != statuses.constEnd())
            record.Status = it.value();
        pending = pending || record.isPending();
    }
    if (anyPending)
        *anyPending = pending;
    return rewrite(reading.records);
}

QString HistoryFile::removeRecords(const std::function<bool(const TMess&)>& drop,
                                   Damage* damage) const {
    const HistoryLock lock(m_path);
    if (!lock.errorString().isEmpty())
        return lock.errorString();
    Reading reading = read();
    report(damage, reading.damage);
    if (const QString refusal = reading.refusal(); !refusal.isEmpty())
        return refusal;
    reading.records.removeIf(drop);
    return rewrite(reading.records);
}

QString HistoryFile::ConvertHistory(Damage* damage) const {
    report(damage, std::nullopt);
    const HistoryLock lock(m_path);
    if (!lock.errorString().isEmpty())
        return lock.errorString();
    if (!QFile::exists(m_path))
        return {};
    HistoryReader reader(m_path);
    const std::optional<HistoryFormat> format = reader.openAnyFormat();
    if (!format)
        return readError(m_path, reader.errorString());

    // A current file is only walked through, without building its records: this runs at
    // every start.
    const bool current = *format == HistoryFormat::V22;
    HistoryWriter writer(m_path);
    writer.RewriteHistory();
    int count = 0;
    TMess record;
    while (current ? reader.skipRecord() : reader.ReadRecord(record)) {
        if (!current)
            writer.WriteRecord(record);
        ++count;
    }
    if (reader.failed())
        return readError(m_path, reader.errorString());
    reader.close();
    if (!reader.damage().isEmpty()) {
        const HistoryDamage found = HistoryDamage::keepCopy(m_path, count, reader.damage());
        report(damage, found);
        if (found.copyPath.isEmpty() && !current)
            return found.notRewritten();
    }
    return current ? QString() : writer.commit();
}
