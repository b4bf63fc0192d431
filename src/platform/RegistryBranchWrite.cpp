#include "RegistryBranchWrite.h"

#include "RegistryStatement.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

using RegistryStore::dataFromInteger;
using RegistryStore::foldName;
using RegistryStore::keyParts;
using RegistryStore::Statement;
using RegistryStore::storedName;
using RegistryStore::TypeInteger;
using RegistryStore::TypeString;

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
                    StoreFailure::describe(StoreFailure::Action::Write, SQLITE_MISUSE, 0,
                                           QStringLiteral("bad key name %1").arg(branch.name),
                                           QFile::decodeName(sqlite3_db_filename(m_db, "main"))));
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

} // namespace

void RegistryStore::replaceBranch(sqlite3* db, qint64 top, const Registry::Branch& branch) {
    BranchWriter writer(db, StoredBranch(db, top));
    writer.writeValues(top, branch.values);
    writer.writeSubkeys(top, branch.subkeys);
    writer.removeTheRest();
}
