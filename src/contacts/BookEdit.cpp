#include "BookEdit.h"

#include "contacts/BookDrop.h"
#include "contacts/BookEdits.h"
#include "contacts/BookImport.h"
#include "contacts/ContactBook.h"
#include "platform/Ansi.h"

#include <QHash>

#include <algorithm>
#include <utility>

namespace {

using Groups = QList<BookGroup>;

// For an entry that was not there to change: the book's own edit did nothing either.
bool nothingToDo(Groups&) {
    return true;
}

// The group the editor puts a contact into: the last with exactly this caption, made at the
// end of the book when there is none.
qsizetype groupFor(Groups& groups, const QString& caption) {
    for (qsizetype row = groups.size() - 1; row >= 0; --row) {
        if (groups[row].entry.caption == caption)
            return row;
    }
    groups.append({BookEdits::newGroup(caption), {}});
    return groups.size() - 1;
}

// In the order ContactBook sorts by.
template <typename List, typename Caption> void sortByCaption(List& list, Caption caption) {
    std::stable_sort(list.begin(), list.end(), [&caption](const auto& a, const auto& b) {
        return Ansi::compare(caption(a), caption(b)) < 0;
    });
}

// The fields the store keeps (a contact's Name is its caption there).
bool sameStoredContact(const BookEntry& a, const BookEntry& b) {
    return a.caption == b.caption && a.Number == b.Number && a.Sender == b.Sender &&
           a.Sign == b.Sign && a.Translit == b.Translit;
}

// Contacts pair up by caption and number, the n-th with the n-th, then the rest by caption
// alone (a changed number, one change). A pair counts when a stored field differs, and so
// does every contact left without a partner.
int contactChanges(const QList<BookEntry>& before, const QList<BookEntry>& after) {
    const auto identity = [](const BookEntry& c) { return c.caption + QChar(0) + c.Number; };
    QHash<QString, QList<qsizetype>> byIdentity;
    for (qsizetype row = 0; row < after.size(); ++row)
        byIdentity[identity(after[row])].append(row);
    int changes = 0;
    QList<qsizetype> unpaired;
    for (qsizetype row = 0; row < before.size(); ++row) {
        QList<qsizetype>& rows = byIdentity[identity(before[row])];
        if (rows.isEmpty())
            unpaired.append(row);
        else if (!sameStoredContact(before[row], after[rows.takeFirst()]))
            ++changes;
    }
    QHash<QString, int> byCaption;
    for (const QList<qsizetype>& rows : std::as_const(byIdentity)) {
        for (const qsizetype row : rows)
            ++byCaption[after[row].caption];
    }
    for (const qsizetype row : unpaired) {
        ++changes; // removed, or changed when an added contact has its caption
        int& added = byCaption[before[row].caption];
        if (added > 0)
            --added;
    }
    for (const int added : std::as_const(byCaption))
        changes += added;
    return changes;
}

} // namespace

std::optional<BookPlace> BookPlace::of(const ContactBook& book, const QModelIndex& index) {
    if (!index.isValid() || index.model() != &book)
        return std::nullopt;
    const QModelIndex group = book.groupOf(index);
    BookPlace place;
    place.group = book.entry(group).caption;
    for (int row = 0; row < group.row(); ++row) {
        if (book.group(row).entry.caption == place.group)
            ++place.groupOccurrence;
    }
    if (ContactBook::isContact(index))
        place.contact = book.entry(index);
    return place;
}

std::optional<BookPlace::Rows> BookPlace::findIn(const Groups& groups) const {
    Rows rows;
    for (qsizetype row = 0, seen = 0; row < groups.size() && rows.group < 0; ++row) {
        if (groups[row].entry.caption == group && seen++ == groupOccurrence)
            rows.group = row;
    }
    if (rows.group < 0)
        return std::nullopt;
    if (!contact)
        return rows;
    const QList<BookEntry>& contacts = groups[rows.group].contacts;
    for (qsizetype row = 0; row < contacts.size(); ++row) {
        if (contacts[row].caption != contact->caption)
            continue;
        if (contacts[row].Number == contact->Number)
            return Rows{rows.group, row};
        if (rows.contact < 0)
            rows.contact = row;
    }
    if (rows.contact < 0)
        return std::nullopt;
    return rows;
}

