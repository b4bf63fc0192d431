#pragma once

#include "shared/BookGroup.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The contact book written out for other programs: vCard 3.0 for phones and address books,
// CSV for scripts and spreadsheets. Both are UTF-8 with CR LF line ends and keep the book's
// order.
namespace BookExport {

// One card per contact: FN and N (the whole name as the given name, since a book name is
// no family name), TEL;TYPE=CELL, CATEGORIES with the group, and the program's own fields as
// X-VARNELO-SIGNATURE, X-VARNELO-SENDER and X-VARNELO-TRANSLIT where they are set. A group
// without contacts leaves no trace, as a card cannot stand for a group.
QByteArray toVCard(const QList<BookGroup>& groups);

// The book as a table: the titles `Группа`, `Имя`, `Телефон`, `Подпись`, `Отправитель`,
// `Транслит`, then a row per contact (transliteration "1" or "0"); a group without contacts
// gets a row with only its name so it is not lost.
QList<QStringList> table(const QList<BookGroup>& groups);

// The table as CSV, fields separated by commas and written as they are.
QByteArray toCsv(const QList<BookGroup>& groups);

// The table as CSV for a spreadsheet set to a Russian locale: a byte order mark, fields
// separated by ";", and a "'" before a field the spreadsheet would take for a formula.
QByteArray toSpreadsheetCsv(const QList<BookGroup>& groups);

// A vCard text value with backslash, comma, semicolon and line breaks escaped.
QString escapeVCardText(const QString& text);
// One content line folded at 75 octets, never inside a UTF-8 character, each piece ended
// by CR LF.
QByteArray foldVCardLine(const QByteArray& line);
// One CSV field, in double quotes when it holds the separator, a quote, CR or LF, or begins
// or ends with a space or TAB.
QByteArray csvField(const QString& field, char separator = ',');

} // namespace BookExport
