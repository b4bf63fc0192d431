#include "HistoryCsv.h"

#include "HistorySheet.h"
#include "HistoryStatus.h"
#include "shared/SpreadsheetText.h"

#include <array>

namespace {

const std::array<const char*, 9> kColumns{"id",   "sent",      "number", "contact",    "sender",
                                          "text", "signature", "status", "status_text"};

} // namespace

HistoryCsv HistoryCsv::forSpreadsheet() {
    HistoryCsv csv(';');
    csv.m_spreadsheet = true;
    return csv;
}

QByteArray HistoryCsv::header() const {
    if (m_spreadsheet)
        return "\xEF\xBB\xBF" + HistorySheet::titles().join(QLatin1Char(m_separator)).toUtf8() +
               "\r\n";
    QByteArray row;
    for (const char* column : kColumns) {
        if (!row.isEmpty())
            row += m_separator;
        row += column;
    }
    return row + "\r\n";
}

void HistoryCsv::appendRow(QByteArray& out, const TMess& record, const QString& contact) const {
    out += QByteArray::number(record.Id);
    out += m_separator;
    if (const auto clock = record.wallClock()) {
        out += clock->first.toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
        out += 'T';
        out += clock->second.toString(QStringLiteral("HH:mm:ss")).toLatin1();
    }
    out += m_separator;
    appendField(out, record.Number);
    out += m_separator;
    appendField(out, contact);
    out += m_separator;
    appendField(out, record.Sender);
    out += m_separator;
    appendField(out, record.Text);
    out += m_separator;
    appendField(out, record.Sign);
    out += m_separator;
    if (!m_spreadsheet) {
        out += QByteArray::number(record.Status);
        out += m_separator;
    }
    appendField(out, HistoryStatus::legendText(record.Status));
    out += "\r\n";
}

void HistoryCsv::appendField(QByteArray& out, const QString& text) const {
    const QString field = m_spreadsheet ? SpreadsheetText::guarded(text) : text;
    const char16_t separator = char16_t(m_separator);
    bool quoted = false;
    for (const QChar c : field) {
        const char16_t unit = c.unicode();
        if (unit == u'"' || unit == u'\r' || unit == u'\n' || unit == separator) {
            quoted = true;
            break;
        }
    }
    if (!quoted) {
        out += field.toUtf8();
        return;
    }
    out += '"';
    out += field.toUtf8().replace("\"", "\"\"");
    out += '"';
}
