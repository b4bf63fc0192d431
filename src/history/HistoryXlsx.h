#pragma once

#include "TMess.h"
#include "platform/XlsxWorkbook.h"

#include <QString>

// History records as an Excel workbook: one sheet under the titles of HistorySheet, the id a
// number, the moment a real date-time, the status its legend text on the status's colour of
// the history window, and every other field a text cell whatever it looks like.
class HistoryXlsx {
public:
    explicit HistoryXlsx(const QString& path);

    // The row of one record; `contact` is the contact's name for the number (empty for none).
    void appendRow(const TMess& record, const QString& contact);

    // Puts the file in place of `path`. Returns an empty string on success, else a readable
    // error.
    QString close();

private:
    XlsxWorkbook m_workbook;
    int m_row = 0;
};
