#include "BookEdits.h"

#include "contacts/ContactBook.h"
#include "contacts/DefaultSender.h"

namespace BookEdits {

bool isBlank(const QString& text) {
    for (const QChar c : text) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

bool isInternational(const QString& number) {
    return number.startsWith(QLatin1Char('+'));
}

AddCheck checkNewContact(const ContactFields& fields) {
    if (isBlank(fields.group))
        return AddCheck::NoGroup;
    if (isBlank(fields.name))
        return AddCheck::NoName;
    if (!isInternational(fields.number))
        return AddCheck::NotInternational;
    return AddCheck::Ok;
}

QModelIndex addContact(ContactBook& book, const ContactFields& fields) {
    QModelIndex group = book.findGroup(fields.group);
    if (!group.isValid()) {
        BookEntry entry;
        entry.caption = fields.group;
        entry.Name = fields.group;
        group = book.appendGroup(entry);
    }
    BookEntry contact;
    contact.caption = fields.name;
    contact.Name = fields.name;
    contact.Number = fields.number;
    contact.Sign = fields.sign;
    contact.Translit = fields.translit;
    return book.appendContact(group, contact);
}

void editContact(ContactBook& book, const QModelIndex& contact, const ContactFields& fields) {
    if (!ContactBook::isContact(contact))
        return;
    BookEntry entry = book.entry(contact);
    entry.caption = fields.name;
    entry.Name = fields.name;
    entry.Sender = kDefaultSender;
    entry.Number = fields.number;
    entry.Sign = fields.sign;
    entry.Translit = fields.translit;
    book.setEntry(contact, entry);
}

void renameGroup(ContactBook& book, const QModelIndex& group, const QString& caption) {
    if (ContactBook::isGroup(group))
        book.setData(group, caption, Qt::DisplayRole);
}

} // namespace BookEdits
