#include "HistoryListModel.h"

#include "HistoryColors.h"

int HistoryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int HistoryListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : HistoryColumn::Count;
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const HistoryRow& row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return HistoryColumn::cellText(row, index.column());
    case Qt::BackgroundRole:
        if (const std::optional<QColor> color = HistoryColors::StatusColor(row.record.Status))
            return *color;
        return {};
    default:
        return {};
    }
}

QVariant HistoryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return HistoryColumn::caption(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void HistoryListModel::sort(int column, Qt::SortOrder) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QList<qsizetype> order = HistoryColumn::sortRows(m_rows, column);
    // The selection follows its rows to their new places.
    QList<int> newPlace(order.size());
    for (qsizetype i = 0; i < order.size(); ++i)
        newPlace[order[i]] = int(i);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(index(newPlace.value(old.row()), old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void HistoryListModel::setRows(QList<HistoryRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void HistoryListModel::applyStatuses(const QHash<qint32, quint8>& statuses) {
    if (statuses.isEmpty() || m_rows.isEmpty())
        return;
    int first = -1;
    int last = -1;
    for (int i = 0; i < m_rows.size(); ++i) {
        TMess& record = m_rows[i].record;
        const auto it = statuses.constFind(record.Id);
        if (it == statuses.constEnd() || record.Status == it.value())
            continue;
        record.Status = it.value();
        if (first < 0)
            first = i;
        last = i;
    }
    if (first >= 0)
        emit dataChanged(index(first, 0), index(last, HistoryColumn::Count - 1),
                         {Qt::BackgroundRole});
}

bool HistoryListModel::anyPending() const {
    return std::any_of(m_rows.cbegin(), m_rows.cend(),
                       [](const HistoryRow& row) { return row.record.isPending(); });
}
