#include "ContactStore.h"

#include "contacts/ContactBook.h"
#include "contacts/ContactRecords.h"
#include "platform/Ansi.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <numeric>
#include <optional>
#include <vector>

namespace {

const QString kDefaultValue; // a key's default value has no name
const QString kNoText;
const QString kSender = QStringLiteral("Sender");
const QString kNumber = QStringLiteral("Number");
const QString kSign = QStringLiteral("Sign");
const QString kTranslit = QStringLiteral("Translit");

// The form in which the store compares key names.
QString foldedKeyName(const QString& name) {
    return Ansi::representable(name).toCaseFolded();
}

bool usableAsKeyName(const QString& caption) {
    if (caption.isEmpty())
        return false;
    for (const QChar c : caption) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('/') || c.unicode() < 0x20)
            return false;
    }
    return true;
}

// Key names for one level of siblings: the caption itself wherever the store can hold it
// (the first of several equal captions keeps it), a generated name for the rest.
// An empty result entry means the caption is the key name.
QStringList generatedKeyNames(const QStringList& captions) {
    QSet<QString> used;
    QStringList generated(captions.size());
    QList<int> pending;
    for (int i = 0; i < captions.size(); ++i) {
        const QString folded = foldedKeyName(captions[i]);
        if (usableAsKeyName(captions[i]) && !used.contains(folded))
            used.insert(folded);
        else
            pending.append(i);
    }
    int counter = 0;
    for (const int i : pending) {
        QString name;
        do
            name = QStringLiteral("#%1").arg(++counter);
        while (used.contains(name));
        used.insert(name);
        generated[i] = name;
    }
    return generated;
}

