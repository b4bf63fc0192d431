#pragma once

#include "shared/BookGroup.h"

#include <QString>

class ContactBook;

// A book written as text for tests: "A+[x,y] B[]" is group A, expanded, with the contacts
// x and y, then the empty group B. Contacts get Name = caption and Number = "+7" + caption.
namespace BookLayout {

QList<BookGroup> parse(const QString& layout);
QString of(const QList<BookGroup>& groups);
QString of(const ContactBook& book);

} // namespace BookLayout
