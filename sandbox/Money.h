#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Amounts of money in kopecks, written on the wire with a point and two decimals.
namespace Money {

// "100", "1.5", "1,50" (either decimal mark, at most two decimals); no sign. False when the
// text is not such an amount or too large to hold.
bool parse(const QString& text, qint64* kopecks);

// "98.50"
QByteArray format(qint64 kopecks);

// "50" for whole roubles, "50.25" otherwise: how an amount credited by a voucher is told.
QByteArray formatShort(qint64 kopecks);

} // namespace Money
