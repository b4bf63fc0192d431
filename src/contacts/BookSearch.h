#pragma once

#include <QModelIndex>
#include <QString>

class ContactBook;

namespace BookSearch {

// The next entry after `from` in book order (groups and contacts alike, wrapping past the
// end, `from` itself last) whose caption or number holds `text`, letter case ignored by the
// code page's rule. Invalid for an empty text and when nothing matches. Starts at the first
// entry when `from` is invalid.
QModelIndex findNext(const ContactBook& book, const QModelIndex& from, const QString& text);

} // namespace BookSearch
