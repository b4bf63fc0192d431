#include "Registry.h"

#include "Ansi.h"
#include "AppPaths.h"
#include "RegistryBranchRead.h"
#include "RegistryBranchWrite.h"
#include "RegistryStatement.h"
#include "StoreFailure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <sys/stat.h>

#include <mutex>

namespace {

using RegistryStore::foldName;
using RegistryStore::keyParts;
using RegistryStore::Statement;
using RegistryStore::storedName;
using RegistryStore::TypeInteger;
using RegistryStore::TypeString;

using StoreFailure::Action;

constexpr qint64 kRootKey = 0;

void execute(sqlite3* db, const char* sql, Action action) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw RegistryError(StoreFailure::describe(db, action));
}

} // namespace

// The store holds an account key and a proxy password: nobody else may read it. SQLite
// itself creates the file, under a private creation mask, and gives its journal files the
// file's mode. The file is never opened here by hand: closing any descriptor of it would
// silently drop the locks that this process's open connections hold on it.
int RegistryStore::openPrivately(const QString& path, sqlite3** db) {
    constexpr int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    const QByteArray native = QFile::encodeName(path);
    if (path == QLatin1String(":memory:"))
        return sqlite3_open_v2(native.constData(), db, flags, nullptr);
    QDir().mkpath(QFileInfo(path).absolutePath());
    // The mask is the process's: two threads opening at once must not restore each other's.
    static std::mutex maskLock;
    int rc = SQLITE_OK;
    {
        const std::lock_guard lock(maskLock);
        const mode_t previous = ::umask(0077);
        rc = sqlite3_open_v2(native.constData(), db, flags, nullptr);
        ::umask(previous);
    }
    // An older store may have been made with a looser mode; chmod goes by name, not by a
    // descriptor, so it leaves the locks alone.
    struct stat info {};
    if (rc == SQLITE_OK && ::stat(native.constData(), &info) == 0 && (info.st_mode & 0077) != 0)
        ::chmod(native.constData(), info.st_mode & 0700);
    return rc;
}

Registry::Registry()
    : Registry(AppPaths::registryFile()) {
}

bool Registry::sameName(const QString& a, const QString& b) {
    return foldName(storedName(a)) == foldName(storedName(b));
}

Registry::Registry(const QString& filePath)
    : m_path(filePath) {
    // Every use of the connection holds m_mutex, so SQLite's own lock on each call (a
    // large part of reading a big branch, column by column) would only be taken twice.
    const int rc = RegistryStore::openPrivately(filePath, &m_db);
    if (rc != SQLITE_OK) {
        const QString message = StoreFailure::describe(m_db, Action::Open, filePath);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw RegistryError(message);
    }
    try {
        sqlite3_busy_timeout(m_db, 10000);
        execute(m_db, "PRAGMA journal_mode=WAL", Action::Open);
        execute(m_db, "PRAGMA synchronous=NORMAL", Action::Open);
        // Reading through a mapping spares copying every page into a cache of our own; the
        // contact book's read at start is most of the file.
        execute(m_db, "PRAGMA mmap_size=16777216", Action::Open);
        execute(m_db, "PRAGMA foreign_keys=ON", Action::Open);
        execute(m_db,
                "CREATE TABLE IF NOT EXISTS keys ("
                " id INTEGER PRIMARY KEY,"
                " parent INTEGER NOT NULL,"
                " name TEXT NOT NULL,"
                " folded TEXT NOT NULL,"
                " UNIQUE(parent, folded))",
                Action::Open);
        execute(m_db,
                "CREATE TABLE IF NOT EXISTS vals ("
                " key INTEGER NOT NULL,"
                " name TEXT NOT NULL,"
                " folded TEXT NOT NULL,"
                " type INTEGER NOT NULL,"
                " data BLOB,"
                " PRIMARY KEY(key, folded))",
                Action::Open);
    } catch (...) {
        sqlite3_close(m_db);
        throw;
    }
}

Registry::~Registry() {
    sqlite3_close(m_db);
}

// Transaction control: what fails here is the writing of the batch.
void Registry::exec(const char* sql) {
    execute(m_db, sql, Action::Write);
}

qint64 Registry::findKey(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    qint64 id = kRootKey;
    for (const QString& part : keyParts(key)) {
        Statement q(m_db, "SELECT id FROM keys WHERE parent=?1 AND folded=?2");
        q.bind(1, id);
        q.bind(2, foldName(storedName(part)));
        if (!q.step())
            return -1;
        id = q.integer(0);
    }
    return id;
}

