// Any bytes as Contacts.dat: the reader keeps to the record sizes, and the book it yields
// survives the registry store unchanged.
#include "contacts/ContactBook.h"
#include "contacts/ContactRecords.h"
#include "contacts/ContactStore.h"
#include "platform/Registry.h"

#include <QBuffer>
#include <QDir>

#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// What the store gives back: groups keep only caption and expanded state (and stay
// expanded only with contacts); a contact's Name is its caption.
QList<BookGroup> stored(QList<BookGroup> groups) {
    for (BookGroup& group : groups) {
        group.entry = {.caption = group.entry.caption,
                       .expanded = group.entry.expanded && !group.contacts.isEmpty()};
        for (BookEntry& contact : group.contacts)
            contact.Name = contact.caption;
    }
    return groups;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    TContacts records;
    check(ContactRecords::read(buffer, records));
    check(records.size() == bytes.size() / TContactEntry::kSize);
    for (const TContactEntry& record : records) {
        check(record.Name.size() <= TContactEntry::kNameCapacity);
        check(record.Number.size() <= TContactEntry::kNumberCapacity);
        check(record.Sign.size() <= TContactEntry::kSignCapacity);
        check(TContactEntry::fromRecord(record.toRecord().constData()) == record);
    }

    for (const auto meaning :
         {ContactRecords::FlagMeaning::ContactsFile, ContactRecords::FlagMeaning::ServerDownload}) {
        const QList<BookGroup> groups = ContactRecords::toBook(records, meaning);
        qsizetype entries = 0;
        for (const BookGroup& group : groups)
            entries += 1 + group.contacts.size();
        check(entries == records.size() || entries == records.size() + 1);

        static Registry registry(QStringLiteral(":memory:"));
        ContactStore store(registry,
                           QDir::tempPath() + QStringLiteral("/no-such-folder/Contacts.dat"));
        ContactBook book;
        book.setGroups(groups);
        check(store.SaveContacts(book) == ContactStore::SaveResult::Saved);
        check(ContactStore::readBook(registry) == stored(groups));
    }
    return 0;
}
