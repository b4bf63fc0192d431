#pragma once

#include "TMess.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

// History.dat as a whole. Every operation takes the history lock (with the lock file that
// keeps other processes out) for its read and rewrite, reads the file afresh and replaces it
// atomically; one that cannot have the lock in time does nothing and says so. Operations that
// rewrite return an empty string on success, else a readable error; on error the file is as
// it was.
//
// A file that exists but cannot be read is an error, never an empty history to write over.
// A file that reads but is not a current history (another header) counts as one with no
// records, and a torn record ends the reading: the next rewrite drops what followed.
class HistoryFile {
public:
    // History.dat in the user's data folder.
    static QString defaultPath();

    explicit HistoryFile(const QString& path = defaultPath());
    QString path() const { return m_path; }

    // All records, oldest first. On a read error, those read before it and the error.
    QList<TMess> readAll(QString* error = nullptr) const;

    // Ids of the records the status query asks for, in file order.
    QList<qint32> pendingIds(QString* error = nullptr) const;

    // Adds the records of one send, oldest first, each Text with CR LF turned into a blank,
    // and keeps the newest `limit` records (0 or less: 3000). Several records cost one
    // rewrite and give the file that appending them one by one would give.
    QString AppendHistory(const TMess& record, qint32 limit) const;
    QString AppendHistory(QList<TMess> records, qint32 limit) const;

    // The records replace the whole content.
    QString rewrite(const QList<TMess>& records) const;

    // Every record whose Id is in the map gets that status. For the status queries, which
    // ask the service without holding the lock and then apply the answer to the file as it
    // is by then. `anyPending` tells whether a record of the rewritten file is still pending.
    QString applyStatuses(const QHash<qint32, quint8>& statuses, bool* anyPending = nullptr) const;

    // Drops every record for which `drop` is true.
    QString removeRecords(const std::function<bool(const TMess&)>& drop) const;

    // Start-up: brings a 2.0, 2.1 or headerless file to the current layout. A missing or
    // current file is left alone; on a read error nothing is written.
    QString ConvertHistory() const;

private:
    QString m_path;
};
