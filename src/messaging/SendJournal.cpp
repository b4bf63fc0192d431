#include "SendJournal.h"

#include "platform/ProcessToken.h"
#include "platform/RegistryStatement.h"

#include <sqlite3.h>

namespace {

using RegistryStore::Statement;

const QString kNumberSeparator = QStringLiteral("|");

struct StateName {
    SendJournal::State state;
    const char* name;
};

constexpr StateName kStateNames[] = {
    {SendJournal::State::Sending, "sending"},
    {SendJournal::State::Unknown, "unknown"},
    {SendJournal::State::Scheduled, "scheduled"},
};

SendJournal::State stateFromName(const QString& name) {
    for (const StateName& entry : kStateNames) {
        if (name == QLatin1String(entry.name))
            return entry.state;
    }
    return SendJournal::State::Unknown;
}

// "id=number" pairs joined by blanks; numbers hold no blank or "=".
QString acceptedText(const QList<SendOutcome::Accepted>& accepted) {
    QStringList pairs;
    for (const SendOutcome::Accepted& one : accepted)
        pairs.append(QStringLiteral("%1=%2").arg(one.id).arg(one.number));
    return pairs.join(QLatin1Char(' '));
}

QList<SendOutcome::Accepted> acceptedFrom(const QString& text) {
    QList<SendOutcome::Accepted> accepted;
    for (const QString& pair : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        bool ok = false;
        const qint32 id = pair.left(equals).toInt(&ok);
        if (equals > 0 && ok)
            accepted.append({id, pair.mid(equals + 1)});
    }
    return accepted;
}

constexpr char kColumns[] =
    "SELECT id, state, created_ms, numbers, message, sign, sender, delay, owner, reason, "
    "accepted, due_ms FROM send_journal";

SendJournal::Row rowFrom(const Statement& q) {
    SendJournal::Row row;
    row.id = q.integer(0);
    row.state = stateFromName(q.text(1));
    row.moment = QDateTime::fromMSecsSinceEpoch(q.integer(2), Qt::UTC);
    row.numbers = q.text(3).split(kNumberSeparator, Qt::SkipEmptyParts);
    row.message = q.text(4);
    row.sign = q.text(5);
    row.sender = q.text(6);
    row.delayMinutes = int(q.integer(7));
    row.owner = q.text(8);
    row.reason = q.text(9);
    row.accepted = acceptedFrom(q.text(10));
    if (row.state == SendJournal::State::Scheduled)
        row.due = QDateTime::fromMSecsSinceEpoch(q.integer(11), Qt::UTC);
    return row;
}

} // namespace

QString SendJournal::Row::fullText() const {
    return sign.isEmpty() ? message : message + QLatin1Char(' ') + sign;
}

SendJournal::SendJournal(const Registry& store) {
    const QString storePath = store.filePath();
    if (RegistryStore::openPrivately(storePath, &m_db) != SQLITE_OK) {
        const QString message = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "out of memory");
        sqlite3_close(m_db);
        m_db = nullptr;
        throw RegistryError(QStringLiteral("Не удалось открыть журнал отправки в файле %1 (%2)")
                                .arg(storePath, message));
    }
    try {
        sqlite3_busy_timeout(m_db, 10000);
        exec("PRAGMA journal_mode=WAL");
        // A row must survive a power loss, not only a kill: it is the only trace of money.
        exec("PRAGMA synchronous=FULL");
        exec("CREATE TABLE IF NOT EXISTS send_journal ("
             " id INTEGER PRIMARY KEY AUTOINCREMENT,"
             " state TEXT NOT NULL,"
             " created_ms INTEGER NOT NULL,"
             " due_ms INTEGER,"
             " numbers TEXT NOT NULL,"
             " message TEXT NOT NULL,"
             " sign TEXT NOT NULL,"
             " sender TEXT NOT NULL,"
             " delay INTEGER NOT NULL,"
             " owner TEXT NOT NULL DEFAULT '',"
             " reason TEXT NOT NULL DEFAULT '',"
             " accepted TEXT NOT NULL DEFAULT '')");
    } catch (...) {
        sqlite3_close(m_db);
        throw;
    }
}

SendJournal::~SendJournal() {
    sqlite3_close(m_db);
}

void SendJournal::exec(const char* sql) {
    QMutexLocker lock(&m_mutex);
    Statement(m_db, sql).step();
}

QString SendJournal::stateName(State state) {
    for (const StateName& entry : kStateNames) {
        if (entry.state == state)
            return QLatin1String(entry.name);
    }
    return {};
}

