#pragma once

#include "shared/BookEntry.h"

#include <QModelIndex>
#include <QString>

class ContactBook;

// What the contact editor does to the book.
namespace BookEdits {

// The fields the editor shows.
struct ContactFields {
    QString group;
    QString name;
    QString number;
    QString sign;
    bool translit = false;
};

// The checks of a new contact, in the order they are made. Blanks count as empty; the
// texts themselves are stored as typed.
enum class AddCheck { Ok, NoGroup, NoName, NotInternational };
AddCheck checkNewContact(const ContactFields& fields);
// Nothing but blanks (or nothing at all).
bool isBlank(const QString& text);
bool isInternational(const QString& number);

// The entries the editor makes: a group, a contact, and a contact as editing leaves it.
BookEntry newGroup(const QString& caption);
BookEntry newContact(const ContactFields& fields);
BookEntry editedContact(BookEntry contact, const ContactFields& fields);

// Appends the contact to the last group whose caption is exactly `fields.group`, creating
// that group at the end of the book when there is none. Returns the new contact.
QModelIndex addContact(ContactBook& book, const ContactFields& fields);

// A contact takes the name (caption and Name), number, signature and translit, and its sender
// goes back to the service's default. The group is not changed here.
void editContact(ContactBook& book, const QModelIndex& contact, const ContactFields& fields);
// Only the caption; the group's Name stays.
void renameGroup(ContactBook& book, const QModelIndex& group, const QString& caption);

} // namespace BookEdits
