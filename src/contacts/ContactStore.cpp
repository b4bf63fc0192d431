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

Registry::Value stringValueOf(const QString& name, const QString& text) {
    return {name, Registry::ValueType::String, Ansi::fromUnicode(text), 0};
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

// Whether the two lists hold the same names, each paired with an equal sibling. Lists that
// come in the same order (a book read back just as it was written) pair up without sorting.
template <typename T, typename Same>
bool sameByName(const QList<T>& a, const QList<T>& b, Same same) {
    if (a.size() != b.size())
        return false;
    bool sameOrder = true;
    for (qsizetype i = 0; i < a.size() && sameOrder; ++i)
        sameOrder = a[i].name == b[i].name;
    if (sameOrder) {
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (!same(a[i], b[i]))
                return false;
        }
        return true;
    }
    const auto aSorted = byName(a);
    const auto bSorted = byName(b);
    for (size_t i = 0; i < aSorted.size(); ++i) {
        if (aSorted[i]->name != bSorted[i]->name || !same(*aSorted[i], *bSorted[i]))
            return false;
    }
    return true;
}

// Whether writing one branch over the other would change nothing.
bool sameContent(const Registry::Branch& a, const Registry::Branch& b) {
    return sameByName(a.values, b.values,
                      [](const Registry::Value& x, const Registry::Value& y) {
                          return x.type == y.type && x.bytes == y.bytes &&
                                 x.integer == y.integer;
                      }) &&
           sameByName(a.subkeys, b.subkeys, sameContent);
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
    try {
        if (QFileInfo(m_legacyFile).isFile())
            loaded.groups = readLegacyFile();
        else
            loaded = readAhead ? std::move(*readAhead) : readStoredBook(m_registry);
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
    if (loaded.saveNeeded)
        SaveContacts(book);
}

ContactStore::SaveResult ContactStore::SaveContacts(const ContactBook& book) {
    if (m_loadFailed) {
        m_skippedSave = true;
        return SaveResult::Skipped;
    }
    try {
        writeBook(m_registry, book);
    } catch (const RegistryError& e) {
        throw ContactStoreError(QStringLiteral("Не удалось сохранить контакт лист: %1")
                                    .arg(QString::fromStdString(e.what())));
    }
    // Only now that the book is safely in the store may the old file go.
    removeLegacyFile();
    return SaveResult::Saved;
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
    QStringList names = generatedKeyNames(captions);
    for (qsizetype g = 0; g < groups.size(); ++g) {
        if (names[g].isEmpty())
            names[g] = groups[g].entry.caption;
    }
    return names;
}

Registry::Branch ContactStore::groupBranch(const BookGroup& group, qsizetype index,
                                           const QString& keyName) {
    Registry::Branch groupKey;
    groupKey.name = keyName;
    groupKey.values.append(
        stringValueOf({}, QStringLiteral("%1|%2").arg(index + 1).arg(group.entry.expanded ? 1 : 0)));
    if (keyName != group.entry.caption)
        groupKey.values.append(stringValueOf(kCaptionValue, group.entry.caption));

    QStringList contactCaptions;
    contactCaptions.reserve(group.contacts.size());
    for (const BookEntry& contact : group.contacts)
        contactCaptions.append(contact.caption);
    const QStringList contactNames = generatedKeyNames(contactCaptions);
    groupKey.subkeys.reserve(group.contacts.size());
    for (qsizetype c = 0; c < group.contacts.size(); ++c) {
        const BookEntry& contact = group.contacts[c];
        Registry::Branch contactKey;
        contactKey.name = contactNames[c].isEmpty() ? contact.caption : contactNames[c];
        // In the order the store gives them back (by name, case aside), so that the check
        // at load compares the two in step.
        contactKey.values.reserve(6);
        contactKey.values.append(stringValueOf({}, QString::number(c + 1)));
        if (!contactNames[c].isEmpty())
            contactKey.values.append(stringValueOf(kCaptionValue, contact.caption));
        contactKey.values.append(stringValueOf(kNumber, contact.Number));
        contactKey.values.append(stringValueOf(kSender, contact.Sender));
        contactKey.values.append(stringValueOf(kSign, contact.Sign));
        contactKey.values.append({kTranslit, Registry::ValueType::Integer, {}, contact.Translit ? 1 : 0});
        groupKey.subkeys.append(std::move(contactKey));
    }
    return groupKey;
}

bool ContactStore::storedAsWritten(const Registry::Branch& stored, const QList<BookGroup>& groups) {
    if (!stored.values.isEmpty() || stored.subkeys.size() != groups.size())
        return false;
    // Group by group, pairing keys by name as the comparison of whole branches does; only one
    // group's expected keys exist at a time, which keeps a big book's check light.
    const QStringList names = groupKeyNames(groups);
    std::vector<qsizetype> expected(size_t(groups.size()));
    std::iota(expected.begin(), expected.end(), 0);
    std::sort(expected.begin(), expected.end(),
              [&names](qsizetype a, qsizetype b) { return names[a] < names[b]; });
    const auto storedGroups = byName(stored.subkeys);
    for (size_t i = 0; i < expected.size(); ++i) {
        const qsizetype g = expected[i];
        if (storedGroups[i]->name != names[g] ||
            !sameContent(*storedGroups[i], groupBranch(groups[g], g, names[g])))
            return false;
    }
    return true;
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
