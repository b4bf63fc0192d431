#include "BookSearch.h"

#include "contacts/ContactBook.h"
#include "platform/Ansi.h"

#include <vector>

namespace BookSearch {

namespace {

// Every entry in book order.
std::vector<QModelIndex> allEntries(const ContactBook& book) {
    std::vector<QModelIndex> entries;
    for (int row = 0; row < book.groupCount(); ++row) {
        const QModelIndex group = book.groupIndex(row);
        entries.push_back(group);
        for (int child = 0; child < book.rowCount(group); ++child)
            entries.push_back(book.index(child, 0, group));
    }
    return entries;
}

bool matches(const ContactBook& book, const QModelIndex& index, const QString& upperText) {
    const BookEntry entry = book.entry(index);
    return Ansi::toUpper(entry.caption).contains(upperText) ||
           (ContactBook::isContact(index) && Ansi::toUpper(entry.Number).contains(upperText));
}

} // namespace

QModelIndex findNext(const ContactBook& book, const QModelIndex& from, const QString& text) {
    if (text.isEmpty())
        return {};
    const QString upperText = Ansi::toUpper(text);
    const std::vector<QModelIndex> entries = allEntries(book);
    const int count = int(entries.size());
    int start = 0;
    for (int i = 0; i < count; ++i) {
        if (entries[size_t(i)] == from) {
            start = i + 1;
            break;
        }
    }
    for (int step = 0; step < count; ++step) {
        const QModelIndex& candidate = entries[size_t((start + step) % count)];
        if (matches(book, candidate, upperText))
            return candidate;
    }
    return {};
}

} // namespace BookSearch
