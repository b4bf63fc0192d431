#pragma once

#include "platform/ToolkitRussian.h"
#include "shared/Tariff.h"

#include <QLocale>
#include <QString>

// What the compose page shows and allows for one message and signature.
struct RecountResult {
    qint32 maxLength = 0;     // the maximum composed length in force
    qint32 signLimit = 0;     // typing limit of the signature field
    bool signEnabled = false; // false: the field is emptied and disabled (no room left)
    qint32 messageLimit = 0;  // typing limit of the message field
    qint32 length = 0;        // the composed message: message, a blank and the signature
    qint32 parts = 0;
    double price = 0;
    QString counterText;  // e.g. "12 / 70 (1,50 ₽)"
    bool canSend = false; // the message holds more than line breaks
};

// Counts the message as it will be sent: transliterated when `translit` is set, followed by
// a blank and the signature when there is one. Lengths are code-page-1251 characters, so a
// line break counts as two. The price is written in the money format of the desktop's locale.
RecountResult Recount(const QString& message, const QString& sign, bool translit,
                      const Tariff& tariff,
                      const QLocale& locale = ToolkitRussian::desktopLocale());

// Parts and price of a composed text of that length under the tariff.
qint32 PartsOf(qint64 length, const Tariff& tariff);
double PriceOf(qint32 parts, const Tariff& tariff);
