#include "Store.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

#include <stdexcept>

namespace {

const char* const kSchema = R"(
CREATE TABLE IF NOT EXISTS accounts (
    id INTEGER PRIMARY KEY,
    key TEXT NOT NULL UNIQUE,
    email TEXT NOT NULL,
    email_folded TEXT UNIQUE,
    name TEXT NOT NULL, phone TEXT NOT NULL, city TEXT NOT NULL,
    birth_date TEXT NOT NULL, referrer TEXT NOT NULL, registered TEXT NOT NULL,
    balance INTEGER NOT NULL, activated INTEGER NOT NULL,
    notice TEXT NOT NULL, notice_send INTEGER NOT NULL, notice_info INTEGER NOT NULL,
    server_contacts INTEGER, extra_option INTEGER,
    icq1 TEXT NOT NULL, icq2 TEXT NOT NULL,
    contacts BLOB);
CREATE TABLE IF NOT EXISTS messages (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    account_id INTEGER NOT NULL,
    number TEXT NOT NULL, sender TEXT NOT NULL, text TEXT NOT NULL,
    delay INTEGER NOT NULL, parts INTEGER NOT NULL, price INTEGER NOT NULL,
    created_ms INTEGER NOT NULL, status_override INTEGER);
CREATE INDEX IF NOT EXISTS messages_account ON messages(account_id, id);
CREATE TABLE IF NOT EXISTS vouchers (
    serial TEXT PRIMARY KEY,
    amount INTEGER NOT NULL, buyer_id INTEGER NOT NULL, created_ms INTEGER NOT NULL,
    redeemed_by INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS refusals (number TEXT PRIMARY KEY);
)";

const char* const kAccountColumns =
    "id, key, email, name, phone, city, birth_date, referrer, registered, balance, activated, "
    "notice, notice_send, notice_info, server_contacts, extra_option, icq1, icq2";

QByteArray utf8(const QString& text) {
    return text.toUtf8();
}

QByteArray columnBytes(sqlite3_stmt* statement, int column) {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
    return QByteArray(data, sqlite3_column_bytes(statement, column));
}

QString columnText(sqlite3_stmt* statement, int column) {
    return QString::fromUtf8(columnBytes(statement, column));
}

std::optional<bool> columnOptionalBool(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) == SQLITE_NULL)
        return std::nullopt;
    return sqlite3_column_int(statement, column) != 0;
}

QString foldedEmail(const QString& email) {
    return email.trimmed().toLower();
}

} // namespace

// A cached statement in use: binds by position and resets itself when it goes.
class Store::Statement {
public:
    Statement(Store& store, const char* sql)
        : m_statement(store.prepared(sql)) {}
    ~Statement() {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }

