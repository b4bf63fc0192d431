#include "ContactBook.h"

#include "platform/Ansi.h"

#include <algorithm>
#include <numeric>

namespace {

// Moves the items [first, first + count) of a list so that they stand before the item that
// was at position destination, as beginMoveRows() counts.
template <typename List> void moveWithin(List& list, int first, int count, int destination) {
    const auto begin = list.begin();
    if (destination < first)
        std::rotate(begin + destination, begin + first, begin + first + count);
    else
        std::rotate(begin + first, begin + first + count, begin + destination);
}

// Positions of the list in stable caption order.
template <typename List, typename Caption>
std::vector<int> sortedOrder(const List& list, Caption caption) {
    std::vector<int> order(list.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return Ansi::compare(caption(list[a]), caption(list[b])) < 0;
    });
    return order;
}

} // namespace

ContactBook::ContactBook(QObject* parent)
    : QAbstractItemModel(parent) {
}

ContactBook::~ContactBook() = default;

QModelIndex ContactBook::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row < groupCount() ? createIndex(row, 0) : QModelIndex();
    if (!isGroup(parent) || parent.model() != this)
        return {};
    GroupNode* node = nodeOf(parent);
    if (!node || row >= node->data.contacts.size())
        return {};
    return createIndex(row, 0, node);
}

QModelIndex ContactBook::parent(const QModelIndex& child) const {
    if (!isContact(child))
        return {};
    return createIndex(static_cast<GroupNode*>(child.internalPointer())->row, 0);
}

int ContactBook::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return groupCount();
    if (!isGroup(parent))
        return 0;
    const GroupNode* node = nodeOf(parent);
    return node ? int(node->data.contacts.size()) : 0;
}

int ContactBook::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant ContactBook::data(const QModelIndex& index, int role) const {
    const BookEntry* e = entryAt(index);
    if (!e)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return e->caption;
    case LevelRole:
        return isGroup(index) ? 0 : 1;
    case NameRole:
        return e->Name;
    case NumberRole:
        return e->Number;
    case SenderRole:
        return e->Sender;
    case SignRole:
        return e->Sign;
    case TranslitRole:
        return e->Translit;
    case ExpandedRole:
        return isGroup(index) ? QVariant(e->expanded) : QVariant();
    default:
        return {};
    }
}

bool ContactBook::setData(const QModelIndex& index, const QVariant& value, int role) {
    BookEntry* e = entryAt(index);
    if (!e)
        return false;
    QList<int> roles{role};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        e->caption = value.toString();
        roles = {Qt::DisplayRole, Qt::EditRole};
        break;
    case NameRole:
        e->Name = value.toString();
        break;
    case NumberRole:
        e->Number = value.toString();
        break;
    case SenderRole:
        e->Sender = value.toString();
        break;
    case SignRole:
        e->Sign = value.toString();
        break;
    case TranslitRole:
        e->Translit = value.toBool();
        break;
    case ExpandedRole:
        if (!isGroup(index))
            return false;
        e->expanded = value.toBool();
        break;
    default:
        return false;
    }
    emit dataChanged(index, index, roles);
    return true;
}

Qt::ItemFlags ContactBook::flags(const QModelIndex& index) const {
    if (!entryAt(index))
        return Qt::NoItemFlags;
    // Captions are not edited in place; the editor dialog changes them.
    Qt::ItemFlags result =
        Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    if (isContact(index))
        result |= Qt::ItemNeverHasChildren;
    return result;
}

bool ContactBook::insertRows(int row, int count, const QModelIndex& parent) {
    if (count <= 0 || row < 0 || row > rowCount(parent))
        return false;
    if (!parent.isValid()) {
        beginInsertRows({}, row, row + count - 1);
        for (int i = 0; i < count; ++i)
            m_groups.insert(m_groups.begin() + row + i, std::make_unique<GroupNode>());
        renumberGroups(row);
        endInsertRows();
        return true;
    }
    GroupNode* node = isGroup(parent) ? nodeOf(parent) : nullptr;
    if (!node)
        return false;
    beginInsertRows(parent, row, row + count - 1);
    node->data.contacts.insert(row, count, BookEntry());
    endInsertRows();
    return true;
}

