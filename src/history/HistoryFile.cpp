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

} // namespace

QString HistoryFile::defaultPath() {
    return AppPaths::dataFolder() + QStringLiteral("History.dat");
}

HistoryFile::HistoryFile(const QString& path)
    : m_path(path) {
}

QList<TMess> HistoryFile::readAll(QString* error) const {
    const HistoryLock lock(m_path);
    QList<TMess> records;
    if (!lock.errorString().isEmpty()) {
        if (error)
            *error = lock.errorString();
        return records;
    }
    HistoryReader reader(m_path);
    if (reader.OpenHistory()) {
        // Read in place: no copy of each record into the list.
        TMess* record = &records.emplaceBack();
        while (reader.ReadRecord(*record))
            record = &records.emplaceBack();
        records.removeLast();
    }
    if (error)
        *error = reader.failed() ? readError(m_path, reader.errorString()) : QString();
    return records;
}

QList<qint32> HistoryFile::pendingIds(QString* error) const {
    QList<qint32> ids;
    for (const TMess& record : readAll(error)) {
        if (record.isPending())
            ids.append(record.Id);
    }
    return ids;
}

QString HistoryFile::AppendHistory(const TMess& record, qint32 limit) const {
    return AppendHistory(QList<TMess>{record}, limit);
}

QString HistoryFile::AppendHistory(QList<TMess> records, qint32 limit) const {
    if (limit <= 0)
        limit = Setting::HistoryMessCount.fallback;
    for (TMess& record : records)
        record.Text.replace(QLatin1String("\r\n"), QLatin1String(" "));

    const HistoryLock lock(m_path);
    if (!lock.errorString().isEmpty())
        return lock.errorString();
    QString error;
    QList<TMess> all = readAll(&error);
    if (!error.isEmpty())
        return error;
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

QString HistoryFile::applyStatuses(const QHash<qint32, quint8>& statuses, bool* anyPending) const {
    const HistoryLock lock(m_path);
    if (!lock.errorString().isEmpty())
        return lock.errorString();
    QString error;
    QList<TMess> records = readAll(&error);
    if (!error.isEmpty())
        return error;
    bool pending = false;
    for (TMess& record : records) {
        const auto it = statuses.constFind(record.Id);
        if (it != statuses.constEnd())
            record.Status = it.value();
        pending = pending || record.isPending();
    }
    if (anyPending)
        *anyPending = pending;
    return rewrite(records);
}

QString HistoryFile::removeRecords(const std::function<bool(const TMess&)>& drop) const {
    const HistoryLock lock(m_path);
    if (!lock.errorString().isEmpty())
        return lock.errorString();
    QString error;
    QList<TMess> records = readAll(&error);
    if (!error.isEmpty())
        return error;
    records.removeIf(drop);
    return rewrite(records);
}

QString HistoryFile::ConvertHistory() const {
    const HistoryLock lock(m_path);
    if (!lock.errorString().isEmpty())
        return lock.errorString();
    if (!QFile::exists(m_path))
        return {};
    HistoryReader reader(m_path);
    const std::optional<HistoryFormat> format = reader.openAnyFormat();
    if (!format)
        return readError(m_path, reader.errorString());
    if (*format == HistoryFormat::V22)
        return {};

    HistoryWriter writer(m_path);
    writer.RewriteHistory();
    TMess record;
    while (reader.ReadRecord(record))
        writer.WriteRecord(record);
    if (reader.failed())
        return readError(m_path, reader.errorString());
    reader.close();
    return writer.commit();
}