    Statement& bind(qint64 value) {
        sqlite3_bind_int64(m_statement, ++m_index, value);
        return *this;
    }
    Statement& bind(const QByteArray& value) {
        sqlite3_bind_text(m_statement, ++m_index, value.constData(), int(value.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(const QString& value) { return bind(utf8(value)); }
    Statement& bindBlob(const QByteArray& value) {
        sqlite3_bind_blob(m_statement, ++m_index, value.constData(), int(value.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(std::optional<qint64> value) {
        if (value)
            return bind(*value);
        sqlite3_bind_null(m_statement, ++m_index);
        return *this;
    }

    // True while there is a row.
    bool step() {
        const int rc = sqlite3_step(m_statement);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            m_failed = rc;
        return false;
    }
    // Runs a statement that returns no rows; false on a constraint (e.g. a taken key).
    bool run() { return !step() && m_failed == 0; }

    sqlite3_stmt* get() const { return m_statement; }

private:
    sqlite3_stmt* m_statement;
    int m_index = 0;
    int m_failed = 0;
};

Store::Store(const QString& path) {
    if (path != QLatin1String(":memory:")) {
        const QFileInfo info(path);
        QDir().mkpath(info.absolutePath());
    }
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_close(m_db);
        m_db = nullptr;
        return;
    }
    char* message = nullptr;
    const QByteArray setup =
        QByteArray("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;") + kSchema;
    if (sqlite3_exec(m_db, setup.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        m_error = QString::fromUtf8(message);
        sqlite3_free(message);
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

Store::~Store() {
    for (const auto& entry : m_statements)
        sqlite3_finalize(entry.second);
    sqlite3_close(m_db);
}

sqlite3_stmt* Store::prepared(const char* sql) {
    auto it = m_statements.find(sql);
    if (it != m_statements.end())
        return it->second;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) !=
        SQLITE_OK)
        throw std::logic_error(sqlite3_errmsg(m_db)); // a fault in our own SQL
    m_statements.emplace(sql, statement);
    return statement;
}

void Store::exec(const char* sql) {
    Statement(*this, sql).run();
}

Account Store::readAccount(sqlite3_stmt* s) {
    Account a;
    a.id = sqlite3_column_int64(s, 0);
    a.key = columnBytes(s, 1);
    a.email = columnText(s, 2);
    a.name = columnText(s, 3);
    a.phone = columnText(s, 4);
    a.city = columnText(s, 5);
    a.birthDate = columnText(s, 6);
    a.referrer = columnText(s, 7);
    a.registered = columnText(s, 8);
    a.balance = sqlite3_column_int64(s, 9);
    a.activated = sqlite3_column_int(s, 10) != 0;
    a.notice = columnText(s, 11);
    a.noticeForSend = sqlite3_column_int(s, 12) != 0;
    a.noticeForInfo = sqlite3_column_int(s, 13) != 0;
    a.serverContacts = columnOptionalBool(s, 14);
    a.extraOption = columnOptionalBool(s, 15);
    a.icq1 = columnText(s, 16);
    a.icq2 = columnText(s, 17);
    return a;
}

std::optional<Account> Store::accountByKey(const QByteArray& key) {
    static const QByteArray sql =
        QByteArray("SELECT ") + kAccountColumns + " FROM accounts WHERE key = ?";
    Statement statement(*this, sql.constData());
    statement.bind(key);
    if (!statement.step())
        return std::nullopt;
    return readAccount(statement.get());
}

std::optional<Account> Store::accountByEmail(const QString& email) {
    static const QByteArray sql =
        QByteArray("SELECT ") + kAccountColumns + " FROM accounts WHERE email_folded = ?";
    Statement statement(*this, sql.constData());
    statement.bind(foldedEmail(email));
    if (!statement.step())
        return std::nullopt;
    return readAccount(statement.get());
}

QList<Account> Store::accounts() {
    static const QByteArray sql =
        QByteArray("SELECT ") + kAccountColumns + " FROM accounts ORDER BY id";
    Statement statement(*this, sql.constData());
    QList<Account> out;
    while (statement.step())
        out.append(readAccount(statement.get()));
    return out;
}

bool Store::insertAccount(Account& a) {
    Statement statement(*this,
                        "INSERT INTO accounts (key, email, email_folded, name, phone, city, "
                        "birth_date, referrer, registered, balance, activated, notice, "
                        "notice_send, notice_info, server_contacts, extra_option, icq1, icq2) "
                        "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    const QString folded = foldedEmail(a.email);
    statement.bind(a.key).bind(a.email);
    if (folded.isEmpty())
        statement.bind(std::optional<qint64>()); // accounts made by the admin may have no e-mail
    else
        statement.bind(folded);
    statement.bind(a.name)
        .bind(a.phone)
        .bind(a.city)
        .bind(a.birthDate)
        .bind(a.referrer)
        .bind(a.registered)
        .bind(a.balance)
        .bind(qint64(a.activated))
        .bind(a.notice)
        .bind(qint64(a.noticeForSend))
        .bind(qint64(a.noticeForInfo))
        .bind(a.serverContacts ? std::optional<qint64>(*a.serverContacts) : std::nullopt)
        .bind(a.extraOption ? std::optional<qint64>(*a.extraOption) : std::nullopt)
        .bind(a.icq1)
        .bind(a.icq2);
    if (!statement.run())
        return false;
    a.id = sqlite3_last_insert_rowid(m_db);
    return true;
}

void Store::updateAccount(const Account& a) {
    Statement statement(*this,
                        "UPDATE accounts SET balance = ?, activated = ?, notice = ?, "
                        "notice_send = ?, notice_info = ?, server_contacts = ?, extra_option = ?, "
                        "icq1 = ?, icq2 = ? WHERE id = ?");
    statement.bind(a.balance)
        .bind(qint64(a.activated))
        .bind(a.notice)
        .bind(qint64(a.noticeForSend))
        .bind(qint64(a.noticeForInfo))
        .bind(a.serverContacts ? std::optional<qint64>(*a.serverContacts) : std::nullopt)
        .bind(a.extraOption ? std::optional<qint64>(*a.extraOption) : std::nullopt)
        .bind(a.icq1)
        .bind(a.icq2)
        .bind(a.id);
    statement.run();
}

std::optional<QByteArray> Store::contacts(qint64 accountId) {
    Statement statement(*this,
                        "SELECT contacts FROM accounts WHERE id = ? AND contacts IS NOT NULL");
    statement.bind(accountId);
    if (!statement.step())
        return std::nullopt;
    return columnBytes(statement.get(), 0);
}

void Store::setContacts(qint64 accountId, const QByteArray& payload) {
    Statement statement(*this, "UPDATE accounts SET contacts = ? WHERE id = ?");
    // An empty blob must stay distinct from "never saved" (NULL).
    statement.bindBlob(payload.isNull() ? QByteArray("") : payload).bind(accountId);
    statement.run();
}

Message Store::readMessage(sqlite3_stmt* s) {
    Message m;
    m.id = sqlite3_column_int64(s, 0);
    m.accountId = sqlite3_column_int64(s, 1);
    m.number = columnBytes(s, 2);
    m.sender = columnText(s, 3);
    m.text = columnText(s, 4);
    m.delayMinutes = sqlite3_column_int(s, 5);
    m.parts = sqlite3_column_int(s, 6);
    m.price = sqlite3_column_int64(s, 7);
    m.createdMs = sqlite3_column_int64(s, 8);
    if (sqlite3_column_type(s, 9) != SQLITE_NULL)
        m.statusOverride = sqlite3_column_int(s, 9);
    return m;
}

void Store::insertMessage(Message& m) {
    Statement statement(*this,
                        "INSERT INTO messages (account_id, number, sender, text, delay, parts, "
                        "price, created_ms) VALUES (?,?,?,?,?,?,?,?)");
    statement.bind(m.accountId)
        .bind(m.number)
        .bind(m.sender)
        .bind(m.text)
        .bind(qint64(m.delayMinutes))
        .bind(qint64(m.parts))
        .bind(m.price)
        .bind(m.createdMs);
    statement.run();
    m.id = sqlite3_last_insert_rowid(m_db);
}

std::optional<Message> Store::message(qint64 id) {
    Statement statement(*this, "SELECT id, account_id, number, sender, text, delay, parts, price, "
                               "created_ms, status_override FROM messages WHERE id = ?");
    statement.bind(id);
    if (!statement.step())
        return std::nullopt;
    return readMessage(statement.get());
}

QList<Message> Store::messages(std::optional<qint64> accountId, qint64 afterId, int limit) {
    Statement statement(*this,
                        "SELECT id, account_id, number, sender, text, delay, parts, price, "
                        "created_ms, status_override FROM messages "
                        "WHERE (?1 IS NULL OR account_id = ?1) AND id > ?2 ORDER BY id LIMIT ?3");
    statement.bind(accountId).bind(afterId).bind(qint64(limit));
    QList<Message> out;
    while (statement.step())
        out.append(readMessage(statement.get()));
    return out;
}

bool Store::setStatusOverride(qint64 id, std::optional<int> status) {
    Statement statement(*this, "UPDATE messages SET status_override = ? WHERE id = ?");
    statement.bind(status ? std::optional<qint64>(*status) : std::nullopt).bind(id);
    statement.run();
    return sqlite3_changes(m_db) > 0;
}

bool Store::insertVoucher(const Voucher& v) {
    Statement statement(
        *this, "INSERT INTO vouchers (serial, amount, buyer_id, created_ms) VALUES (?,?,?,?)");
    statement.bind(v.serial).bind(v.amount).bind(v.buyerId).bind(v.createdMs);
    return statement.run();
}

std::optional<Voucher> Store::voucher(const QByteArray& serial) {
    Statement statement(*this,
                        "SELECT serial, amount, buyer_id, created_ms, redeemed_by FROM vouchers "
                        "WHERE serial = ?");
    statement.bind(serial);
    if (!statement.step())
        return std::nullopt;
    sqlite3_stmt* s = statement.get();
    Voucher v;
    v.serial = columnBytes(s, 0);
    v.amount = sqlite3_column_int64(s, 1);
    v.buyerId = sqlite3_column_int64(s, 2);
    v.createdMs = sqlite3_column_int64(s, 3);
    v.redeemedBy = sqlite3_column_int64(s, 4);
    return v;
}

void Store::markRedeemed(const QByteArray& serial, qint64 accountId) {
    Statement statement(*this, "UPDATE vouchers SET redeemed_by = ? WHERE serial = ?");
    statement.bind(accountId).bind(serial);
    statement.run();
}

bool Store::isRefused(const QByteArray& number) {
    Statement statement(*this, "SELECT 1 FROM refusals WHERE number = ?");
    statement.bind(number);
    return statement.step();
}

void Store::addRefusal(const QByteArray& number) {
    Statement statement(*this, "INSERT OR IGNORE INTO refusals (number) VALUES (?)");
    statement.bind(number);
    statement.run();
}

void Store::removeRefusal(const QByteArray& number) {
    Statement statement(*this, "DELETE FROM refusals WHERE number = ?");
    statement.bind(number);
    statement.run();
}

QList<QByteArray> Store::refusals() {
    Statement statement(*this, "SELECT number FROM refusals ORDER BY number");
    QList<QByteArray> out;
    while (statement.step())
        out.append(columnBytes(statement.get(), 0));
    return out;
}

void Store::clear() {
    Transaction transaction(*this);
    exec("DELETE FROM accounts");
    exec("DELETE FROM messages");
    exec("DELETE FROM vouchers");
    exec("DELETE FROM refusals");
    exec("DELETE FROM sqlite_sequence");
    transaction.commit();
}

Store::Transaction::Transaction(Store& store)
    : m_store(store) {
    m_store.exec("BEGIN");
}

Store::Transaction::~Transaction() {
    if (!m_done)
        m_store.exec("ROLLBACK");
}

void Store::Transaction::commit() {
    m_store.exec("COMMIT");
    m_done = true;
}
