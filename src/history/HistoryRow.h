#pragma once

#include "TMess.h"

class HistoryFilter;

#include <QList>
#include <QString>

// One line of the history window: a record of the file and the contact name of its number.
struct HistoryRow {
    TMess record;
    QString name; // empty when no contact has the number
};

// The rows for the records (stored oldest first) that pass the filter, newest first. Rows of one
// number share its text and its contact name, which a long history repeats thousands of times.
QList<HistoryRow> rowsFromRecords(QList<TMess> records, const HistoryFilter& filter);

// The columns of the history list, in their order.
namespace HistoryColumn {

enum Column { Id, Moment, Recipient, Sender, Message, Count };

// "ID", "Дата / Время", "Кому", "Отправитель", "Сообщение".
QString caption(int column);

// What the cell shows: the Id in decimal, "DD.MM.YYYY HH:MM:SS" (empty for a moment the file
// cannot hold), the name or else the number, the sender, the text and its signature.
QString cellText(const HistoryRow& row, int column);

// Rows by one column: Id largest first, moment newest first, the texts in ascending order of
// their code-page-1251 codes (capitals before small letters). Rows with equal keys keep their
// order, so sorting twice by one column changes nothing. Returns where each row came from:
// the row now at position i was at position result[i].
QList<qsizetype> sortRows(QList<HistoryRow>& rows, int column);

} // namespace HistoryColumn
