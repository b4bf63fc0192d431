#include "SendConfirmation.h"

#include <cmath>

namespace SendConfirmation {

namespace {

qint64 kopecks(double money) {
    return std::llround(money * 100);
}

} // namespace

QString countedNoun(qint64 count, const QString& one, const QString& few, const QString& many) {
    const qint64 lastTwo = count % 100;
    const qint64 last = count % 10;
    if (lastTwo >= 11 && lastTwo <= 14)
        return many;
    if (last == 1)
        return one;
    if (last >= 2 && last <= 4)
        return few;
    return many;
}

bool needed(const SendCost& cost, qint32 thresholdKopecks) {
    if (thresholdKopecks <= 0)
        return cost.messages > 1;
    return kopecks(cost.total) > thresholdKopecks;
}

QString question(const SendCost& cost, std::optional<double> balance, const QLocale& locale) {
    QString text =
        QStringLiteral("Отправить %1 %2 (%3 %4) на сумму %5?")
            .arg(cost.messages)
            .arg(countedNoun(cost.messages, QStringLiteral("сообщение"),
                             QStringLiteral("сообщения"), QStringLiteral("сообщений")))
            .arg(cost.parts)
            .arg(countedNoun(cost.parts, QStringLiteral("часть"), QStringLiteral("части"),
                             QStringLiteral("частей")))
            .arg(locale.toCurrencyString(cost.total));
    if (balance)
        text += QStringLiteral(" Баланс после отправки: %1.")
                    .arg(locale.toCurrencyString((kopecks(*balance) - kopecks(cost.total)) / 100.0));
    return text;
}

std::optional<double> shortfall(const SendCost& cost, std::optional<double> balance) {
    if (!balance || kopecks(cost.total) <= kopecks(*balance))
        return std::nullopt;
    return (kopecks(cost.total) - kopecks(*balance)) / 100.0;
}

QString shortfallText(const SendCost& cost, double balance, const QLocale& locale) {
    const double missing = shortfall(cost, balance).value_or(0);
    return QStringLiteral("Сумма отправки %1 больше баланса %2 на %3. Пополните баланс, чтобы "
                          "отправить эти сообщения.")
        .arg(locale.toCurrencyString(cost.total), locale.toCurrencyString(balance),
             locale.toCurrencyString(missing));
}

} // namespace SendConfirmation