qint64 Registry::ensureKey(const QString& key) {
    QMutexLocker lock(&m_mutex);
    qint64 id = kRootKey;
    for (const QString& part : keyParts(key)) {
        const QString name = storedName(part);
        Statement insert(m_db,
                         "INSERT OR IGNORE INTO keys(parent, name, folded) VALUES(?1, ?2, ?3)");
        insert.bind(1, id);
        insert.bind(2, name);
        insert.bind(3, foldName(name));
        insert.step();
        Statement q(m_db, "SELECT id FROM keys WHERE parent=?1 AND folded=?2");
        q.bind(1, id);
        q.bind(2, foldName(name));
        if (!q.step())
            throw RegistryError(
                StoreFailure::describe(Action::Write, SQLITE_ERROR, 0,
                                       QStringLiteral("cannot create key %1").arg(key), m_path));
        id = q.integer(0);
    }
    return id;
}

bool Registry::keyExists(const QString& key) const {
    return findKey(key) >= 0;
}

void Registry::createKey(const QString& key) {
    ensureKey(key);
}

QStringList Registry::namesUnder(const QString& key, const char* sql) const {
    QMutexLocker lock(&m_mutex);
    const qint64 id = findKey(key);
    if (id < 0)
        return {};
    Statement q(m_db, sql);
    q.bind(1, id);
    QStringList names;
    while (q.step())
        names.append(q.text(0));
    return names;
}

QStringList Registry::subkeys(const QString& key) const {
    return namesUnder(key, "SELECT name FROM keys WHERE parent=?1 ORDER BY folded, id");
}

void Registry::deleteKeyTree(const QString& key) {
    QMutexLocker lock(&m_mutex);
    Transaction transaction(*this);
    const qint64 id = findKey(key);
    if (id < 0)
        return;
    QList<qint64> pending{id};
    QList<qint64> all;
    while (!pending.isEmpty()) {
        const qint64 current = pending.takeLast();
        all.append(current);
        Statement q(m_db, "SELECT id FROM keys WHERE parent=?1");
        q.bind(1, current);
        while (q.step())
            pending.append(q.integer(0));
    }
    for (const qint64 current : all) {
        Statement values(m_db, "DELETE FROM vals WHERE key=?1");
        values.bind(1, current);
        values.step();
        if (current == kRootKey)
            continue; // the root key itself always exists
        Statement keys(m_db, "DELETE FROM keys WHERE id=?1");
        keys.bind(1, current);
        keys.step();
    }
    transaction.commit();
}

Registry::ValueType Registry::valueType(const QString& key, const QString& name) const {
    QMutexLocker lock(&m_mutex);
    const qint64 id = findKey(key);
    if (id < 0)
        return ValueType::Missing;
    Statement q(m_db, "SELECT type FROM vals WHERE key=?1 AND folded=?2");
    q.bind(1, id);
    q.bind(2, foldName(storedName(name)));
    if (!q.step())
        return ValueType::Missing;
    switch (q.integer(0)) {
    case TypeString:
        return ValueType::String;
    case TypeInteger:
        return ValueType::Integer;
    default:
        return ValueType::Other;
    }
}

QStringList Registry::valueNames(const QString& key) const {
    return namesUnder(key, "SELECT name FROM vals WHERE key=?1 ORDER BY folded");
}

std::optional<QByteArray> Registry::readBytes(const QString& key, const QString& name) const {
    QMutexLocker lock(&m_mutex);
    const qint64 id = findKey(key);
    if (id < 0)
        return std::nullopt;
    Statement q(m_db, "SELECT data FROM vals WHERE key=?1 AND folded=?2 AND type=?3");
    q.bind(1, id);
    q.bind(2, foldName(storedName(name)));
    q.bind(3, qint64(TypeString));
    if (!q.step())
        return std::nullopt;
    return q.blob(0);
}

std::optional<QString> Registry::readStringValue(const QString& key, const QString& name) const {
    const auto bytes = readBytes(key, name);
    if (!bytes)
        return std::nullopt;
    return Ansi::toUnicode(*bytes);
}

QString Registry::readString(const QString& key, const QString& name) const {
    return readStringValue(key, name).value_or(QString());
}

std::optional<qint32> Registry::readInteger(const QString& key, const QString& name) const {
    QMutexLocker lock(&m_mutex);
    const qint64 id = findKey(key);
    if (id < 0)
        return std::nullopt;
    Statement q(m_db, "SELECT data FROM vals WHERE key=?1 AND folded=?2 AND type=?3");
    q.bind(1, id);
    q.bind(2, foldName(storedName(name)));
    q.bind(3, qint64(TypeInteger));
    if (!q.step())
        return std::nullopt;
    const QByteArray data = q.blob(0);
    if (data.size() != 4)
        return std::nullopt;
    const auto* b = reinterpret_cast<const unsigned char*>(data.constData());
    return qint32(quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24);
}

std::optional<bool> Registry::readBool(const QString& key, const QString& name) const {
    const auto value = readInteger(key, name);
    if (!value)
        return std::nullopt;
    return *value != 0;
}

