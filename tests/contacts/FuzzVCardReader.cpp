// Any bytes as a vCard file: the reader finds no more cards than the file begins, each at a
// line of the file and in order, and what it read survives our own export and a second read.
#include "contacts/BookExport.h"
#include "contacts/VCardReader.h"

#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

QList<BookGroup> bookOf(const ImportedContacts& contacts) {
    QList<BookGroup> book;
    for (const ImportedContact& contact : contacts) {
        BookGroup group;
        group.entry.caption = contact.group;
        group.contacts += BookEntry{.caption = contact.name,
                                    .Name = contact.name,
                                    .Number = contact.number,
                                    .Sender = contact.sender,
                                    .Sign = contact.signature,
                                    .Translit = contact.translit};
        book += group;
    }
    return book;
}

// A number that still reads as a tel: URI loses one more scheme on every trip.
bool sameFields(const ImportedContact& a, const ImportedContact& b) {
    const bool uri = a.number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive);
    return a.name == b.name && (uri || a.number == b.number) && a.group == b.group &&
           a.signature == b.signature && a.sender == b.sender && a.translit == b.translit;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    VCardReader::looksLikeVCard(bytes);
    const ImportedContacts contacts = VCardReader::read(bytes);

    // Every card starts at a line of its own that has a BEGIN on it.
    const qsizetype lines = bytes.count('\n') + bytes.count('\r') + 1;
    check(contacts.size() <= bytes.toUpper().count("BEGIN"));
    for (qsizetype i = 0; i < contacts.size(); ++i) {
        check(contacts[i].line >= 1 && contacts[i].line <= lines);
        check(i == 0 || contacts[i].line > contacts[i - 1].line);
        check(contacts[i].name == contacts[i].name.trimmed());
        check(contacts[i].number == contacts[i].number.trimmed());
        check(contacts[i].group == contacts[i].group.trimmed());
    }

    // Our export keeps what it is given, except what it cannot write (a CR LF becomes one
    // line break, a number that looks like a tel: URI loses the scheme): after one trip
    // through it, a second trip changes nothing.
    const ImportedContacts once = VCardReader::read(BookExport::toVCard(bookOf(contacts)));
    check(once.size() == contacts.size());
    const ImportedContacts twice = VCardReader::read(BookExport::toVCard(bookOf(once)));
    check(twice.size() == once.size());
    for (qsizetype i = 0; i < once.size(); ++i)
        check(sameFields(once[i], twice[i]));
    return 0;
}