BookEdit::BookEdit(Apply apply)
    : m_apply(std::move(apply)) {
}

bool BookEdit::applyTo(Groups& groups) const {
    return m_apply(groups);
}

BookEdit BookEdit::addContact(const BookEdits::ContactFields& fields) {
    return BookEdit(
        [group = fields.group, contact = BookEdits::newContact(fields)](Groups& groups) {
            groups[groupFor(groups, group)].contacts.append(contact);
            return true;
        });
}

BookEdit BookEdit::editContact(const ContactBook& book, const QModelIndex& contact,
                               const BookEdits::ContactFields& fields) {
    const std::optional<BookPlace> place = BookPlace::of(book, contact);
    if (!place || !place->contact)
        return BookEdit(nothingToDo);
    const BookEntry after = BookEdits::editedContact(*place->contact, fields);
    return BookEdit([place = *place, after](Groups& groups) {
        const std::optional<BookPlace::Rows> rows = place.findIn(groups);
        if (!rows)
            return false;
        // Only the fields the user changed: what the other program changed in the others stays.
        const BookEntry& before = *place.contact;
        BookEntry& entry = groups[rows->group].contacts[rows->contact];
        const auto take = [](auto& field, const auto& was, const auto& now) {
            if (now != was)
                field = now;
        };
        take(entry.caption, before.caption, after.caption);
        take(entry.Name, before.Name, after.Name);
        take(entry.Number, before.Number, after.Number);
        take(entry.Sender, before.Sender, after.Sender);
        take(entry.Sign, before.Sign, after.Sign);
        take(entry.Translit, before.Translit, after.Translit);
        return true;
    });
}

BookEdit BookEdit::renameGroup(const ContactBook& book, const QModelIndex& group,
                               const QString& caption) {
    const std::optional<BookPlace> place = BookPlace::of(book, group);
    if (!place || place->contact)
        return BookEdit(nothingToDo);
    return BookEdit([place = *place, caption](Groups& groups) {
        const std::optional<BookPlace::Rows> rows = place.findIn(groups);
        if (rows)
            groups[rows->group].entry.caption = caption;
        return rows.has_value();
    });
}

BookEdit BookEdit::remove(const ContactBook& book, const QModelIndex& entry) {
    const std::optional<BookPlace> place = BookPlace::of(book, entry);
    if (!place)
        return BookEdit(nothingToDo);
    return BookEdit([place = *place](Groups& groups) {
        const std::optional<BookPlace::Rows> rows = place.findIn(groups);
        if (!rows)
            return false;
        if (rows->contact < 0)
            groups.removeAt(rows->group);
        else
            groups[rows->group].contacts.removeAt(rows->contact);
        return true;
    });
}

BookEdit BookEdit::drop(const ContactBook& book, const QModelIndex& dragged,
                        const QModelIndex& target) {
    if (!BookDrop::accepts(dragged, target) || dragged.model() != &book)
        return BookEdit(nothingToDo);
    return BookEdit([from = *BookPlace::of(book, dragged),
                     onto = *BookPlace::of(book, target)](Groups& groups) {
        const std::optional<BookPlace::Rows> source = from.findIn(groups);
        const std::optional<BookPlace::Rows> destination = onto.findIn(groups);
        if (!source || !destination)
            return false;
        if (source->group == destination->group && source->contact == destination->contact)
            return true;
        // Taken out first, then put before the target, which may have moved up by one.
        if (source->contact < 0) {
            BookGroup moving = groups.takeAt(source->group);
            groups.insert(destination->group - (destination->group > source->group ? 1 : 0),
                          std::move(moving));
            return true;
        }
        BookEntry moving = groups[source->group].contacts.takeAt(source->contact);
        BookGroup& into = groups[destination->group];
        if (destination->contact < 0)
            into.contacts.append(std::move(moving));
        else
            into.contacts.insert(
                destination->contact -
                    (destination->group == source->group && destination->contact > source->contact
                         ? 1
                         : 0),
                std::move(moving));
        into.entry.expanded = true;
        return true;
    });
}

