#pragma once

#include "TMess.h"

#include <QByteArray>
#include <QString>

// History records as CSV in the way of RFC 4180: UTF-8, CR LF after every row, a header row,
// and a field in double quotes (its own quotes doubled) when it holds the separator, a quote,
// CR or LF.
class HistoryCsv {
public:
    // For scripts: the header row `id,sent,number,contact,sender,text,signature,status,
    // status_text` and every field as it is. The separator is a parameter for those that
    // want another.
    explicit HistoryCsv(char separator = ',')
        : m_separator(separator) {}

    // For a spreadsheet set to a Russian locale, which reads a file without a byte order mark
    // in the desktop's code page and splits fields at ";": the titles of HistorySheet, the
    // status as its legend text alone, and a "'" before a text it would take for a formula.
    static HistoryCsv forSpreadsheet();

    // The header row, with its line end (and the byte order mark of the spreadsheet form).
    QByteArray header() const;

    // Appends the row of one record: the moment as ISO 8601 local time (empty for one that is
    // no real moment), the contact's name for the number (empty for none), the stored status
    // (not in the spreadsheet form) and its legend text.
    void appendRow(QByteArray& out, const TMess& record, const QString& contact) const;

private:
    void appendField(QByteArray& out, const QString& field) const;

    char m_separator;
    bool m_spreadsheet = false;
};
