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

BookEntry newGroup(const QString& caption) {
    BookEntry group;
    group.caption = caption;
    group.Name = caption;
    return group;
}

BookEntry newContact(const ContactFields& fields) {
    BookEntry contact;
    contact.caption = fields.name;
    contact.Name = fields.name;
    contact.Number = fields.number;
    contact.Sign = fields.sign;
    contact.Translit = fields.translit;
    return contact;
}

BookEntry editedContact(BookEntry contact, const ContactFields& fields) {
    contact.caption = fields.name;
    contact.Name = fields.name;
    contact.Sender = kDefaultSender;
    contact.Number = fields.number;
    contact.Sign = fields.sign;
    contact.Translit = fields.translit;
    return contact;
}

QModelIndex addContact(ContactBook& book, const ContactFields& fields) {
    QModelIndex group = book.findGroup(fields.group);
    if (!group.isValid())
        group = book.appendGroup(newGroup(fields.group));
    return book.appendContact(group, newContact(fields));
}

void editContact(ContactBook& book, const QModelIndex& contact, const ContactFields& fields) {
    if (ContactBook::isContact(contact))
        book.setEntry(contact, editedContact(book.entry(contact), fields));
}

void renameGroup(ContactBook& book, const QModelIndex& group, const QString& caption) {
    if (ContactBook::isGroup(group))
        book.setData(group, caption, Qt::DisplayRole);
}

} // namespace BookEdits
