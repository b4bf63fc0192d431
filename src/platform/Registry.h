#pragma once

#include <QMutex>
#include <QRecursiveMutex>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

struct sqlite3;

// A failed read or write of the store (no access, full disk, corrupt file).
class RegistryError : public std::runtime_error {
public:
    explicit RegistryError(const QString& message)
        : std::runtime_error(message.toStdString()) {}
};

// The store that stands in for the registry key HKEY_CURRENT_USER\Software\Varnelo.
//
// Keys are addressed by their path below that root, parts separated by "\" ("" is the root,
// "Contacts\Friends" a subkey). Key and value names compare case-insensitively and keep the
// case they were created with. Each key has a default (unnamed) value, addressed by the
// empty name. Values are strings (held as code-page-1251 bytes) or 32-bit integers.
//
// One object may be shared by several threads; a Transaction holds the store for its thread.
// Several processes may use the same file at once.
class Registry {
public:
    enum class ValueType { Missing, String, Integer, Other };

    // Opens (creating when needed, mode 0600) the store file. Throws RegistryError.
    explicit Registry(const QString& filePath);
    // The user's store (AppPaths::registryFile()).
    Registry();
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    QString filePath() const { return m_path; }

    // Whether two names address the same key or value, compared as the store compares them.
    static bool sameName(const QString& a, const QString& b);

    bool keyExists(const QString& key) const;
    void createKey(const QString& key);            // with any missing parents
    QStringList subkeys(const QString& key) const; // stored case, ordered case-insensitively
    void deleteKeyTree(const QString& key);        // the key, its values and every subkey

    ValueType valueType(const QString& key, const QString& name) const;
    QStringList valueNames(const QString& key) const; // "" stands for the default value

    // Missing or not a string: empty. Never fails for a missing value.
    QString readString(const QString& key, const QString& name) const;
    // Missing or not a string: nothing.
    std::optional<QString> readStringValue(const QString& key, const QString& name) const;
    // Missing or not an integer: nothing (the caller applies its own rule).
    std::optional<qint32> readInteger(const QString& key, const QString& name) const;
    std::optional<bool> readBool(const QString& key, const QString& name) const;
    // Raw code-page-1251 bytes of a string value (ciphered values, hashes).
    std::optional<QByteArray> readBytes(const QString& key, const QString& name) const;

    // Writes create the key when needed. Throw RegistryError.
    void writeString(const QString& key, const QString& name, const QString& value);
    void writeBytes(const QString& key, const QString& name, const QByteArray& value);
    void writeInteger(const QString& key, const QString& name, qint32 value);
    void writeBool(const QString& key, const QString& name, bool value);
    void deleteValue(const QString& key, const QString& name);

    // A whole branch in one go, for callers that move thousands of values at once (the
    // contact book), where value by value takes seconds. Both scan the store's tables once;
    // replaceBranch writes only the rows that differ.
    struct Value {
        QString name;
        ValueType type = ValueType::String; // String or Integer; Other is read but not written
        QByteArray bytes;                   // a string's code-page-1251 bytes
        qint32 integer = 0;
    };
    struct Branch {
        QString name;          // the key's stored name; unused for the top of a written branch
        QList<Value> values;   // ordered by name, case-insensitively
        QList<Branch> subkeys; // ordered as subkeys() orders them
    };
    // The key's values and everything below it; an empty branch when the key is missing.
    Branch readBranch(const QString& key) const;
    // Replaces the key's values and everything below it, creating the key when needed.
    // Throws RegistryError; joins an enclosing Transaction.
    void replaceBranch(const QString& key, const Branch& branch);

    // Changes whenever another connection, in this process or another, has committed to the
    // store since the last call; this connection's own writes leave it as it is.
    qint64 dataVersion() const;

    // A batch of changes that lands whole or not at all. Nested transactions join the outer
    // one. Destroyed without commit(): everything since its start is rolled back.
    class Transaction {
    public:
        explicit Transaction(Registry& registry);
        ~Transaction();
        void commit(); // throws RegistryError
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;

    private:
        Registry& m_registry;
        QString m_savepoint;
        bool m_done = false;
    };

private:
    friend class Transaction;
    qint64 findKey(const QString& key) const; // -1 when missing
    QStringList namesUnder(const QString& key, const char* sql) const; // sql binds the key id
    qint64 ensureKey(const QString& key);
    void writeValue(const QString& key, const QString& name, int type, const QByteArray& data);
    void exec(const char* sql);

    QString m_path;
    sqlite3* m_db = nullptr;
    // Held by every use of m_db, which is opened without SQLite's own per-call locking.
    mutable QRecursiveMutex m_mutex;
    int m_depth = 0;
};
