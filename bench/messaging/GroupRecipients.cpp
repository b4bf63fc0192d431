#include "GroupRecipients.h"

#include <QStringList>

QList<PlanRecipient> groupRecipients(int count) {
    const QStringList given = {QStringLiteral("Ян"),         QStringLiteral("Ольга"),
                               QStringLiteral("Александра"), QStringLiteral("Ёж"),
                               QStringLiteral("Константин"), QStringLiteral("Щедрослав")};
    const QStringList middle = {
        {}, QStringLiteral("Петровна"), QStringLiteral("Всеволодович"), QStringLiteral("Ильич")};
    const QStringList family = {{},
                                QStringLiteral("Ли"),
                                QStringLiteral("Воробьёва"),
                                QStringLiteral("Преображенская-Воскресенская"),
                                QStringLiteral("Шишкин")};
    const QStringList signs = {{},
                               QStringLiteral("Иван"),
                               QStringLiteral("С уважением, Ирина"),
                               QStringLiteral("ООО «Съезд и партнёры», отдел продаж")};
    QList<PlanRecipient> list;
    list.reserve(count);
    for (int i = 0; i < count; ++i) {
        PlanRecipient one;
        one.number = QStringLiteral("+7916%1").arg(i, 7, 10, QLatin1Char('0'));
        if (i % 10 != 9) {
            QStringList words{given[i % given.size()], middle[i / 7 % middle.size()],
                              family[i / 3 % family.size()]};
            words.removeAll(QString());
            one.name = words.join(QLatin1Char(' '));
            one.sign = signs[i / 5 % signs.size()];
        }
        list.append(one);
    }
    return list;
}

QString groupMessage() {
    return QStringLiteral(
        "Здравствуйте, {Имя}! Ваша запись к врачу подтверждена на 14 марта, 10:30. Если "
        "планы изменились, позвоните нам. Сообщение отправлено на номер {Номер}");
}

QString groupPageSign() {
    return QStringLiteral("Клиника «Здоровье»");
}