std::optional<int> parsePosition(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// Book order from stored positions: for k = 1 … n the first entry numbered k; entries with
// a missing, repeated or out-of-range number follow in the order they were found, so an
// edited store never costs entries.
QList<int> positionalOrder(const QList<std::optional<int>>& positions) {
    const int n = int(positions.size());
    QList<int> firstWith(n + 1, -1);
    for (int i = 0; i < n; ++i) {
        const auto& p = positions[i];
        if (p && *p >= 1 && *p <= n && firstWith[*p] < 0)
            firstWith[*p] = i;
    }
    QList<int> order;
    order.reserve(n);
    QList<bool> placed(n, false);
    for (int k = 1; k <= n; ++k) {
        if (firstWith[k] >= 0) {
            order.append(firstWith[k]);
            placed[firstWith[k]] = true;
        }
    }
    for (int i = 0; i < n; ++i) {
        if (!placed[i])
            order.append(i);
    }
    return order;
}

const Registry::Value* findValue(const Registry::Branch& key, const QString& name) {
    // Names come back as the program wrote them; a name in another case is the exception.
    for (const Registry::Value& value : key.values) {
        if (value.name == name)
            return &value;
    }
    for (const Registry::Value& value : key.values) {
        if (value.name.compare(name, Qt::CaseInsensitive) == 0)
            return &value;
    }
    return nullptr;
}

// Missing or of another type: nothing.
std::optional<QString> stringValue(const Registry::Branch& key, const QString& name) {
    const Registry::Value* value = findValue(key, name);
    if (!value || value->type != Registry::ValueType::String)
        return std::nullopt;
    return Ansi::toUnicode(value->bytes);
}

QString captionOf(const Registry::Branch& key) {
    return stringValue(key, ContactStore::kCaptionValue).value_or(key.name);
}

BookEntry readContact(const Registry::Branch& key) {
    BookEntry contact;
    contact.caption = captionOf(key);
    contact.Name = contact.caption;
    contact.Sender = stringValue(key, kSender).value_or(QString());
    contact.Number = stringValue(key, kNumber).value_or(QString());
    contact.Sign = stringValue(key, kSign).value_or(QString());
    const Registry::Value* translit = findValue(key, kTranslit);
    contact.Translit =
        translit && translit->type == Registry::ValueType::Integer && translit->integer != 0;
    return contact;
}

BookGroup readGroup(const Registry::Branch& key, std::optional<int>& position) {
    BookGroup group;
    group.entry.caption = captionOf(key);

    // "position|expanded"; a value that is missing or does not parse only costs the
    // group its place, which then follows the numbered groups.
    const QString value = stringValue(key, QString()).value_or(QString());
    const qsizetype bar = value.indexOf(QLatin1Char('|'));
    position = parsePosition(bar < 0 ? value : value.left(bar));
    const bool storedExpanded = bar >= 0 && value.mid(bar + 1, 1) == QLatin1String("1");

    QList<std::optional<int>> positions;
    positions.reserve(key.subkeys.size());
    for (const Registry::Branch& contact : key.subkeys)
        positions.append(parsePosition(stringValue(contact, QString()).value_or(QString())));
    group.contacts.reserve(key.subkeys.size());
    for (const int i : positionalOrder(positions))
        group.contacts.append(readContact(key.subkeys[i]));
    // An empty group cannot be shown expanded.
    group.entry.expanded = storedExpanded && !group.contacts.isEmpty();
    return group;
}

// Siblings in name order, so that two branches compare whatever order they came in.
template <typename T> std::vector<const T*> byName(const QList<T>& items) {
    std::vector<const T*> sorted;
    sorted.reserve(size_t(items.size()));
    for (const T& item : items)
        sorted.push_back(&item);
    std::sort(sorted.begin(), sorted.end(),
              [](const T* a, const T* b) { return a->name < b->name; });
    return sorted;
}

// Whether each stored key meets the expected name at its position (the lists being of one
// size), pairing both in name order; same(key, position) judges each pair further.
template <typename Same>
bool keysPairUp(const QList<Registry::Branch>& stored, const QStringList& names, Same&& same) {
    std::vector<qsizetype> expected(size_t(names.size()));
    std::iota(expected.begin(), expected.end(), 0);
    std::sort(expected.begin(), expected.end(),
              [&names](qsizetype a, qsizetype b) { return names[a] < names[b]; });
    const auto keys = byName(stored);
    for (size_t i = 0; i < expected.size(); ++i) {
        if (keys[i]->name != names[expected[i]] || !same(*keys[i], expected[i]))
            return false;
    }
    return true;
}

// One value as the save writes it; the text of a string is converted only when written.
struct WrittenValue {
    const QString& name;
    Registry::ValueType type;
    const QString& text; // empty for an integer
    qint32 integer = 0;
};

// The values the save writes for one key, handed one by one to visit in the order the store
// reads them back (by name, case aside): the save builds them, the check at load compares
// them with what is stored, and neither can drift from the other.
template <typename Visit>
void forEachGroupValue(const BookGroup& group, qsizetype index, const QString& keyName,
                       Visit&& visit) {
    const QString place = QStringLiteral("%1|%2").arg(index + 1).arg(group.entry.expanded ? 1 : 0);
    visit(WrittenValue{kDefaultValue, Registry::ValueType::String, place});
    if (keyName != group.entry.caption)
        visit(WrittenValue{ContactStore::kCaptionValue, Registry::ValueType::String,
                           group.entry.caption});
}

template <typename Visit>
void forEachContactValue(const BookEntry& contact, qsizetype position, const QString& keyName,
                         Visit&& visit) {
    const QString place = QString::number(position);
    visit(WrittenValue{kDefaultValue, Registry::ValueType::String, place});
    if (keyName != contact.caption)
        visit(WrittenValue{ContactStore::kCaptionValue, Registry::ValueType::String,
                           contact.caption});
    visit(WrittenValue{kNumber, Registry::ValueType::String, contact.Number});
    visit(WrittenValue{kSender, Registry::ValueType::String, contact.Sender});
    visit(WrittenValue{kSign, Registry::ValueType::String, contact.Sign});
    visit(WrittenValue{kTranslit, Registry::ValueType::Integer, kNoText, contact.Translit ? 1 : 0});
}

Registry::Value storedValueOf(const WrittenValue& value) {
    if (value.type == Registry::ValueType::Integer)
        return {value.name, value.type, {}, value.integer};
    return {value.name, value.type, Ansi::fromUnicode(value.text), 0};
}

// Compares the stored values of one key, in the store's order, with what the save writes.
class ValuesInStep {
public:
    explicit ValuesInStep(const QList<Registry::Value>& stored)
        : m_stored(stored) {}

    void operator()(const WrittenValue& value) {
        if (!m_same || m_next >= m_stored.size()) {
            m_same = false;
            return;
        }
        const Registry::Value& stored = m_stored[m_next++];
        m_same = stored.name == value.name && stored.type == value.type &&
                 (value.type == Registry::ValueType::Integer
                      ? stored.integer == value.integer
                      : Ansi::encodesAs(value.text, stored.bytes));
    }
    bool allSame() const { return m_same && m_next == m_stored.size(); }

private:
    const QList<Registry::Value>& m_stored;
    qsizetype m_next = 0;
    bool m_same = true;
};

// The key names the save gives siblings with these captions, in their order: the caption
// itself where the store can hold it, a made-up name (never equal to the caption, which then
// goes into a value of its own) elsewhere.
QStringList keyNamesFor(const QStringList& captions) {
    QStringList names = generatedKeyNames(captions);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names[i].isEmpty())
            names[i] = captions[i];
    }
    return names;
}

// The names the save gives a group's contact keys, in book order.
QStringList contactKeyNames(const BookGroup& group) {
    QStringList captions;
    captions.reserve(group.contacts.size());
    for (const BookEntry& contact : group.contacts)
        captions.append(contact.caption);
    return keyNamesFor(captions);
}

} // namespace

