#include "SenderRule.h"

#include "platform/Ansi.h"

namespace SenderRule {

namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

bool discards(QChar typed) {
    return quint8(Ansi::toByte(typed)) > 191;
}

int limitAfter(const QString& current, QChar typed) {
    if (typed.isNull() || discards(typed) || !isDigit(typed))
        return kNameLimit;
    for (const QChar c : current) {
        if (!isDigit(c))
            return kNameLimit;
    }
    return kNumberLimit;
}

} // namespace SenderRule
