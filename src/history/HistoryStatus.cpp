#include "HistoryStatus.h"

#include "TMess.h"

namespace HistoryStatus {

QString legendText(quint8 status) {
    switch (status) {
    case 1:
        return QStringLiteral("В очереди");
    case 2:
    case 5:
        return QStringLiteral("Ошибка при отправке");
    case 3:
        return QStringLiteral("Не отправлено (кончились СМС)");
    case TMess::kStatusSent:
        return QStringLiteral("Отправлено");
    case 11:
        return QStringLiteral("Доставлено");
    case 12:
        return QStringLiteral("Истекло время ожидания");
    case TMess::kStatusOutcomeUnknown:
        return QStringLiteral("Результат отправки неизвестен");
    default:
        return {};
    }
}

std::optional<quint32> color(quint8 status) {
    switch (status) {
    case 1:
        return 0xC3C3C3;
    case 2:
    case 5:
        return 0xFFCCCC;
    case 3:
        return 0x9C9CFF;
    case 11:
        return 0xAAFFAA;
    case 12:
        return 0xE19AFF;
    case TMess::kStatusOutcomeUnknown:
        return 0xFFE296;
    default:
        return std::nullopt;
    }
}

QList<quint8> legendStatuses() {
    return {TMess::kStatusSent, 11, 2, 3, 12, 1, TMess::kStatusOutcomeUnknown};
}

} // namespace HistoryStatus
