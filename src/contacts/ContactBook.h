#pragma once

#include "shared/BookGroup.h"

#include <QAbstractItemModel>

#include <memory>
#include <vector>

// The contact book as a two-level item model: groups at the top level, their contacts below.
// The order of the rows is the order of the book. One column; the display role is the
// caption, the roles below give the other fields.
class ContactBook : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Role {
        LevelRole = Qt::UserRole + 1, // 0 for a group, 1 for a contact; read-only
        NameRole,
        NumberRole,
        SenderRole,
        SignRole,
        TranslitRole,
        ExpandedRole, // groups only
    };

    explicit ContactBook(QObject* parent = nullptr);
    ~ContactBook() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Empty entries: groups at the top level, contacts below a group.
    bool insertRows(int row, int count, const QModelIndex& parent = {}) override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;
    // Groups move among the groups, contacts within or between groups; nothing else.
    bool moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                  const QModelIndex& destinationParent, int destinationChild) override;

    static bool isGroup(const QModelIndex& index);
    static bool isContact(const QModelIndex& index);
    QModelIndex groupIndex(int row) const { return index(row, 0); }
    // The group of a contact, or the group itself.
    QModelIndex groupOf(const QModelIndex& index) const;

    int groupCount() const { return int(m_groups.size()); }
    const BookGroup& group(int row) const;
    int contactCount() const; // over all groups
    bool isEmpty() const { return m_groups.empty(); }

    // A copy of the entry's fields; an empty entry for an invalid index.
    BookEntry entry(const QModelIndex& index) const;
    // The entry itself, for a window that works on it in place (a send page writes its
    // contact's Sender back). Valid until rows are inserted, removed or moved; check it with
    // indexOf() before use. Null for an invalid index.
    BookEntry* entryPointer(const QModelIndex& index) { return entryAt(index); }
    // Where an entry handed out by entryPointer() is now; invalid once it has left the book.
    // Compares addresses only, so a stale pointer is never read.
    QModelIndex indexOf(const BookEntry* entry) const;
    // Replaces every field (a contact's expanded flag is ignored).
    bool setEntry(const QModelIndex& index, const BookEntry& entry);
    bool setExpanded(const QModelIndex& group, bool expanded);

    QModelIndex appendGroup(const BookEntry& entry);
    QModelIndex appendContact(const QModelIndex& group, const BookEntry& entry);
    // The last group whose caption equals the text exactly; invalid when there is none.
    QModelIndex findGroup(const QString& caption) const;

    QList<BookGroup> groups() const;
    void setGroups(const QList<BookGroup>& groups);
    void clear() { setGroups({}); }

    // Stable sorts by caption in code-page-1251 order: the groups (each keeps its contacts),
    // or the contacts of one group.
    void sortGroups();
    void sortContacts(const QModelIndex& group);

private:
    struct GroupNode {
        BookGroup data;
        int row = 0; // kept current, so parent() needs no search
    };

    GroupNode* nodeOf(const QModelIndex& index) const; // the group of any valid index
    BookEntry* entryAt(const QModelIndex& index);
    const BookEntry* entryAt(const QModelIndex& index) const;
    void renumberGroups(int from);

    std::vector<std::unique_ptr<GroupNode>> m_groups;
};
