#pragma once

#include <QModelIndex>
#include <QString>

#include <optional>

class ContactBook;
struct BookEntry;

// What the send window needs to open one recipient's page.
struct PageRequest {
    QString sender;
    QString name;
    QString number; // a group's numbers joined by "|"
    QString sign;
    QString text;
    bool translit = false;
    BookEntry* node = nullptr; // the entry the page is bound to; see ContactBook::entryPointer
};

namespace ContactPage {

// The page of a contact, or of a group with the numbers of its contacts joined by "|" in book
// order (kept in the group's Number until the next group page, never stored). Nothing for an
// invalid index and for a group without contacts.
std::optional<PageRequest> pageOf(ContactBook& book, const QModelIndex& index);

} // namespace ContactPage
