#pragma once

#include "history/HistoryRow.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>

// The rows of the history window as a table: one row per shown record, the five columns of
// HistoryColumn, the background by status. Cell texts are made when the view asks for them, so
// a long history costs only its records.
class HistoryListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    void setRows(QList<HistoryRow> rows);
    void clear() { setRows({}); }
    const QList<HistoryRow>& rows() const { return m_rows; }
    const HistoryRow& row(int index) const { return m_rows.at(index); }

    // Every row with one of the Ids takes its status.
    void applyStatuses(const QHash<qint32, quint8>& statuses);
    // A shown record is still pending.
    bool anyPending() const;

private:
    QList<HistoryRow> m_rows;
};
