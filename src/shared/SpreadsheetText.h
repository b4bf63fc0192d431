#pragma once

#include <QString>

// Text cells of files meant for spreadsheets. A spreadsheet opening a CSV takes a cell that
// begins like a formula for one, so a contact named "=HYPERLINK(…)" would become a live link;
// such a cell is written with a leading "'", which spreadsheets show as plain text.
namespace SpreadsheetText {

// Begins with "=", "@", TAB or CR, or with "+" or "-" followed by anything but a digit
// ("+79161234567" and "-5" are numbers, not formulas).
bool looksLikeFormula(const QString& cell);

// The cell as a spreadsheet should read it: "'" before one that looks like a formula.
QString guarded(const QString& cell);

// Undoes guarded(): a cell of "'" and a formula-like rest loses the "'"; any other stays.
QString unguarded(const QString& cell);

} // namespace SpreadsheetText
