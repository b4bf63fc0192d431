#pragma once

#include "shared/BookGroup.h"

#include <QList>
#include <QModelIndex>
#include <QString>

#include <functional>
#include <optional>

class ContactBook;
namespace BookEdits {
struct ContactFields;
}
namespace BookImport {
struct Plan;
}

// Where an entry of the book stands, as the store tells entries apart: a group by its caption
// (the n-th of the groups with that caption), a contact within its group by caption and
// number, or by caption alone when the number has changed since.
struct BookPlace {
    QString group;
    int groupOccurrence = 0;
    std::optional<BookEntry> contact; // none for the group itself

    // Invalid index: nothing.
    static std::optional<BookPlace> of(const ContactBook& book, const QModelIndex& index);

    struct Rows {
        qsizetype group = -1;
        qsizetype contact = -1; // -1 for the group itself
    };
    // Nothing when the entry is not in `groups`.
    std::optional<Rows> findIn(const QList<BookGroup>& groups) const;
};

// One change the user made to the book, kept so that it can be made again on the book that
// another program stored meanwhile, and both changes survive. Each is taken from the book as
// it was just before the change (the index names the entry there).
class BookEdit {
public:
    static BookEdit addContact(const BookEdits::ContactFields& fields);
    static BookEdit editContact(const ContactBook& book, const QModelIndex& contact,
                                const BookEdits::ContactFields& fields);
    static BookEdit renameGroup(const ContactBook& book, const QModelIndex& group,
                                const QString& caption);
    static BookEdit remove(const ContactBook& book, const QModelIndex& entry);
    // A move by drag and drop, by BookDrop's rules.
    static BookEdit drop(const ContactBook& book, const QModelIndex& dragged,
                         const QModelIndex& target);
    // The contacts of the anchor's group when it is a contact, else the groups.
    static BookEdit sort(const ContactBook& book, const QModelIndex& anchor);
    static BookEdit import(const BookImport::Plan& plan);
    // The whole book replaced (by the copy on the service): made again only on `before`.
    static BookEdit replaceBook(const QList<BookGroup>& before, const QList<BookGroup>& after);

    // Makes the change on `groups`; false, with `groups` as it was, when its entry is gone.
    bool applyTo(QList<BookGroup>& groups) const;

    // `edited` is `base` after `edits`. The same edits made again on `newer`, which another
    // program stored since `base`: nothing when one of them cannot be made there, or when
    // `edited` holds changes that the edits do not account for (they would be lost).
    static std::optional<QList<BookGroup>> rebase(const QList<BookEdit>& edits,
                                                  const QList<BookGroup>& base,
                                                  const QList<BookGroup>& edited,
                                                  QList<BookGroup> newer);

    // How many groups and contacts are added, removed or changed from one book to the other;
    // a group added or removed counts with each of its contacts. Order and open groups do
    // not count.
    static int countChanges(const QList<BookGroup>& before, const QList<BookGroup>& after);

    // Whether the books are the same in what the store keeps, open groups aside.
    static bool sameStored(const QList<BookGroup>& a, const QList<BookGroup>& b);

private:
    using Apply = std::function<bool(QList<BookGroup>&)>;
    explicit BookEdit(Apply apply);

    Apply m_apply;
};
