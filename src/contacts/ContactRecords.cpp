#include "ContactRecords.h"

#include <QIODevice>

namespace ContactRecords {

bool read(QIODevice& device, TContacts& records) {
    char record[TContactEntry::kSize];
    for (;;) {
        qint64 filled = 0;
        while (filled < TContactEntry::kSize) {
            const qint64 got = device.read(record + filled, TContactEntry::kSize - filled);
            if (got < 0)
                return false;
            if (got == 0)
                return true; // the end; a partial record is dropped
            filled += got;
        }
        records.append(TContactEntry::fromRecord(record));
    }
}

QList<BookGroup> toBook(const TContacts& records, FlagMeaning meaning) {
    QList<BookGroup> book;
    bool expandFlag = false;
    for (const TContactEntry& record : records) {
        if (record.isGroup()) {
            BookGroup group;
            group.entry.caption = record.Name;
            expandFlag = meaning == FlagMeaning::ServerDownload && record.Flag == 1;
            group.entry.expanded = expandFlag;
            book.append(group);
            continue;
        }
        if (book.isEmpty()) {
            BookGroup group;
            group.entry.caption = kUngroupedCaption;
            book.append(group);
        }
        BookEntry contact;
        contact.caption = record.Name;
        contact.Name = record.Name;
        contact.Number = record.Number;
        contact.Sign = record.Sign;
        BookEntry& group = book.last().entry;
        if (meaning == FlagMeaning::ContactsFile) {
            contact.Translit = (record.Flag & 0x02) != 0;
            if (record.Flag & 0x01)
                group.expanded = true;
        } else {
            contact.Translit = record.Flag == 1;
            if (expandFlag)
                group.expanded = true;
        }
        book.last().contacts.append(contact);
    }
    return book;
}

} // namespace ContactRecords
