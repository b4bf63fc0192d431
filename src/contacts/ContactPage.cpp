#include "ContactPage.h"

#include "contacts/ContactBook.h"

namespace ContactPage {

namespace {

const QChar kNumberSeparator = QLatin1Char('|');

PageRequest requestFor(ContactBook& book, const QModelIndex& index) {
    BookEntry* entry = book.entryPointer(index);
    PageRequest page;
    page.sender = entry->Sender;
    page.name = entry->Name;
    page.number = entry->Number;
    page.sign = entry->Sign;
    page.translit = entry->Translit;
    page.node = entry;
    return page;
}

} // namespace

std::optional<PageRequest> pageOf(ContactBook& book, const QModelIndex& index) {
    if (ContactBook::isContact(index))
        return requestFor(book, index);
    if (!ContactBook::isGroup(index))
        return std::nullopt;

    QString joined;
    for (const BookEntry& contact : book.group(index.row()).contacts)
        joined += kNumberSeparator + contact.Number;
    book.setData(index, joined.mid(1), ContactBook::NumberRole);
    if (joined.isEmpty())
        return std::nullopt;
    return requestFor(book, index);
}

} // namespace ContactPage
