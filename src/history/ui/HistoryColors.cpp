#include "HistoryColors.h"

#include "history/HistoryStatus.h"

namespace HistoryColors {

std::optional<QColor> StatusColor(quint8 status) {
    if (const std::optional<quint32> rgb = HistoryStatus::color(status))
        return QColor(QRgb(*rgb));
    return std::nullopt;
}

QList<LegendEntry> legend() {
    QList<LegendEntry> entries;
    for (const quint8 status : HistoryStatus::legendStatuses())
        entries.append({HistoryStatus::legendText(status), StatusColor(status)});
    return entries;
}

} // namespace HistoryColors
