#pragma once

#include "messaging/SendJournal.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>

// The sends of unknown outcome as table rows: moment, recipients (with the book's names) and
// text, each with a tooltip that gives the reason. Rows stay open until the user settles them,
// so a long day can gather many: a line's texts are made when it is painted, and a row costs
// no more than the journal row it shows.
class UnknownOutcomeModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { MomentColumn, RecipientsColumn, TextColumn };
    static constexpr int kColumnCount = TextColumn + 1;

    using QAbstractTableModel::QAbstractTableModel;

    // `names`: contact names by number, for the recipients column.
    void setRows(QList<SendJournal::Row> rows, QHash<QString, QString> names);
    const QList<SendJournal::Row>& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString recipients(const SendJournal::Row& row) const;

    QList<SendJournal::Row> m_rows;
    QHash<QString, QString> m_names;
};
