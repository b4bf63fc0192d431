#include "HistoryColors.h"

#include "history/HistoryStatus.h"
#include "history/TMess.h"

namespace HistoryColors {

namespace {

const QColor kQueued(195, 195, 195);
const QColor kFailed(255, 204, 204);
const QColor kNoMessagesLeft(156, 156, 255);
const QColor kDelivered(170, 255, 170);
const QColor kExpired(225, 154, 255);
const QColor kOutcomeUnknown(255, 226, 150);

} // namespace

std::optional<QColor> StatusColor(quint8 status) {
    switch (status) {
    case 1:
        return kQueued;
    case 2:
    case 5:
        return kFailed;
    case 3:
        return kNoMessagesLeft;
    case 11:
        return kDelivered;
    case 12:
        return kExpired;
    case TMess::kStatusOutcomeUnknown:
        return kOutcomeUnknown;
    default:
        return std::nullopt;
    }
}

QList<LegendEntry> legend() {
    QList<LegendEntry> entries;
    for (const quint8 status : HistoryStatus::legendStatuses())
        entries.append({HistoryStatus::legendText(status), StatusColor(status)});
    return entries;
}

} // namespace HistoryColors
