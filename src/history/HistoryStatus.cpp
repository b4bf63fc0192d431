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

QList<quint8> legendStatuses() {
    return {TMess::kStatusSent, 11, 2, 3, 12, 1, TMess::kStatusOutcomeUnknown};
}

} // namespace HistoryStatus
