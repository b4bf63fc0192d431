#pragma once

#include "messaging/SendJournal.h"

#include <QList>

class QTableWidget;

// A table whose lines show journal rows in the same order: which row is selected, and
// selecting one again after the table was refilled.
namespace JournalRowTable {

const SendJournal::Row* selected(const QTableWidget& table, const QList<SendJournal::Row>& rows);
qint64 selectedId(const QTableWidget& table, const QList<SendJournal::Row>& rows);
void select(QTableWidget& table, const QList<SendJournal::Row>& rows, qint64 id, int column);

} // namespace JournalRowTable
