#include "HistoryXlsx.h"

#include "HistorySheet.h"
#include "HistoryStatus.h"

namespace {

// Wider columns would hide the rest of the row behind one long text.
constexpr double kMaxColumnWidth = 60;

enum Column { Id, Moment, Number, Contact, Sender, Text, Sign, Status };

} // namespace

HistoryXlsx::HistoryXlsx(const QString& path)
    : m_workbook(path, QStringLiteral("История")) {
    m_workbook.headerRow(HistorySheet::titles());
}

void HistoryXlsx::appendRow(const TMess& record, const QString& contact) {
    ++m_row;
    m_workbook.number(m_row, Id, record.Id);
    if (const auto clock = record.wallClock())
        m_workbook.dateTime(m_row, Moment, clock->first, clock->second);
    m_workbook.text(m_row, Number, record.Number);
    m_workbook.text(m_row, Contact, contact);
    m_workbook.text(m_row, Sender, record.Sender);
    m_workbook.text(m_row, Text, record.Text);
    m_workbook.text(m_row, Sign, record.Sign);
    m_workbook.text(m_row, Status, HistoryStatus::legendText(record.Status),
                    HistoryStatus::color(record.Status));
}

QString HistoryXlsx::close() {
    return m_workbook.close(kMaxColumnWidth);
}
