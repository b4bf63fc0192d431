#include "Registry.h"

#include "Ansi.h"
#include "AppPaths.h"
#include "RegistryBranchRead.h"
#include "RegistryStatement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

using RegistryStore::Statement;
using RegistryStore::TypeInteger;
using RegistryStore::TypeString;

constexpr qint64 kRootKey = 0;

// Key names compare like the registry's: case-insensitively, but they keep their case.
QString foldName(const QString& name) {
    return name.toCaseFolded();
}

// Names pass through the code page like everything else stored.
QString storedName(const QString& name) {
    return Ansi::representable(name);
}

QStringList keyParts(const QString& key) {
    return key.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

QByteArray dataFromInteger(qint32 value) {
    const auto u = quint32(value);
    const char bytes[4] = {char(u & 0xFF), char((u >> 8) & 0xFF), char((u >> 16) & 0xFF),
                           char((u >> 24) & 0xFF)};
    return QByteArray(bytes, 4);
}

// The rows of a branch as stored: the keys below its top, parents before their children,
// and the values of the top and of those keys. Each table is scanned once, which beats an
// index search per row when the branch is most of the store (the contact book).
struct StoredBranch {
    struct Key {
        qint64 id;
        qint64 parent;
        QString name;
        QString folded;
    };
    struct Value {
        qint64 key;
        QString folded;
        QString name;
        qint64 type;
        QByteArray data;
    };

    StoredBranch(sqlite3* db, qint64 top)
        : keys(keysUnder(db, top)) {
        QSet<qint64> inBranch{top};
        for (const Key& key : std::as_const(keys))
            inBranch.insert(key.id);
        Statement allValues(db, "SELECT key, folded, name, type, data FROM vals");
        while (allValues.step()) {
            if (inBranch.contains(allValues.integer(0)))
                values.append({allValues.integer(0), allValues.text(1), allValues.text(2),
                               allValues.integer(3), allValues.blob(4)});
        }
    }

    // Every key below top, parents before their children, and each one's children in the
    // order subkeys() gives.
    static QList<Key> keysUnder(sqlite3* db, qint64 top) {
        QList<Key> all;
        QHash<qint64, QList<int>> childrenOf;
        Statement allKeys(db,
                          "SELECT id, parent, name, folded FROM keys ORDER BY parent, folded, id");
        while (allKeys.step()) {
            childrenOf[allKeys.integer(1)].append(int(all.size()));
            all.append({allKeys.integer(0), allKeys.integer(1), allKeys.text(2), allKeys.text(3)});
        }
        QList<Key> under;
        QSet<qint64> seen{top};
        QList<qint64> pending{top};
        while (!pending.isEmpty()) {
            for (const int i : childrenOf.value(pending.takeLast())) {
                if (seen.contains(all[i].id))
                    continue; // a damaged file could hold a loop
                under.append(all[i]);
                seen.insert(all[i].id);
                pending.append(all[i].id);
            }
        }
        return under;
    }

    QList<Key> keys;
    QList<Value> values;
};

// Brings a branch to a given content, touching only rows that differ: saving a large,
// mostly unchanged branch costs little more than reading it.
class BranchWriter {
public:
    BranchWriter(sqlite3* db, const StoredBranch& stored)
        : m_db(db)
        , m_insertKey(db, "INSERT INTO keys(parent, name, folded) VALUES(?1, ?2, ?3)")
        , m_renameKey(db, "UPDATE keys SET name=?2 WHERE id=?1")
        , m_deleteKey(db, "DELETE FROM keys WHERE id=?1")
        , m_insertValue(
              db, "INSERT INTO vals(key, folded, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5)")
        , m_updateValue(db, "UPDATE vals SET name=?3, type=?4, data=?5 WHERE key=?1 AND folded=?2")
        , m_deleteValue(db, "DELETE FROM vals WHERE key=?1 AND folded=?2") {
        m_keys.reserve(stored.keys.size());
        for (const StoredBranch::Key& key : stored.keys)
            m_keys.insert({key.parent, key.folded}, {key.id, key.name});
        m_values.reserve(stored.keys.size() + 1);
        for (const StoredBranch::Value& value : stored.values)
            m_values[value.key].append({value.folded, value.name, value.type, value.data});
    }

    void writeValues(qint64 key, const QList<Registry::Value>& values) {
        QList<ExistingValue>& existing = m_values[key];
        for (const Registry::Value& value : values) {
            const bool isString = value.type == Registry::ValueType::String;
            if (!isString && value.type != Registry::ValueType::Integer)
                continue;
            const QString name = storedName(value.name);
            const QString folded = foldName(name);
            const qint64 type = isString ? TypeString : TypeInteger;
            const QByteArray data = isString ? value.bytes : dataFromInteger(value.integer);
            const auto found =
                std::find_if(existing.begin(), existing.end(),
                             [&](const ExistingValue& e) { return e.folded == folded; });
            if (found != existing.end() && found->name == name && found->type == type &&
                found->data == data) {
                found->kept = true;
                continue;
            }
            Statement& write = found == existing.end() ? m_insertValue : m_updateValue;
            write.reset();
            write.bind(1, key);
            write.bind(2, folded);
            write.bind(3, name);
            write.bind(4, type);
            write.bindBlob(5, data);
            write.step();
            if (found == existing.end())
                existing.append({folded, name, type, data, true});
            else
                *found = {folded, name, type, data, true};
        }
    }

    void writeSubkeys(qint64 parent, const QList<Registry::Branch>& subkeys) {
        for (const Registry::Branch& branch : subkeys) {
            const QStringList parts = keyParts(branch.name);
            if (parts.size() != 1)
                throw RegistryError(
                    QStringLiteral("Settings store: bad key name %1").arg(branch.name));
            const QString name = storedName(parts.first());
            const std::pair<qint64, QString> id{parent, foldName(name)};
            auto found = m_keys.find(id);
            if (found == m_keys.end()) {
                m_insertKey.reset();
                m_insertKey.bind(1, parent);
                m_insertKey.bind(2, name);
                m_insertKey.bind(3, id.second);
                m_insertKey.step();
                found = m_keys.insert(id, {sqlite3_last_insert_rowid(m_db), name});
            } else if (!found->kept && found->name != name) {
                m_renameKey.reset();
                m_renameKey.bind(1, found->id);
                m_renameKey.bind(2, name);
                m_renameKey.step();
            }
            found->kept = true;
            const qint64 key = found->id;
            writeValues(key, branch.values);
            writeSubkeys(key, branch.subkeys);
        }
    }

    // Everything of the old branch that the new one does not have.
    void removeTheRest() {
        for (auto it = m_values.cbegin(); it != m_values.cend(); ++it) {
            for (const ExistingValue& value : it.value()) {
                if (value.kept)
                    continue;
                m_deleteValue.reset();
                m_deleteValue.bind(1, it.key());
                m_deleteValue.bind(2, value.folded);
                m_deleteValue.step();
            }
        }
        for (const ExistingKey& key : std::as_const(m_keys)) {
            if (key.kept)
                continue;
            m_deleteKey.reset();
            m_deleteKey.bind(1, key.id);
            m_deleteKey.step();
        }
    }

private:
    struct ExistingKey {
        qint64 id;
        QString name;
        bool kept = false;
    };
    struct ExistingValue {
        QString folded;
        QString name;
        qint64 type;
        QByteArray data;
        bool kept = false;
    };

    sqlite3* m_db;
    Statement m_insertKey;
    Statement m_renameKey;
    Statement m_deleteKey;
    Statement m_insertValue;
    Statement m_updateValue;
    Statement m_deleteValue;
    QHash<std::pair<qint64, QString>, ExistingKey> m_keys; // by parent and folded name
    QHash<qint64, QList<ExistingValue>> m_values;          // by key
};

// The store holds an account key and a proxy password: nobody else may read it. Only a file
// that does not exist yet is opened here: closing a descriptor of a file drops every lock the
// process holds on it, SQLite's included, and then a second process ending its connection
// would remove the write-ahead log that this process's open handle still writes to.
void createPrivateFile(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

} // namespace

Registry::Registry()
    : Registry(AppPaths::registryFile()) {
}

Registry::Registry(const QString& filePath)
    : m_path(filePath) {
    if (filePath != QLatin1String(":memory:"))
        createPrivateFile(filePath);
    // Every use of the connection holds m_mutex, so SQLite's own lock on each call (a
    // large part of reading a big branch, column by column) would only be taken twice.
    const int rc =
        sqlite3_open_v2(QFile::encodeName(filePath).constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "out of memory");
        sqlite3_close(m_db);
        m_db = nullptr;
        throw RegistryError(
            QStringLiteral("Cannot open settings store %1: %2").arg(filePath, message));
    }
    try {
        sqlite3_busy_timeout(m_db, 10000);
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA synchronous=NORMAL");
        // Reading through a mapping spares copying every page into a cache of our own; the
        // contact book's read at start is most of the file.
        exec("PRAGMA mmap_size=16777216");
        exec("PRAGMA foreign_keys=ON");
        exec("CREATE TABLE IF NOT EXISTS keys ("
             " id INTEGER PRIMARY KEY,"
             " parent INTEGER NOT NULL,"
             " name TEXT NOT NULL,"
             " folded TEXT NOT NULL,"
             " UNIQUE(parent, folded))");
        exec("CREATE TABLE IF NOT EXISTS vals ("
             " key INTEGER NOT NULL,"
             " name TEXT NOT NULL,"
             " folded TEXT NOT NULL,"
             " type INTEGER NOT NULL,"
             " data BLOB,"
             " PRIMARY KEY(key, folded))");
    } catch (...) {
        sqlite3_close(m_db);
        throw;
    }
}

Registry::~Registry() {
    sqlite3_close(m_db);
}

void Registry::exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : "unknown error");
        sqlite3_free(error);
        throw RegistryError(QStringLiteral("Settings store: %1").arg(message));
    }
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
            throw RegistryError(QStringLiteral("Settings store: cannot create key %1").arg(key));
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
    BranchWriter writer(m_db, StoredBranch(m_db, id));
    writer.writeValues(id, branch.values);
    writer.writeSubkeys(id, branch.subkeys);
    writer.removeTheRest();
    transaction.commit();
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