bool ContactBook::removeRows(int row, int count, const QModelIndex& parent) {
    if (count <= 0 || row < 0 || row + count > rowCount(parent))
        return false;
    if (!parent.isValid()) {
        beginRemoveRows({}, row, row + count - 1);
        m_groups.erase(m_groups.begin() + row, m_groups.begin() + row + count);
        renumberGroups(row);
        endRemoveRows();
        return true;
    }
    GroupNode* node = isGroup(parent) ? nodeOf(parent) : nullptr;
    if (!node)
        return false;
    beginRemoveRows(parent, row, row + count - 1);
    node->data.contacts.remove(row, count);
    endRemoveRows();
    return true;
}

bool ContactBook::moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                           const QModelIndex& destinationParent, int destinationChild) {
    if (count <= 0 || sourceRow < 0 || destinationChild < 0 ||
        sourceRow + count > rowCount(sourceParent) ||
        destinationChild > rowCount(destinationParent))
        return false;

    if (!sourceParent.isValid() && !destinationParent.isValid()) {
        if (!beginMoveRows({}, sourceRow, sourceRow + count - 1, {}, destinationChild))
            return false;
        moveWithin(m_groups, sourceRow, count, destinationChild);
        renumberGroups(std::min(sourceRow, destinationChild));
        endMoveRows();
        return true;
    }

    if (!isGroup(sourceParent) || !isGroup(destinationParent))
        return false;
    GroupNode* from = nodeOf(sourceParent);
    GroupNode* to = nodeOf(destinationParent);
    if (!from || !to)
        return false;
    if (!beginMoveRows(sourceParent, sourceRow, sourceRow + count - 1, destinationParent,
                       destinationChild))
        return false;
    if (from == to) {
        moveWithin(from->data.contacts, sourceRow, count, destinationChild);
    } else {
        const QList<BookEntry> moving = from->data.contacts.mid(sourceRow, count);
        from->data.contacts.remove(sourceRow, count);
        to->data.contacts.insert(destinationChild, count, BookEntry());
        std::copy(moving.begin(), moving.end(), to->data.contacts.begin() + destinationChild);
    }
    endMoveRows();
    return true;
}

bool ContactBook::isGroup(const QModelIndex& index) {
    return index.isValid() && !index.internalPointer();
}

bool ContactBook::isContact(const QModelIndex& index) {
    return index.isValid() && index.internalPointer();
}

QModelIndex ContactBook::groupOf(const QModelIndex& index) const {
    const GroupNode* node = nodeOf(index);
    return node ? groupIndex(node->row) : QModelIndex();
}

const BookGroup& ContactBook::group(int row) const {
    Q_ASSERT(row >= 0 && row < groupCount());
    return m_groups[size_t(row)]->data;
}

int ContactBook::contactCount() const {
    int total = 0;
    for (const auto& node : m_groups)
        total += int(node->data.contacts.size());
    return total;
}

BookEntry ContactBook::entry(const QModelIndex& index) const {
    const BookEntry* e = entryAt(index);
    return e ? *e : BookEntry();
}

QModelIndex ContactBook::indexOf(const BookEntry* entry) const {
    if (!entry)
        return {};
    for (const auto& node : m_groups) {
        if (&node->data.entry == entry)
            return groupIndex(node->row);
        const QList<BookEntry>& contacts = node->data.contacts;
        for (int row = 0; row < contacts.size(); ++row) {
            if (&contacts[row] == entry)
                return createIndex(row, 0, node.get());
        }
    }
    return {};
}

bool ContactBook::setEntry(const QModelIndex& index, const BookEntry& entry) {
    BookEntry* e = entryAt(index);
    if (!e)
        return false;
    const bool expanded = e->expanded;
    *e = entry;
    if (isContact(index))
        e->expanded = expanded;
    emit dataChanged(index, index);
    return true;
}

bool ContactBook::setExpanded(const QModelIndex& group, bool expanded) {
    return setData(group, expanded, ExpandedRole);
}

QModelIndex ContactBook::appendGroup(const BookEntry& entry) {
    const int row = groupCount();
    beginInsertRows({}, row, row);
    auto node = std::make_unique<GroupNode>();
    node->data.entry = entry;
    node->row = row;
    m_groups.push_back(std::move(node));
    endInsertRows();
    return groupIndex(row);
}

QModelIndex ContactBook::appendContact(const QModelIndex& group, const BookEntry& entry) {
    GroupNode* node = isGroup(group) ? nodeOf(group) : nullptr;
    if (!node)
        return {};
    const int row = int(node->data.contacts.size());
    beginInsertRows(group, row, row);
    node->data.contacts.append(entry);
    node->data.contacts.last().expanded = false;
    endInsertRows();
    return createIndex(row, 0, node);
}

