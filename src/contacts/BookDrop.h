#pragma once

#include <QModelIndex>

class ContactBook;

// Moving an entry of the book by drag and drop: a contact onto a group becomes the group's
// last contact, a contact onto a contact goes right before it (in its group), a group onto a
// group goes right before it with its contacts. A group is never dropped onto a contact.
namespace BookDrop {

// Whether `dragged` may be dropped onto `target`; never onto no entry.
bool accepts(const QModelIndex& dragged, const QModelIndex& target);

// Moves `dragged` as the table says and returns where it is now (itself when nothing moved,
// invalid when the drop is refused). Fields never change; a contact's group is expanded
// after the move.
QModelIndex drop(ContactBook& book, const QModelIndex& dragged, const QModelIndex& target);

} // namespace BookDrop
