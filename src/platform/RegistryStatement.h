#pragma once

#include "Ansi.h"
#include "Registry.h"
#include "StoreFailure.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

namespace RegistryStore {

// Opens (creating when needed, mode 0600) a connection to the store file, as the registry
// does; other tables of the same file open their own connection with it. An SQLite code.
int openPrivately(const QString& path, sqlite3** db);

enum StoredType { TypeString = 1, TypeInteger = 4 }; // REG_SZ, REG_DWORD

// Key names compare like the registry's: case-insensitively, but they keep their case.
inline QString foldName(const QString& name) {
    return name.toCaseFolded();
}

// Names pass through the code page like everything else stored.
inline QString storedName(const QString& name) {
    return Ansi::representable(name);
}

inline QStringList keyParts(const QString& key) {
    return key.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

inline QByteArray dataFromInteger(qint32 value) {
    const auto u = quint32(value);
    const char bytes[4] = {char(u & 0xFF), char((u >> 8) & 0xFF), char((u >> 16) & 0xFF),
                           char((u >> 24) & 0xFF)};
    return QByteArray(bytes, 4);
}

inline qint32 integerFromData(QByteArrayView data) {
    const auto* b = reinterpret_cast<const unsigned char*>(data.data());
    return qint32(quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24);
}

// A prepared statement that finalizes itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql)
        : m_db(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            fail();
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, qint64 value) { sqlite3_bind_int64(m_stmt, index, value); }
    void bind(int index, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bindBlob(int index, const QByteArray& data) {
        sqlite3_bind_blob(m_stmt, index, data.constData(), int(data.size()), SQLITE_TRANSIENT);
    }

    // True while there is a row.
    bool step() {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            fail();
        return false;
    }

    // Ready to run again with new bindings.
    void reset() {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }

    qint64 integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    bool isNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }
    // The column's bytes, valid until the next step.
    QByteArrayView bytes(int column) const {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
        return QByteArrayView(data, sqlite3_column_bytes(m_stmt, column));
    }
    QString text(int column) const {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column)),
                                 sqlite3_column_bytes(m_stmt, column));
    }
    QByteArray blob(int column) const {
        const void* data = sqlite3_column_blob(m_stmt, column);
        return QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(m_stmt, column));
    }

private:
    [[noreturn]] void fail() const {
        throw RegistryError(StoreFailure::describe(m_db, StoreFailure::actionOf(m_stmt)));
    }

    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace RegistryStore
