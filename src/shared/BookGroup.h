#pragma once

#include "BookEntry.h"

#include <QList>

// A group of the contact book with its contacts in book order.
struct BookGroup {
    BookEntry entry;
    QList<BookEntry> contacts;

    bool operator==(const BookGroup&) const = default;
};
