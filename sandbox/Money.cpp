#include "Money.h"

namespace {

constexpr qint64 kMaxRoubles = 1'000'000'000'000LL;

} // namespace

namespace Money {

bool parse(const QString& text, qint64* kopecks) {
    const QString trimmed = text.trimmed();
    qsizetype mark = trimmed.indexOf(QLatin1Char('.'));
    if (mark < 0)
        mark = trimmed.indexOf(QLatin1Char(','));
    const QString whole = mark < 0 ? trimmed : trimmed.left(mark);
    const QString fraction = mark < 0 ? QString() : trimmed.mid(mark + 1);
    if (whole.isEmpty() || fraction.size() > 2 || (mark >= 0 && fraction.isEmpty()))
        return false;
    for (const QString& digits : {whole, fraction})
        for (QChar c : digits)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
    bool ok = false;
    const qint64 roubles = whole.toLongLong(&ok);
    if (!ok || roubles > kMaxRoubles)
        return false;
    const qint64 cents =
        fraction.isEmpty() ? 0 : fraction.leftJustified(2, QLatin1Char('0')).toLongLong();
    *kopecks = roubles * 100 + cents;
    return true;
}

QByteArray format(qint64 kopecks) {
    const char* sign = kopecks < 0 ? "-" : "";
    const qint64 magnitude = kopecks < 0 ? -kopecks : kopecks;
    return QByteArray(sign) + QByteArray::number(magnitude / 100) + '.' +
           QByteArray::number(magnitude % 100).rightJustified(2, '0');
}

QByteArray formatShort(qint64 kopecks) {
    return kopecks % 100 == 0 ? QByteArray::number(kopecks / 100) : format(kopecks);
}

} // namespace Money