void Registry::writeValue(const QString& key, const QString& name, int type,
                          const QByteArray& data) {
    QMutexLocker lock(&m_mutex);
    Transaction transaction(*this);
    const qint64 id = ensureKey(key);
    const QString stored = storedName(name);
    // An existing value keeps the case of its name, as in the registry.
    Statement update(m_db, "UPDATE vals SET type=?3, data=?4 WHERE key=?1 AND folded=?2");
    update.bind(1, id);
    update.bind(2, foldName(stored));
    update.bind(3, qint64(type));
    update.bindBlob(4, data);
    update.step();
    if (sqlite3_changes(m_db) == 0) {
        Statement insert(
            m_db, "INSERT INTO vals(key, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5)");
        insert.bind(1, id);
        insert.bind(2, stored);
        insert.bind(3, foldName(stored));
        insert.bind(4, qint64(type));
        insert.bindBlob(5, data);
        insert.step();
    }
    transaction.commit();
}

void Registry::writeBytes(const QString& key, const QString& name, const QByteArray& value) {
    writeValue(key, name, TypeString, value);
}

void Registry::writeString(const QString& key, const QString& name, const QString& value) {
    writeValue(key, name, TypeString, Ansi::fromUnicode(value));
}

void Registry::writeInteger(const QString& key, const QString& name, qint32 value) {
    const auto u = quint32(value);
    const char bytes[4] = {char(u & 0xFF), char((u >> 8) & 0xFF), char((u >> 16) & 0xFF),
                           char((u >> 24) & 0xFF)};
    writeValue(key, name, TypeInteger, QByteArray(bytes, 4));
}

void Registry::writeBool(const QString& key, const QString& name, bool value) {
    writeInteger(key, name, value ? 1 : 0);
}

void Registry::deleteValue(const QString& key, const QString& name) {
    QMutexLocker lock(&m_mutex);
    const qint64 id = findKey(key);
    if (id < 0)
        return;
    Statement q(m_db, "DELETE FROM vals WHERE key=?1 AND folded=?2");
    q.bind(1, id);
    q.bind(2, foldName(storedName(name)));
    q.step();
}

Registry::Branch Registry::readBranch(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    const qint64 id = findKey(key);
    if (id < 0)
        return {};
    Branch top = RegistryStore::readBranch(m_db, id);
    top.name = keyParts(key).value(keyParts(key).size() - 1);
    return top;
}

void Registry::replaceBranch(const QString& key, const Branch& branch) {
    QMutexLocker lock(&m_mutex);
    Transaction transaction(*this);
    const qint64 id = ensureKey(key);
    RegistryStore::replaceBranch(m_db, id, branch);
    transaction.commit();
}

qint64 Registry::dataVersion() const {
    QMutexLocker lock(&m_mutex);
    Statement q(m_db, "PRAGMA data_version");
    if (!q.step())
        throw RegistryError(StoreFailure::describe(Action::Read, SQLITE_ERROR, 0,
                                                   QStringLiteral("no data version"), m_path));
    return q.integer(0);
}

Registry::Transaction::Transaction(Registry& registry)
    : m_registry(registry) {
    m_registry.m_mutex.lock();
    if (m_registry.m_depth == 0) {
        try {
            // IMMEDIATE takes the write lock at once, so two processes never deadlock upgrading.
            m_registry.exec("BEGIN IMMEDIATE");
        } catch (...) {
            m_registry.m_mutex.unlock();
            throw;
        }
    } else {
        m_savepoint = QStringLiteral("sp%1").arg(m_registry.m_depth);
        m_registry.exec(QStringLiteral("SAVEPOINT %1").arg(m_savepoint).toUtf8().constData());
    }
    ++m_registry.m_depth;
}

void Registry::Transaction::commit() {
    if (m_done)
        return;
    if (m_savepoint.isEmpty())
        m_registry.exec("COMMIT");
    else
        m_registry.exec(QStringLiteral("RELEASE %1").arg(m_savepoint).toUtf8().constData());
    m_done = true;
    --m_registry.m_depth;
    m_registry.m_mutex.unlock();
}

Registry::Transaction::~Transaction() {
    if (m_done)
        return;
    try {
        if (m_savepoint.isEmpty()) {
            m_registry.exec("ROLLBACK");
        } else {
            const QByteArray name = m_savepoint.toUtf8();
            m_registry.exec(("ROLLBACK TO " + name).constData());
            m_registry.exec(("RELEASE " + name).constData());
        }
    } catch (const RegistryError&) {
        // Nothing more can be done; SQLite itself rolls back an unfinished transaction.
    }
    --m_registry.m_depth;
    m_registry.m_mutex.unlock();
}
