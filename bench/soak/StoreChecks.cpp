#include "StoreChecks.h"

#include "history/HistoryFile.h"

#include <QSet>
#include <QStringList>

#include <sqlite3.h>

namespace StoreChecks {

HistoryCheck compareHistory(const QList<qint64>& acceptedIds, const QString& historyPath,
                            int limit) {
    HistoryCheck check;
    const QList<TMess> records = HistoryFile(historyPath).readAll(&check.readError);
    check.accepted = int(acceptedIds.size());
    check.records = int(records.size());
    QSet<qint64> inHistory;
    for (const TMess& record : records)
        inHistory.insert(record.Id);
    const QSet<qint64> accepted(acceptedIds.cbegin(), acceptedIds.cend());
    for (const qint64 id : acceptedIds.mid(qMax(qsizetype(0), acceptedIds.size() - limit))) {
        if (!inHistory.contains(id))
            check.missing.append(id);
    }
    for (const TMess& record : records) {
        if (!accepted.contains(record.Id))
            check.unknown.append(record.Id);
    }
    return check;
}

QString integrityCheck(const QString& databasePath) {
    sqlite3* db = nullptr;
    const QByteArray path = databasePath.toUtf8();
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        const QString error = QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return QStringLiteral("cannot open: ") + error;
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* statement = nullptr;
    QStringList found;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) != SQLITE_OK) {
        found << QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW)
            found << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        if (step != SQLITE_DONE)
            found << QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return found.join(QStringLiteral("; "));
}

} // namespace StoreChecks
