#include "Recount.h"

#include "Transliterate.h"

namespace {

// The maximum while the length limit is off.
constexpr qint32 kUncheckedMaximum = 5000;

// True when something is left once every CR LF pair is taken out.
bool hasContent(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
        else
            return true;
    }
    return false;
}

} // namespace

qint32 PartsOf(qint64 length, const Tariff& tariff) {
    if (tariff.PartLength > 0)
        return qint32((length + tariff.PartLength - 1) / tariff.PartLength);
    return length > 0 ? 1 : 0; // no part size known: the whole text as one part
}

double PriceOf(qint32 parts, const Tariff& tariff) {
    return parts >= 2 ? tariff.SmsPrice + (parts - 1) * tariff.ExtraPartPrice : tariff.SmsPrice;
}

RecountResult Recount(const QString& message, const QString& sign, bool translit,
                      const Tariff& tariff, const QLocale& locale) {
    const QString sentSign = translit ? Transliterate(sign) : sign;
    const QString sentMessage = translit ? Transliterate(message) : message;
    const qint64 suffix = sentSign.isEmpty() ? 0 : sentSign.size() + 1;

    RecountResult result;
    result.canSend = hasContent(sentMessage);
    result.maxLength = tariff.CheckTextLength ? tariff.MaxMessageLength : kUncheckedMaximum;
    const qint64 max = result.maxLength;
    result.signLimit = qint32(max - sentMessage.size() - suffix + sign.size());
    result.signEnabled = result.signLimit > 0;
    result.messageLimit = qint32(max - suffix - sentMessage.size() + message.size());

    const qint64 length = sentMessage.size() + suffix;
    result.length = qint32(length);
    result.parts = PartsOf(length, tariff);
    result.price = PriceOf(result.parts, tariff);
    result.counterText = QStringLiteral("%1 / %2 (%3)")
                             .arg(result.length)
                             .arg(result.maxLength)
                             .arg(locale.toCurrencyString(result.price));
    return result;
}
