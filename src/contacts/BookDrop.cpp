#include "BookDrop.h"

#include "contacts/ContactBook.h"

namespace BookDrop {

bool accepts(const QModelIndex& dragged, const QModelIndex& target) {
    if (!dragged.isValid() || !target.isValid() || dragged.model() != target.model())
        return false;
    return !(ContactBook::isGroup(dragged) && ContactBook::isContact(target));
}

QModelIndex drop(ContactBook& book, const QModelIndex& dragged, const QModelIndex& target) {
    if (!accepts(dragged, target) || dragged.model() != &book)
        return {};
    if (dragged == target)
        return dragged;

    // The moved entry is followed through the move by a persistent index.
    const QPersistentModelIndex moving(dragged);
    if (ContactBook::isGroup(dragged)) {
        book.moveRows({}, dragged.row(), 1, {}, target.row());
        return moving;
    }
    const QModelIndex destination = ContactBook::isGroup(target) ? target : target.parent();
    const int destinationRow = ContactBook::isGroup(target) ? book.rowCount(target) : target.row();
    book.moveRows(dragged.parent(), dragged.row(), 1, destination, destinationRow);
    book.setExpanded(moving.parent(), true);
    return moving;
}

} // namespace BookDrop
