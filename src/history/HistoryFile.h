#pragma once

#include "HistoryDamage.h"
#include "TMess.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// History.dat as a whole. Every operation takes the history lock (with the lock file that
// keeps other processes out) for its read and rewrite, reads the file afresh and replaces it
// atomically; one that cannot have the lock in time does nothing and says so. Operations that
// rewrite return an empty string on success, else a readable error; on error the file is as
// it was.
//
// A file that exists but cannot be read is an error, never an empty history to write over.
// A file that reads but not whole (a torn record, records of zero bytes, another header) is
// damaged: the records read are kept, but before anything rewrites the file its original is
// kept beside it (see HistoryDamage). Every operation that meets damage says so through its
// `damage` (left empty when the file read whole); one that cannot keep the copy rewrites
// nothing and returns the damage's notRewritten() as its error.
class HistoryFile {
public:
    using Damage = std::optional<HistoryDamage>;

    // History.dat in the user's data folder.
    static QString defaultPath();

    explicit HistoryFile(const QString& path = defaultPath());
    QString path() const { return m_path; }

    // All records, oldest first. On a read error, those read before it and the error.
    QList<TMess> readAll(QString* error = nullptr, Damage* damage = nullptr) const;

    // Ids of the records the status query asks for, in file order.
    QList<qint32> pendingIds(QString* error = nullptr, Damage* damage = nullptr) const;

    // Adds the records of one send, oldest first, each Text with CR LF turned into a blank,
    // and keeps the newest `limit` records (0 or less: 3000). Several records cost one
    // rewrite and give the file that appending them one by one would give.
    QString AppendHistory(const TMess& record, qint32 limit, Damage* damage = nullptr) const;
    QString AppendHistory(QList<TMess> records, qint32 limit, Damage* damage = nullptr) const;

    // The records replace the whole content.
    QString rewrite(const QList<TMess>& records) const;

    // Every record whose Id is in the map gets that status. For the status queries, which
    // ask the service without holding the lock and then apply the answer to the file as it
    // is by then. `anyPending` tells whether a record of the rewritten file is still pending.
    QString applyStatuses(const QHash<qint32, quint8>& statuses, bool* anyPending = nullptr,
                          Damage* damage = nullptr) const;

    // Drops every record for which `drop` is true.
    QString removeRecords(const std::function<bool(const TMess&)>& drop,
                          Damage* damage = nullptr) const;

    // Start-up: brings a 2.0, 2.1 or headerless file to the current layout. A missing or
    // current file is left alone (a damaged current one is only checked: its copy is kept
    // and the next rewrite mends it); on a read error nothing is written.
    QString ConvertHistory(Damage* damage = nullptr) const;

private:
    struct Reading {
        QList<TMess> records;
        QString error; // the file could not be read
        Damage damage;
        // Why the file must not be rewritten: a read error, or damage without a copy.
        QString refusal() const;
    };
    Reading read() const;

    QString m_path;
};
