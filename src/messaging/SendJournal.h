#pragma once

#include "messaging/SendOutcome.h"

#include <QDateTime>
#include <QList>
#include <QRecursiveMutex>
#include <QString>
#include <QStringList>

#include <functional>

class Registry;
struct sqlite3;

// What the program is about to send, written to a table of the settings store and committed
// before the request leaves, so that a message the service may have charged always leaves a
// trace: in the history once its reply is recorded, in the journal until then. A row that
// outlives its send (a kill, a lost reply, a reply that names fewer ids than numbers) is an
// unknown outcome that the user settles; nothing is ever sent again without being asked.
//
// Safe to share between threads; several processes may use the same store. Every failure
// throws RegistryError.
class SendJournal {
public:
    enum class State { Sending, Unknown, Scheduled };

    struct Row {
        qint64 id = 0;
        State state = State::Sending;
        QDateTime moment;    // when the send started (UTC inside, local when shown)
        QStringList numbers; // those whose outcome is still open
        QString message;     // as sent: transliterated when asked
        QString sign;
        QString sender;
        int delayMinutes = 0;
        QString owner;  // the process sending it, while it sends
        QString reason; // why the outcome is unknown
        // What the reply said, written before the history records, so that a stop between
        // the two steps neither loses nor doubles a record.
        QList<SendOutcome::Accepted> accepted;
        QDateTime due; // a scheduled row: when it is to go (UTC); invalid otherwise

        QString fullText() const;
    };

    // Opens the journal in the store's file, creating its table when missing.
    explicit SendJournal(const Registry& store);
    ~SendJournal();
    SendJournal(const SendJournal&) = delete;
    SendJournal& operator=(const SendJournal&) = delete;

    static QString stateName(State state);

    // Writes a row in the state Sending, owned by this process, flushed to disk; its id.
    qint64 begin(const Row& row);
    // The reply's ids, before the history is written.
    void recordAccepted(qint64 id, const QList<SendOutcome::Accepted>& accepted);
    // After the history records: the row goes when nothing is left open, else it keeps only
    // the open numbers and becomes an unknown outcome.
    void settle(qint64 id, const QStringList& unresolved, const QString& reason);
    // The row becomes an unknown outcome as it is, ids of the reply included.
    void markUnknown(qint64 id, const QString& reason);
    void remove(qint64 id);
    // Runs `work` (calls of this journal) as one transaction: all of it is written, or, when
    // it throws, none.
    void inTransaction(const std::function<void()>& work);

    // Every row of a send that went or is going, oldest first; scheduled rows are apart.
    QList<Row> rows() const;

    // A row that waits in the journal until `due` (UTC): nothing is sent or charged before a
    // process claims it. Its id.
    qint64 schedule(const Row& row, const QDateTime& due);
    // The scheduled rows, soonest first.
    QList<Row> scheduled() const;
    // The soonest moment of a scheduled row; invalid when there is none.
    QDateTime nextDue() const;
    // Takes a scheduled row for this process to send (it becomes a row in the state Sending,
    // begun now): true for exactly one of any number of processes that try at once.
    bool claim(qint64 id);
    // A claimed row that nothing was sent for waits again, as it was.
    void unclaim(qint64 id);
    // A scheduled row's moment or text, changed while it waits; false when it waits no more.
    bool reschedule(qint64 id, const QDateTime& due);
    bool rewrite(qint64 id, const QString& message, const QString& sign);
    std::optional<Row> row(qint64 id) const;

    // Rows no live process is sending any more become unknown outcomes, and ids a reply
    // gave are taken over: those the history holds by now are simply dropped.
    void releaseOrphans();

private:
    void exec(const char* sql);
    void write(qint64 id, const char* sql, const QString& first, const QString& second = {});

    sqlite3* m_db = nullptr;
    mutable QRecursiveMutex m_mutex;
};
