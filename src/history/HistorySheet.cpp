#include "HistorySheet.h"

namespace HistorySheet {

QStringList titles() {
    return {QStringLiteral("№"),       QStringLiteral("Отправлено"),  QStringLiteral("Номер"),
            QStringLiteral("Контакт"), QStringLiteral("Отправитель"), QStringLiteral("Текст"),
            QStringLiteral("Подпись"), QStringLiteral("Статус")};
}

} // namespace HistorySheet