BookEdit BookEdit::sort(const ContactBook& book, const QModelIndex& anchor) {
    if (!anchor.isValid() || anchor.model() != &book)
        return BookEdit(nothingToDo);
    if (ContactBook::isGroup(anchor)) {
        return BookEdit([](Groups& groups) {
            sortByCaption(groups, [](const BookGroup& group) { return group.entry.caption; });
            return true;
        });
    }
    return BookEdit([place = *BookPlace::of(book, anchor.parent())](Groups& groups) {
        const std::optional<BookPlace::Rows> rows = place.findIn(groups);
        if (rows)
            sortByCaption(groups[rows->group].contacts,
                          [](const BookEntry& contact) { return contact.caption; });
        return rows.has_value();
    });
}

BookEdit BookEdit::import(const BookImport::Plan& plan) {
    return BookEdit([steps = plan.steps](Groups& groups) {
        for (const BookImport::Step& step : steps) {
            BookGroup& group = groups[groupFor(groups, step.group)];
            // The other program may have brought the same numbers in already.
            if (!step.contact.caption.isEmpty() &&
                std::none_of(
                    group.contacts.cbegin(), group.contacts.cend(),
                    [&step](const BookEntry& c) { return c.Number == step.contact.Number; }))
                group.contacts.append(step.contact);
        }
        return true;
    });
}

BookEdit BookEdit::replaceBook(const Groups& before, const Groups& after) {
    return BookEdit([before, after](Groups& groups) {
        if (!sameStored(groups, before))
            return false;
        groups = after;
        return true;
    });
}

std::optional<Groups> BookEdit::rebase(const QList<BookEdit>& edits, const Groups& base,
                                       const Groups& edited, Groups newer) {
    Groups replayed = base;
    for (const BookEdit& edit : edits) {
        if (!edit.applyTo(replayed))
            return std::nullopt;
    }
    if (!sameStored(replayed, edited))
        return std::nullopt;
    for (const BookEdit& edit : edits) {
        if (!edit.applyTo(newer))
            return std::nullopt;
    }
    return newer;
}

int BookEdit::countChanges(const Groups& before, const Groups& after) {
    // Groups pair up by caption, the n-th with the n-th.
    QHash<QString, QList<qsizetype>> afterRows;
    for (qsizetype row = 0; row < after.size(); ++row)
        afterRows[after[row].entry.caption].append(row);
    int changes = 0;
    for (const BookGroup& group : before) {
        QList<qsizetype>& rows = afterRows[group.entry.caption];
        if (rows.isEmpty())
            changes += 1 + int(group.contacts.size());
        else
            changes += contactChanges(group.contacts, after[rows.takeFirst()].contacts);
    }
    for (const QList<qsizetype>& rows : std::as_const(afterRows)) {
        for (const qsizetype row : rows)
            changes += 1 + int(after[row].contacts.size());
    }
    return changes;
}

bool BookEdit::sameStored(const Groups& a, const Groups& b) {
    return std::equal(
        a.cbegin(), a.cend(), b.cbegin(), b.cend(), [](const BookGroup& x, const BookGroup& y) {
            return x.entry.caption == y.entry.caption &&
                   std::equal(x.contacts.cbegin(), x.contacts.cend(), y.contacts.cbegin(),
                              y.contacts.cend(), sameStoredContact);
        });
}
