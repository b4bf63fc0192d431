#pragma once

#include <QString>

// One entry of the contact book: a group or a contact, depending on where it sits in the
// book. Every entry carries the contact fields; on a group they are only working space
// (a group send collects the group's numbers in its Number) and are never stored.
struct BookEntry {
    QString caption{}; // what the tree shows; the store's identity of the entry
    QString Name{};    // what the send window uses
    QString Number{};
    QString Sender{};
    QString Sign{};
    bool Translit = false;
    bool expanded = false; // groups only

    bool operator==(const BookEntry&) const = default;
};
