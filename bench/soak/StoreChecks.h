#pragma once

#include <QList>
#include <QString>

// The two checks of the files a long run leaves behind.
namespace StoreChecks {

struct HistoryCheck {
    int accepted = 0;      // messages the service took
    int records = 0;       // records of History.dat
    QList<qint64> missing; // taken by the service, absent from History.dat
    QList<qint64> unknown; // in History.dat, never taken by the service
    QString readError;

    bool holds() const { return readError.isEmpty() && missing.isEmpty() && unknown.isEmpty(); }
};

// Every message id the service accepted is a record of the history file, and every record
// is one the service accepted. The file keeps only the newest `limit` records, so only the
// newest `limit` accepted ids are looked for.
HistoryCheck compareHistory(const QList<qint64>& acceptedIds, const QString& historyPath,
                            int limit);

// SQLite's own check of the database file, opened read-only: "ok", or what it found.
QString integrityCheck(const QString& databasePath);

} // namespace StoreChecks
