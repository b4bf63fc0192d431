#pragma once

#include "platform/Registry.h"
#include "shared/BookGroup.h"

#include <QString>

#include <optional>

#include <stdexcept>

class ContactBook;

// A failed load or save of the contact book; the text is for the user.
class ContactStoreError : public std::runtime_error {
public:
    explicit ContactStoreError(const QString& message)
        : std::runtime_error(message.toStdString()) {}
};

// The stores of the contact book: the key Contacts of the settings store (the working store)
// and the old file Contacts.dat, which the first load moves into the settings store.
//
// Key layout: Contacts\<group>\<contact>. A group's default value is its position, "|" and
// "1" or "0" for expanded; a contact's default value is its position, with the values
// Sender, Number, Sign and Translit. A caption that cannot be a key name (empty, holding a
// path separator or a control character, or equal to an earlier sibling's when case is
// ignored) is stored under a generated key name with the caption in the value Caption.
class ContactStore {
public:
    enum class SaveResult { Saved, Skipped, ChangedElsewhere };
    // Whether a save may replace a book that another program stored since this one last
    // loaded or saved.
    enum class OutsideChanges { Keep, Overwrite };

    static inline const QString kBookKey = QStringLiteral("Contacts");
    static inline const QString kCaptionValue = QStringLiteral("Caption");
    static inline const QString kLegacyFileName = QStringLiteral("Contacts.dat");
    // Shown once when a save is skipped because the book could not be loaded.
    static inline const QString kBookNotSavedText = QStringLiteral(
        "Контакт лист не удалось загрузить, поэтому изменения в нем не сохраняются.\r\n"
        "Сохраненный ранее контакт лист остался без изменений.");

    // Contacts.dat is looked for in the user's data folder.
    explicit ContactStore(Registry& registry);
    ContactStore(Registry& registry, const QString& legacyFilePath);

    // Fills the book from Contacts.dat when that file exists, else from the settings store,
    // then saves it (which completes the move out of Contacts.dat). On a read failure the
    // book is left as it was, the stores are untouched and every later save is skipped.
    // `readAhead` is the settings store's book when it was read already. Throws
    // ContactStoreError.
    struct StoredBook;
    void LoadContacts(ContactBook& book, std::optional<StoredBook> readAhead = std::nullopt);

    // Replaces the stored book in one transaction, then deletes Contacts.dat. Skipped after
    // a failed load, so the book that could not be read is never overwritten by another.
    // When another program changed the stored book since this store last loaded or saved,
    // nothing is written and the result says so, unless `outside` allows the overwrite.
    // Throws ContactStoreError; the stored book is then the previous one.
    SaveResult SaveContacts(const ContactBook& book, OutsideChanges outside = OutsideChanges::Keep);

    // The book as this store last loaded, saved or took it from changedElsewhere(): what
    // the user's edits since then started from.
    const QList<BookGroup>& syncedBook() const { return m_synced; }

    // The stored book, when another program changed it since this store last loaded or
    // saved; the caller shows it, and later saves build on it. Nothing after a failed load.
    // Throws ContactStoreError.
    std::optional<QList<BookGroup>> changedElsewhere();

    bool loadFailed() const { return m_loadFailed; }
    // kBookNotSavedText the first time after a save was skipped, else empty.
    QString takeSkippedSaveNotice();

    QString legacyFilePath() const { return m_legacyFile; }

    // The book as the settings store holds it, and whether the save that ends a load would
    // change the store (it renumbers the positions and names the keys).
    struct StoredBook {
        QList<BookGroup> groups;
        bool saveNeeded = true;
    };

    // The registry side alone, without the file and the save that ends a load.
    // Throw RegistryError.
    static StoredBook readStoredBook(const Registry& registry);
    static QList<BookGroup> readBook(const Registry& registry);
    static void writeBook(Registry& registry, const ContactBook& book);

private:
    static QList<BookGroup> bookFrom(const Registry::Branch& stored);
    static Registry::Branch branchOf(const QList<BookGroup>& groups);
    // The names the save gives the group keys, in book order.
    static QStringList groupKeyNames(const QList<BookGroup>& groups);
    // One group's key as the save writes it.
    static Registry::Branch groupBranch(const BookGroup& group, qsizetype index,
                                        const QString& keyName);
    // Whether writing the book would leave the stored branch, as the store reads it back, as
    // it is.
    static bool storedAsWritten(const Registry::Branch& stored, const QList<BookGroup>& groups);
    static bool groupStoredAsWritten(const Registry::Branch& stored, const BookGroup& group,
                                     qsizetype index, const QString& keyName);

    // Under a transaction: whether the stored book is other than this store left it.
    bool storedBookChangedElsewhere() const;
    void markSynced(const QList<BookGroup>& groups);

    QList<BookGroup> readLegacyFile() const;
    void removeLegacyFile() const;

    Registry& m_registry;
    QString m_legacyFile;
    bool m_loadFailed = false;
    bool m_skippedSave = false;
    bool m_noticeGiven = false;
    // The book as this store last loaded or saved it, and the store's data version then:
    // while the version stays, nobody else has written.
    QList<BookGroup> m_synced;
    qint64 m_syncedVersion = -1;
};
