#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// What the stored delivery statuses mean to the user: the texts and colours of the history
// window's legend, which exports show too.
namespace HistoryStatus {

// The legend text of a status: "В очереди" (1), "Ошибка при отправке" (2 and 5),
// "Не отправлено (кончились СМС)" (3), "Отправлено" (10), "Доставлено" (11),
// "Истекло время ожидания" (12); empty for every other status.
QString legendText(quint8 status);

// One status of each legend text, in the order the legend shows them.
QList<quint8> legendStatuses();

// The colour of a status as 0xRRGGBB; nothing for those that keep the list's own colour (10,
// 19, 20 and every status without a meaning).
std::optional<quint32> color(quint8 status);

} // namespace HistoryStatus
