#pragma once

#include "messaging/SendJournal.h"

#include <QList>

class QTableView;

// A table whose lines show journal rows in the same order: which row is selected, and
// selecting one again after the table was refilled.
namespace JournalRowTable {

const SendJournal::Row* selected(const QTableView& table, const QList<SendJournal::Row>& rows);
qint64 selectedId(const QTableView& table, const QList<SendJournal::Row>& rows);
void select(QTableView& table, const QList<SendJournal::Row>& rows, qint64 id, int column);

} // namespace JournalRowTable
