// Any bytes as a contact CSV: rows come in file order after the header, and whatever the
// reader found survives our own CSV export and a second read unchanged.
#include "contacts/BookExport.h"
#include "contacts/CsvContactReader.h"

#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

bool isValidText(const ImportedContact& contact) {
    for (const QString* text : {&contact.name, &contact.number, &contact.group,
                                &contact.signature, &contact.sender}) {
        if (!text->isValidUtf16())
            return false;
    }
    return true;
}

// Consecutive contacts of one group make one book group, as the export expects.
QList<BookGroup> bookOf(const ImportedContacts& contacts) {
    QList<BookGroup> groups;
    for (const ImportedContact& contact : contacts) {
        if (groups.isEmpty() || groups.last().entry.caption != contact.group) {
            groups.append(BookGroup{});
            groups.last().entry.caption = contact.group;
        }
        BookEntry entry;
        entry.caption = contact.name;
        entry.Name = contact.name;
        entry.Number = contact.number;
        entry.Sign = contact.signature;
        entry.Sender = contact.sender;
        entry.Translit = contact.translit;
        groups.last().contacts.append(entry);
    }
    return groups;
}

bool sameExceptLine(const ImportedContact& a, const ImportedContact& b) {
    return a.name == b.name && a.number == b.number && a.group == b.group &&
           a.signature == b.signature && a.sender == b.sender && a.translit == b.translit;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<ImportedContacts> read = CsvContactReader::read(bytes);
    if (!read)
        return 0;

    int previousLine = 1; // the header's line at least
    bool valid = true;
    for (const ImportedContact& contact : *read) {
        check(contact.line > previousLine);
        previousLine = contact.line;
        valid = valid && isValidText(contact);
    }
    // A lone surrogate cannot be written as UTF-8, so such a read cannot come back.
    if (!valid)
        return 0;

    const std::optional<ImportedContacts> again =
        CsvContactReader::read(BookExport::toCsv(bookOf(*read)));
    check(again.has_value() && again->size() == read->size());
    for (qsizetype i = 0; i < read->size(); ++i)
        check(sameExceptLine(read->at(i), again->at(i)));
    return 0;
}
