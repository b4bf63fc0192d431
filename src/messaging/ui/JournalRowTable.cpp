#include "JournalRowTable.h"

#include <QTableWidget>

namespace JournalRowTable {

const SendJournal::Row* selected(const QTableWidget& table, const QList<SendJournal::Row>& rows) {
    const QList<QTableWidgetItem*> items = table.selectedItems();
    if (items.isEmpty())
        return nullptr;
    const int index = items.first()->row();
    return index < rows.size() ? &rows[index] : nullptr;
}

qint64 selectedId(const QTableWidget& table, const QList<SendJournal::Row>& rows) {
    const SendJournal::Row* row = selected(table, rows);
    return row ? row->id : 0;
}

void select(QTableWidget& table, const QList<SendJournal::Row>& rows, qint64 id, int column) {
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i].id == id) {
            table.setCurrentCell(i, column);
            table.selectRow(i);
            return;
        }
    }
}

} // namespace JournalRowTable
