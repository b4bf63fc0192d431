#include "ContactStore.h"

#include "contacts/ContactBook.h"
#include "contacts/ContactRecords.h"
#include "platform/Ansi.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <optional>

namespace {

const QString kSender = QStringLiteral("Sender");
const QString kNumber = QStringLiteral("Number");
const QString kSign = QStringLiteral("Sign");
const QString kTranslit = QStringLiteral("Translit");

QString childKey(const QString& parent, const QString& name) {
    return parent + QLatin1Char('\\') + name;
}

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

QString storedCaption(const Registry& registry, const QString& key, const QString& keyName) {
    return registry.readStringValue(key, ContactStore::kCaptionValue).value_or(keyName);
}

BookGroup readGroup(const Registry& registry, const QString& key, const QString& keyName,
                    std::optional<int>& position) {
    BookGroup group;
    group.entry.caption = storedCaption(registry, key, keyName);

    // "position|expanded"; a value that is missing or does not parse only costs the
    // group its place, which then follows the numbered groups.
    const QString value = registry.readStringValue(key, QString()).value_or(QString());
    const qsizetype bar = value.indexOf(QLatin1Char('|'));
    position = parsePosition(bar < 0 ? value : value.left(bar));
    const bool storedExpanded = bar >= 0 && value.mid(bar + 1, 1) == QLatin1String("1");

    const QStringList contactKeys = registry.subkeys(key);
    QList<BookEntry> found;
    QList<std::optional<int>> positions;
    found.reserve(contactKeys.size());
    positions.reserve(contactKeys.size());
    for (const QString& name : contactKeys) {
        const QString contactKey = childKey(key, name);
        BookEntry contact;
        contact.caption = storedCaption(registry, contactKey, name);
        contact.Name = contact.caption;
        contact.Sender = registry.readString(contactKey, kSender);
        contact.Number = registry.readString(contactKey, kNumber);
        contact.Sign = registry.readString(contactKey, kSign);
        contact.Translit = registry.readBool(contactKey, kTranslit).value_or(false);
        found.append(contact);
        positions.append(parsePosition(registry.readString(contactKey, QString())));
    }
    for (const int i : positionalOrder(positions))
        group.contacts.append(found[i]);
    // An empty group cannot be shown expanded.
    group.entry.expanded = storedExpanded && !group.contacts.isEmpty();
    return group;
}

} // namespace

ContactStore::ContactStore(Registry& registry)
    : ContactStore(registry, AppPaths::dataFolder() + kLegacyFileName) {
}

ContactStore::ContactStore(Registry& registry, const QString& legacyFilePath)
    : m_registry(registry)
    , m_legacyFile(legacyFilePath) {
}

void ContactStore::LoadContacts(ContactBook& book) {
    QList<BookGroup> groups;
    try {
        groups = QFileInfo(m_legacyFile).isFile() ? readLegacyFile() : readBook(m_registry);
    } catch (const RegistryError& e) {
        m_loadFailed = true;
        throw ContactStoreError(QStringLiteral("Не удалось загрузить контакт лист: %1")
                                    .arg(QString::fromStdString(e.what())));
    } catch (const ContactStoreError&) {
        m_loadFailed = true;
        throw;
    }
    m_loadFailed = false;
    book.setGroups(groups);
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

QList<BookGroup> ContactStore::readBook(const Registry& registry) {
    const QStringList groupKeys = registry.subkeys(kBookKey);
    QList<BookGroup> found;
    QList<std::optional<int>> positions(groupKeys.size());
    found.reserve(groupKeys.size());
    for (int i = 0; i < groupKeys.size(); ++i)
        found.append(
            readGroup(registry, childKey(kBookKey, groupKeys[i]), groupKeys[i], positions[i]));
    QList<BookGroup> book;
    book.reserve(found.size());
    for (const int i : positionalOrder(positions))
        book.append(found[i]);
    return book;
}

void ContactStore::writeBook(Registry& registry, const ContactBook& book) {
    Registry::Transaction transaction(registry);
    registry.deleteKeyTree(kBookKey);
    registry.createKey(kBookKey);

    QStringList groupCaptions;
    for (int g = 0; g < book.groupCount(); ++g)
        groupCaptions.append(book.group(g).entry.caption);
    const QStringList groupNames = generatedKeyNames(groupCaptions);
    for (int g = 0; g < book.groupCount(); ++g) {
        const BookEntry& group = book.group(g).entry;
        const bool generated = !groupNames[g].isEmpty();
        const QString groupKey = childKey(kBookKey, generated ? groupNames[g] : group.caption);
        registry.writeString(groupKey, QString(),
                             QStringLiteral("%1|%2").arg(g + 1).arg(group.expanded ? 1 : 0));
        if (generated)
            registry.writeString(groupKey, kCaptionValue, group.caption);

        const QList<BookEntry>& contacts = book.group(g).contacts;
        QStringList contactCaptions;
        for (const BookEntry& contact : contacts)
            contactCaptions.append(contact.caption);
        const QStringList contactNames = generatedKeyNames(contactCaptions);
        for (int c = 0; c < contacts.size(); ++c) {
            const BookEntry& contact = contacts[c];
            const bool contactGenerated = !contactNames[c].isEmpty();
            const QString key =
                childKey(groupKey, contactGenerated ? contactNames[c] : contact.caption);
            registry.writeString(key, kSender, contact.Sender);
            registry.writeString(key, kNumber, contact.Number);
            registry.writeString(key, kSign, contact.Sign);
            registry.writeBool(key, kTranslit, contact.Translit);
            registry.writeString(key, QString(), QString::number(c + 1));
            if (contactGenerated)
                registry.writeString(key, kCaptionValue, contact.caption);
        }
    }
    transaction.commit();
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
