#pragma once

#include "TMess.h"

#include <QByteArray>
#include <QString>

// History records as CSV in the way of RFC 4180: UTF-8, CR LF after every row, a header row
// `id,sent,number,contact,sender,text,signature,status,status_text`, and a field in double
// quotes (its own quotes doubled) when it holds the separator, a quote, CR or LF. The
// separator is a parameter because spreadsheets set to a Russian locale expect ";".
class HistoryCsv {
public:
    explicit HistoryCsv(char separator = ',')
        : m_separator(separator) {}

    // The header row, with its line end.
    QByteArray header() const;

    // Appends the row of one record: the moment as ISO 8601 local time (empty for one that is
    // no real moment), the contact's name for the number (empty for none), the stored status
    // and its legend text.
    void appendRow(QByteArray& out, const TMess& record, const QString& contact) const;

private:
    void appendField(QByteArray& out, const QString& field) const;

    char m_separator;
};
