#include "ServiceNumber.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace ServiceNumber {

namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Sign, digits with at most one point, and an optional exponent: what the C locale reads
// without group separators or named values.
bool isDecimalShape(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    bool point = false;
    for (; i < n; ++i) {
        if (isDigit(text[i]))
            ++digits;
        else if (text[i] == QLatin1Char('.') && !point)
            point = true;
        else
            break;
    }
    if (digits == 0)
        return false;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ++i;
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            ++i;
        const qsizetype exponentStart = i;
        while (i < n && isDigit(text[i]))
            ++i;
        if (i == exponentStart)
            return false;
    }
    return i == n;
}

} // namespace

std::optional<double> readDecimal(const QString& text) {
    QString normalized = text.trimmed();
    normalized.replace(QLatin1Char(','), QLatin1Char('.'));
    if (!isDecimalShape(normalized))
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(normalized, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint32> readInteger(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == n)
        return std::nullopt;
    qint64 value = 0;
    for (; i < n; ++i) {
        if (!isDigit(text[i]))
            return std::nullopt;
        value = value * 10 + (text[i].unicode() - '0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(value);
}

} // namespace ServiceNumber
