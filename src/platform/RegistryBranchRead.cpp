#include "RegistryBranchRead.h"

#include "RegistryStatement.h"

#include <QHash>
#include <QSet>

#include <iterator>
#include <optional>
#include <utility>
#include <vector>

namespace RegistryStore {
namespace {

// Deeper keys than the registry allows only come from a damaged file.
constexpr int kMaxDepth = 512;

// Value names repeat across thousands of keys (a contact's "Number", "Sign" …): one shared
// string per name spares an allocation per row of a large branch.
class NameCache {
public:
    QString operator()(QByteArrayView utf8) {
        for (const auto& [bytes, name] : m_names) {
            if (bytes == utf8)
                return name;
        }
        QString name = QString::fromUtf8(utf8);
        if (m_names.size() < kLimit)
            m_names.emplace_back(utf8.toByteArray(), name);
        return name;
    }

private:
    static constexpr size_t kLimit = 32;
    std::vector<std::pair<QByteArray, QString>> m_names;
};

struct StoredKey {
    qint64 id;
    QString name;
    QList<Registry::Value> values;
};

// The keys of one parent come in one run, because the table is read in parent order.
struct Run {
    qsizetype first = 0;
    qsizetype count = 0;
};

// Reads the whole store in two passes, one per table, and puts the asked-for branch
// together from memory: with the contact book being most of the store, that beats a
// search per key.
class BranchReader {
public:
    BranchReader(sqlite3* db, qint64 top) {
        readKeys(db);
        readValues(db, top);
    }

    Registry::Branch branch(qint64 top) {
        Registry::Branch branch;
        branch.values = std::move(m_topValues);
        QSet<qint64> seen{top};
        addSubkeys(branch, top, seen, 0);
        return branch;
    }

private:
    void readKeys(sqlite3* db) {
        Statement rows(db, "SELECT id, parent, name FROM keys ORDER BY parent, folded, id");
        qint64 parent = -1;
        while (rows.step()) {
            const qint64 rowParent = rows.integer(1);
            if (rowParent != parent) {
                parent = rowParent;
                m_childrenOf.insert(parent, {m_keys.size(), 0});
            }
            ++m_childrenOf[parent].count;
            m_indexOf.insert(rows.integer(0), m_keys.size());
            m_keys.append({rows.integer(0), rows.text(2), {}});
        }
    }

    // The rows of one key come together: they are gathered in one reused buffer and each
    // key's list is made once, at its exact size, when the next key starts.
    void readValues(sqlite3* db, qint64 top) {
        Statement rows(db, "SELECT key, name, type, data FROM vals ORDER BY key, folded");
        NameCache names;
        std::vector<Registry::Value> run;
        QList<Registry::Value>* values = nullptr;
        const auto flush = [&run, &values] {
            if (values && !run.empty())
                *values = QList<Registry::Value>(std::make_move_iterator(run.begin()),
                                                 std::make_move_iterator(run.end()));
            run.clear();
        };
        std::optional<qint64> key;
        while (rows.step()) {
            if (rows.integer(0) != key) {
                flush();
                key = rows.integer(0);
                values = valuesOf(*key, top);
            }
            if (!values)
                continue;
            Registry::Value& value = run.emplace_back();
            value.name = names(rows.bytes(1));
            const qint64 type = rows.integer(2);
            const QByteArrayView data = rows.bytes(3);
            if (type == TypeInteger && data.size() == 4) {
                value.type = Registry::ValueType::Integer;
                value.integer = integerFromData(data);
            } else {
                value.type =
                    type == TypeString ? Registry::ValueType::String : Registry::ValueType::Other;
                value.bytes = data.toByteArray();
            }
        }
        flush();
    }

    // Where a key's values go; none for keys outside the store's tree, whose values are
    // skipped.
    QList<Registry::Value>* valuesOf(qint64 key, qint64 top) {
        if (key == top)
            return &m_topValues;
        const auto found = m_indexOf.constFind(key);
        return found == m_indexOf.cend() ? nullptr : &m_keys[*found].values;
    }

    void addSubkeys(Registry::Branch& branch, qint64 id, QSet<qint64>& seen, int depth) {
        if (depth >= kMaxDepth)
            return;
        const Run children = m_childrenOf.value(id);
        branch.subkeys.reserve(children.count);
        for (qsizetype i = children.first; i < children.first + children.count; ++i) {
            StoredKey& child = m_keys[i];
            if (seen.contains(child.id))
                continue; // a damaged file could hold a loop
            seen.insert(child.id);
            Registry::Branch sub;
            sub.name = std::move(child.name);
            sub.values = std::move(child.values);
            addSubkeys(sub, child.id, seen, depth + 1);
            branch.subkeys.append(std::move(sub));
        }
    }

    QList<StoredKey> m_keys;
    QHash<qint64, qsizetype> m_indexOf;
    QHash<qint64, Run> m_childrenOf;
    QList<Registry::Value> m_topValues;
};

} // namespace

Registry::Branch readBranch(sqlite3* db, qint64 top) {
    return BranchReader(db, top).branch(top);
}

} // namespace RegistryStore
