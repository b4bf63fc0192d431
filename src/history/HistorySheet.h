#pragma once

#include <QStringList>

// The history as the spreadsheet exports of the window show it.
namespace HistorySheet {

// "№", "Отправлено", "Номер", "Контакт", "Отправитель", "Текст", "Подпись", "Статус": the
// columns of the scripts' CSV with the status as its legend text alone.
QStringList titles();

} // namespace HistorySheet
