#pragma once

#include "platform/ToolkitRussian.h"

#include <QLocale>
#include <QString>

#include <optional>

// What a send to several numbers will cost, and when the user is asked before it goes.
struct SendCost {
    int messages = 0; // requests' recipients: one message each
    qint64 parts = 0;
    double total = 0;
};

namespace SendConfirmation {

// Above the threshold (in kopecks) a send asks first; a threshold of 0 asks before every send
// to several numbers.
bool needed(const SendCost& cost, qint32 thresholdKopecks);
// "Отправить 50 сообщений (50 частей) на сумму 75.00? Баланс после отправки: 25.00." — the
// balance sentence only when the balance is known.
QString question(const SendCost& cost, std::optional<double> balance,
                 const QLocale& locale = ToolkitRussian::desktopLocale());
// How much the total exceeds a known balance; nothing when it does not.
std::optional<double> shortfall(const SendCost& cost, std::optional<double> balance);
// What the user is told instead of sending when the money is short.
QString shortfallText(const SendCost& cost, double balance,
                      const QLocale& locale = ToolkitRussian::desktopLocale());

// "сообщение", "сообщения", "сообщений" as Russian counts take them.
QString countedNoun(qint64 count, const QString& one, const QString& few, const QString& many);

} // namespace SendConfirmation
