#include "BookEntries.h"

namespace BookEntries {

BookEntry contact(const QString& name, const QString& number, const QString& sign,
                  const QString& sender, bool translit) {
    BookEntry entry;
    entry.caption = name;
    entry.Name = name;
    entry.Number = number;
    entry.Sign = sign;
    entry.Sender = sender;
    entry.Translit = translit;
    return entry;
}

BookEntry groupEntry(const QString& caption, bool expanded) {
    BookEntry entry;
    entry.caption = caption;
    entry.Name = caption;
    entry.expanded = expanded;
    return entry;
}

BookGroup group(const QString& caption, const QList<BookEntry>& contacts, bool expanded) {
    return {groupEntry(caption, expanded), contacts};
}

} // namespace BookEntries