ContactStore::ContactStore(Registry& registry)
    : ContactStore(registry, AppPaths::dataFolder() + kLegacyFileName) {
}

ContactStore::ContactStore(Registry& registry, const QString& legacyFilePath)
    : m_registry(registry)
    , m_legacyFile(legacyFilePath) {
}

void ContactStore::LoadContacts(ContactBook& book, std::optional<StoredBook> readAhead) {
    StoredBook loaded;
    const bool fromLegacyFile = QFileInfo(m_legacyFile).isFile();
    try {
        if (fromLegacyFile)
            loaded.groups = readLegacyFile();
        else if (readAhead && !readAhead->saveNeeded)
            loaded = std::move(*readAhead);
        else
            // A load that saves reads the store afresh: a book another program wrote since
            // the read ahead must not be overwritten by the older one.
            loaded = readStoredBook(m_registry);
    } catch (const RegistryError& e) {
        m_loadFailed = true;
        throw ContactStoreError(QStringLiteral("Не удалось загрузить контакт лист: %1")
                                    .arg(QString::fromStdString(e.what())));
    } catch (const ContactStoreError&) {
        m_loadFailed = true;
        throw;
    }
    m_loadFailed = false;
    book.setGroups(loaded.groups);
    // The old file's book replaces whatever the store holds; until it is saved there is no
    // stored book of this store's to keep in step with.
    if (!fromLegacyFile) {
        try {
            markSynced(loaded.groups);
        } catch (const RegistryError& e) {
            m_loadFailed = true;
            throw ContactStoreError(QStringLiteral("Не удалось загрузить контакт лист: %1")
                                        .arg(QString::fromStdString(e.what())));
        }
    }
    if (loaded.saveNeeded)
        SaveContacts(book, OutsideChanges::Overwrite);
}

ContactStore::SaveResult ContactStore::SaveContacts(const ContactBook& book,
                                                    OutsideChanges outside) {
    if (m_loadFailed) {
        m_skippedSave = true;
        return SaveResult::Skipped;
    }
    const QList<BookGroup> groups = book.groups();
    try {
        Registry::Transaction transaction(m_registry);
        if (outside == OutsideChanges::Keep && storedBookChangedElsewhere())
            return SaveResult::ChangedElsewhere;
        m_registry.replaceBranch(kBookKey, branchOf(groups));
        // Read before the commit, while nobody else can write: the version this save leaves.
        const qint64 version = m_registry.dataVersion();
        transaction.commit();
        m_synced = groups;
        m_syncedVersion = version;
    } catch (const RegistryError& e) {
        throw ContactStoreError(QStringLiteral("Не удалось сохранить контакт лист: %1")
                                    .arg(QString::fromStdString(e.what())));
    }
    // Only now that the book is safely in the store may the old file go.
    removeLegacyFile();
    return SaveResult::Saved;
}

std::optional<QList<BookGroup>> ContactStore::changedElsewhere() {
    if (m_loadFailed)
        return std::nullopt;
    try {
        Registry::Transaction transaction(m_registry);
        if (!storedBookChangedElsewhere())
            return std::nullopt;
        const QList<BookGroup> groups = bookFrom(m_registry.readBranch(kBookKey));
        markSynced(groups);
        transaction.commit();
        return groups;
    } catch (const RegistryError& e) {
        throw ContactStoreError(QStringLiteral("Не удалось загрузить контакт лист: %1")
                                    .arg(QString::fromStdString(e.what())));
    }
}

bool ContactStore::storedBookChangedElsewhere() const {
    // A store that has neither loaded nor saved has no book of its own to compare.
    if (m_syncedVersion < 0 || m_registry.dataVersion() == m_syncedVersion)
        return false;
    // Something was written, perhaps only a setting: the book counts as changed when the
    // store holds another book than this store last saw. Most often the store holds it just
    // as a save writes it, which is the quicker check.
    const Registry::Branch stored = m_registry.readBranch(kBookKey);
    return !storedAsWritten(stored, m_synced) && bookFrom(stored) != m_synced;
}

void ContactStore::markSynced(const QList<BookGroup>& groups) {
    m_synced = groups;
    m_syncedVersion = m_registry.dataVersion();
}

QString ContactStore::takeSkippedSaveNotice() {
    if (!m_skippedSave || m_noticeGiven)
        return {};
    m_noticeGiven = true;
    return kBookNotSavedText;
}

ContactStore::StoredBook ContactStore::readStoredBook(const Registry& registry) {
    const Registry::Branch stored = registry.readBranch(kBookKey);
    StoredBook book;
    book.groups = bookFrom(stored);
    // A store that already holds the book exactly as the save would write it is left
    // alone. An empty book is always saved: that also creates a missing key.
    book.saveNeeded = book.groups.isEmpty() || !storedAsWritten(stored, book.groups);
    return book;
}