qint64 SendJournal::begin(const Row& row) {
    QMutexLocker lock(&m_mutex);
    Statement insert(m_db, "INSERT INTO send_journal(state, created_ms, numbers, message, sign,"
                           " sender, delay, owner) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    insert.bind(1, stateName(State::Sending));
    insert.bind(
        2,
        (row.moment.isValid() ? row.moment : QDateTime::currentDateTimeUtc()).toMSecsSinceEpoch());
    insert.bind(3, row.numbers.join(kNumberSeparator));
    insert.bind(4, row.message);
    insert.bind(5, row.sign);
    insert.bind(6, row.sender);
    insert.bind(7, qint64(row.delayMinutes));
    insert.bind(8, ProcessToken::current());
    insert.step();
    return sqlite3_last_insert_rowid(m_db);
}

void SendJournal::write(qint64 id, const char* sql, const QString& first, const QString& second) {
    QMutexLocker lock(&m_mutex);
    Statement q(m_db, sql);
    q.bind(1, id);
    q.bind(2, first);
    q.bind(3, second);
    q.step();
}

void SendJournal::recordAccepted(qint64 id, const QList<SendOutcome::Accepted>& accepted) {
    write(id, "UPDATE send_journal SET accepted=?2 WHERE id=?1", acceptedText(accepted));
}

void SendJournal::settle(qint64 id, const QStringList& unresolved, const QString& reason) {
    if (unresolved.isEmpty()) {
        remove(id);
        return;
    }
    write(id,
          "UPDATE send_journal SET state='unknown', owner='', accepted='', numbers=?2, reason=?3"
          " WHERE id=?1",
          unresolved.join(kNumberSeparator), reason);
}

void SendJournal::markUnknown(qint64 id, const QString& reason) {
    write(id, "UPDATE send_journal SET state='unknown', owner='', reason=?2 WHERE id=?1", reason);
}

void SendJournal::remove(qint64 id) {
    write(id, "DELETE FROM send_journal WHERE id=?1", {});
}

void SendJournal::inTransaction(const std::function<void()>& work) {
    QMutexLocker lock(&m_mutex);
    exec("BEGIN IMMEDIATE");
    try {
        work();
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    try {
        exec("COMMIT");
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

QList<SendJournal::Row> SendJournal::rows() const {
    QMutexLocker lock(&m_mutex);
    Statement q(m_db,
                (QByteArray(kColumns) + " WHERE state<>'scheduled' ORDER BY id").constData());
    QList<Row> result;
    while (q.step())
        result.append(rowFrom(q));
    return result;
}

qint64 SendJournal::schedule(const Row& row, const QDateTime& due) {
    QMutexLocker lock(&m_mutex);
    Statement insert(m_db, "INSERT INTO send_journal(state, created_ms, due_ms, numbers, message,"
                           " sign, sender, delay) VALUES('scheduled', ?1, ?2, ?3, ?4, ?5, ?6, 0)");
    insert.bind(1, QDateTime::currentDateTimeUtc().toMSecsSinceEpoch());
    insert.bind(2, due.toMSecsSinceEpoch());
    insert.bind(3, row.numbers.join(kNumberSeparator));
    insert.bind(4, row.message);
    insert.bind(5, row.sign);
    insert.bind(6, row.sender);
    insert.step();
    return sqlite3_last_insert_rowid(m_db);
}

QList<SendJournal::Row> SendJournal::scheduled() const {
    QMutexLocker lock(&m_mutex);
    Statement q(m_db, (QByteArray(kColumns) + " WHERE state='scheduled' ORDER BY due_ms, id")
                          .constData());
    QList<Row> result;
    while (q.step())
        result.append(rowFrom(q));
    return result;
}

QDateTime SendJournal::nextDue() const {
    QMutexLocker lock(&m_mutex);
    Statement q(m_db, "SELECT MIN(due_ms) FROM send_journal WHERE state='scheduled'");
    if (!q.step() || q.isNull(0))
        return {};
    return QDateTime::fromMSecsSinceEpoch(q.integer(0), Qt::UTC);
}

bool SendJournal::claim(qint64 id) {
    QMutexLocker lock(&m_mutex);
    // One statement: of several processes that try, the store lets one change the row.
    Statement q(m_db, "UPDATE send_journal SET state='sending', owner=?2, created_ms=?3"
                      " WHERE id=?1 AND state='scheduled'");
    q.bind(1, id);
    q.bind(2, ProcessToken::current());
    q.bind(3, QDateTime::currentDateTimeUtc().toMSecsSinceEpoch());
    q.step();
    return sqlite3_changes(m_db) == 1;
}

void SendJournal::unclaim(qint64 id) {
    write(id, "UPDATE send_journal SET state='scheduled', owner='' WHERE id=?1 AND state='sending'",
          {});
}

bool SendJournal::reschedule(qint64 id, const QDateTime& due) {
    QMutexLocker lock(&m_mutex);
    Statement q(m_db, "UPDATE send_journal SET due_ms=?2 WHERE id=?1 AND state='scheduled'");
    q.bind(1, id);
    q.bind(2, due.toMSecsSinceEpoch());
    q.step();
    return sqlite3_changes(m_db) == 1;
}

bool SendJournal::rewrite(qint64 id, const QString& message, const QString& sign) {
    QMutexLocker lock(&m_mutex);
    Statement q(m_db,
                "UPDATE send_journal SET message=?2, sign=?3 WHERE id=?1 AND state='scheduled'");
    q.bind(1, id);
    q.bind(2, message);
    q.bind(3, sign);
    q.step();
    return sqlite3_changes(m_db) == 1;
}

std::optional<SendJournal::Row> SendJournal::row(qint64 id) const {
    QMutexLocker lock(&m_mutex);
    Statement q(m_db, (QByteArray(kColumns) + " WHERE id=?1").constData());
    q.bind(1, id);
    if (!q.step())
        return std::nullopt;
    return rowFrom(q);
}

void SendJournal::releaseOrphans() {
    QMutexLocker lock(&m_mutex);
    for (const Row& row : rows()) {
        if (row.state != State::Sending || ProcessToken::isAlive(row.owner))
            continue;
        write(row.id,
              "UPDATE send_journal SET state='unknown', owner='', reason=?2 WHERE id=?1 AND "
              "state='sending'",
              QStringLiteral("отправка прервана: программа закрылась, не дождавшись ответа"));
    }
}