QModelIndex ContactBook::findGroup(const QString& caption) const {
    for (int row = groupCount() - 1; row >= 0; --row) {
        if (m_groups[size_t(row)]->data.entry.caption == caption)
            return groupIndex(row);
    }
    return {};
}

QList<BookGroup> ContactBook::groups() const {
    QList<BookGroup> result;
    result.reserve(groupCount());
    for (const auto& node : m_groups) {
        result.append(node->data);
        // Entries are written in place through pointers (entryPointer), which would reach
        // into a list still shared with this copy.
        result.last().contacts.detach();
    }
    return result;
}

void ContactBook::setGroups(const QList<BookGroup>& groups) {
    beginResetModel();
    m_groups.clear();
    m_groups.reserve(size_t(groups.size()));
    for (const BookGroup& group : groups) {
        auto node = std::make_unique<GroupNode>();
        node->data = group;
        // The book writes its entries in place, so it keeps lists of its own, never ones
        // shared with the caller's.
        QList<BookEntry>& contacts = node->data.contacts;
        contacts.detach();
        for (BookEntry& contact : contacts)
            contact.expanded = false;
        m_groups.push_back(std::move(node));
    }
    renumberGroups(0);
    endResetModel();
}

void ContactBook::sortGroups() {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<int> order =
        sortedOrder(m_groups, [](const auto& node) { return node->data.entry.caption; });
    std::vector<std::unique_ptr<GroupNode>> sorted;
    sorted.reserve(m_groups.size());
    for (const int old : order)
        sorted.push_back(std::move(m_groups[size_t(old)]));
    // Contact indexes name their group node, not its row, so only group indexes move.
    const QModelIndexList persistent = persistentIndexList();
    QModelIndexList from;
    QModelIndexList to;
    m_groups = std::move(sorted);
    std::vector<int> newRow(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        newRow[size_t(order[i])] = int(i);
    for (const QModelIndex& index : persistent) {
        if (isGroup(index)) {
            from.append(index);
            to.append(groupIndex(newRow[size_t(index.row())]));
        }
    }
    renumberGroups(0);
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ContactBook::sortContacts(const QModelIndex& group) {
    GroupNode* node = isGroup(group) ? nodeOf(group) : nullptr;
    if (!node)
        return;
    const QList<QPersistentModelIndex> parents{QPersistentModelIndex(group)};
    emit layoutAboutToBeChanged(parents, QAbstractItemModel::VerticalSortHint);
    QList<BookEntry>& contacts = node->data.contacts;
    const std::vector<int> order =
        sortedOrder(contacts, [](const BookEntry& e) { return e.caption; });
    QList<BookEntry> sorted;
    sorted.reserve(contacts.size());
    std::vector<int> newRow(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.append(contacts[order[i]]);
        newRow[size_t(order[i])] = int(i);
    }
    contacts = std::move(sorted);
    QModelIndexList from;
    QModelIndexList to;
    for (const QModelIndex& index : persistentIndexList()) {
        if (index.internalPointer() == node) {
            from.append(index);
            to.append(createIndex(newRow[size_t(index.row())], 0, node));
        }
    }
    changePersistentIndexList(from, to);
    emit layoutChanged(parents, QAbstractItemModel::VerticalSortHint);
}

ContactBook::GroupNode* ContactBook::nodeOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this)
        return nullptr;
    if (index.internalPointer())
        return static_cast<GroupNode*>(index.internalPointer());
    if (index.row() >= groupCount())
        return nullptr;
    return m_groups[size_t(index.row())].get();
}

BookEntry* ContactBook::entryAt(const QModelIndex& index) {
    GroupNode* node = nodeOf(index);
    if (!node || index.column() != 0)
        return nullptr;
    if (isGroup(index))
        return &node->data.entry;
    if (index.row() >= node->data.contacts.size())
        return nullptr;
    return &node->data.contacts[index.row()]; // a list shared by a copy is detached first
}

const BookEntry* ContactBook::entryAt(const QModelIndex& index) const {
    const GroupNode* node = nodeOf(index);
    if (!node || index.column() != 0)
        return nullptr;
    if (isGroup(index))
        return &node->data.entry;
    if (index.row() >= node->data.contacts.size())
        return nullptr;
    return &node->data.contacts[index.row()];
}

void ContactBook::renumberGroups(int from) {
    for (size_t i = size_t(std::max(from, 0)); i < m_groups.size(); ++i)
        m_groups[i]->row = int(i);
}