QList<BookGroup> ContactStore::readBook(const Registry& registry) {
    return bookFrom(registry.readBranch(kBookKey));
}

void ContactStore::writeBook(Registry& registry, const ContactBook& book) {
    // The old book goes and the new one comes in one transaction of the store.
    registry.replaceBranch(kBookKey, branchOf(book.groups()));
}

QList<BookGroup> ContactStore::bookFrom(const Registry::Branch& stored) {
    QList<BookGroup> found;
    QList<std::optional<int>> positions(stored.subkeys.size());
    found.reserve(stored.subkeys.size());
    for (qsizetype i = 0; i < stored.subkeys.size(); ++i)
        found.append(readGroup(stored.subkeys[i], positions[i]));
    QList<BookGroup> book;
    book.reserve(found.size());
    for (const int i : positionalOrder(positions))
        book.append(found[i]);
    return book;
}

Registry::Branch ContactStore::branchOf(const QList<BookGroup>& groups) {
    Registry::Branch stored;
    const QStringList names = groupKeyNames(groups);
    stored.subkeys.reserve(groups.size());
    for (qsizetype g = 0; g < groups.size(); ++g)
        stored.subkeys.append(groupBranch(groups[g], g, names[g]));
    return stored;
}

QStringList ContactStore::groupKeyNames(const QList<BookGroup>& groups) {
    QStringList captions;
    captions.reserve(groups.size());
    for (const BookGroup& group : groups)
        captions.append(group.entry.caption);
    return keyNamesFor(captions);
}

Registry::Branch ContactStore::groupBranch(const BookGroup& group, qsizetype index,
                                           const QString& keyName) {
    Registry::Branch groupKey;
    groupKey.name = keyName;
    forEachGroupValue(group, index, keyName, [&groupKey](const WrittenValue& v) {
        groupKey.values.append(storedValueOf(v));
    });
    const QStringList names = contactKeyNames(group);
    groupKey.subkeys.reserve(group.contacts.size());
    for (qsizetype c = 0; c < group.contacts.size(); ++c) {
        Registry::Branch contactKey;
        contactKey.name = names[c];
        contactKey.values.reserve(6);
        forEachContactValue(
            group.contacts[c], c + 1, names[c],
            [&contactKey](const WrittenValue& v) { contactKey.values.append(storedValueOf(v)); });
        groupKey.subkeys.append(std::move(contactKey));
    }
    return groupKey;
}

bool ContactStore::groupStoredAsWritten(const Registry::Branch& stored, const BookGroup& group,
                                        qsizetype index, const QString& keyName) {
    ValuesInStep groupValues(stored.values);
    forEachGroupValue(group, index, keyName, groupValues);
    if (!groupValues.allSame() || stored.subkeys.size() != group.contacts.size())
        return false;
    const QStringList names = contactKeyNames(group);
    return keysPairUp(stored.subkeys, names, [&](const Registry::Branch& contactKey, qsizetype c) {
        if (!contactKey.subkeys.isEmpty())
            return false;
        ValuesInStep contactValues(contactKey.values);
        forEachContactValue(group.contacts[c], c + 1, names[c], contactValues);
        return contactValues.allSame();
    });
}

bool ContactStore::storedAsWritten(const Registry::Branch& stored, const QList<BookGroup>& groups) {
    if (!stored.values.isEmpty() || stored.subkeys.size() != groups.size())
        return false;
    // Keys pair up by name; values are compared as the store reads them back, in name order,
    // and nothing the save would write is built for it.
    const QStringList names = groupKeyNames(groups);
    return keysPairUp(stored.subkeys, names, [&](const Registry::Branch& groupKey, qsizetype g) {
        return groupStoredAsWritten(groupKey, groups[g], g, names[g]);
    });
}

QList<BookGroup> ContactStore::readLegacyFile() const {
    QFile file(m_legacyFile);
    if (!file.open(QIODevice::ReadOnly))
        throw ContactStoreError(
            QStringLiteral("Не удалось открыть файл %1: %2").arg(m_legacyFile, file.errorString()));
    TContacts records;
    if (!ContactRecords::read(file, records))
        throw ContactStoreError(QStringLiteral("Не удалось прочитать файл %1: %2")
                                    .arg(m_legacyFile, file.errorString()));
    return ContactRecords::toBook(records, ContactRecords::FlagMeaning::ContactsFile);
}

void ContactStore::removeLegacyFile() const {
    if (!QFileInfo(m_legacyFile).isFile())
        return;
    QFile file(m_legacyFile);
    // Left behind, the old file would replace the book again at the next start.
    if (!file.remove())
        throw ContactStoreError(
            QStringLiteral("Не удалось удалить файл %1: %2").arg(m_legacyFile, file.errorString()));
}
