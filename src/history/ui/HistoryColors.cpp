#include "HistoryColors.h"

namespace HistoryColors {

namespace {

const QColor kQueued(195, 195, 195);
const QColor kFailed(255, 204, 204);
const QColor kNoMessagesLeft(156, 156, 255);
const QColor kDelivered(170, 255, 170);
const QColor kExpired(225, 154, 255);

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
    default:
        return std::nullopt;
    }
}

QList<LegendEntry> legend() {
    return {
        {QStringLiteral("Отправлено"), std::nullopt},
        {QStringLiteral("Доставлено"), kDelivered},
        {QStringLiteral("Ошибка при отправке"), kFailed},
        {QStringLiteral("Не отправлено (кончились СМС)"), kNoMessagesLeft},
        {QStringLiteral("Истекло время ожидания"), kExpired},
        {QStringLiteral("В очереди"), kQueued},
    };
}

} // namespace HistoryColors
