#include "JournalRowTable.h"

#include <QItemSelectionModel>
#include <QTableView>

namespace JournalRowTable {

const SendJournal::Row* selected(const QTableView& table, const QList<SendJournal::Row>& rows) {
    const QModelIndexList indexes =
        table.selectionModel() ? table.selectionModel()->selectedIndexes() : QModelIndexList();
    if (indexes.isEmpty())
        return nullptr;
    const int index = indexes.first().row();
    return index < rows.size() ? &rows[index] : nullptr;
}

qint64 selectedId(const QTableView& table, const QList<SendJournal::Row>& rows) {
    const SendJournal::Row* row = selected(table, rows);
    return row ? row->id : 0;
}

void select(QTableView& table, const QList<SendJournal::Row>& rows, qint64 id, int column) {
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i].id == id) {
            table.setCurrentIndex(table.model()->index(i, column));
            table.selectRow(i);
            return;
        }
    }
}

} // namespace JournalRowTable
