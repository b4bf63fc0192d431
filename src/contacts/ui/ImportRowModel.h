#pragma once

#include "contacts/BookImport.h"

#include <QAbstractTableModel>

// The rows of an import plan as the preview's table shows them: where each row of the file
// comes from, how it will be stored and what becomes of it. A model, so a file of many
// thousand contacts opens at once.
class ImportRowModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { LineColumn, NameColumn, NumberColumn, GroupColumn, FateColumn, ColumnCount };

    explicit ImportRowModel(QObject* parent = nullptr)
        : QAbstractTableModel(parent) {}

    void setRows(QList<BookImport::Row> rows);

    // "новый", "уже есть в книге" …, with a changed name and further numbers after it.
    static QString fateText(const BookImport::Row& row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<BookImport::Row> m_rows;
};
