#include "AccountData.h"

#include "platform/Ansi.h"
#include "service/PublishedValue.h"
#include "service/ServiceNumber.h"

namespace {

constexpr qsizetype kLeastLineCount = 11;

PublishedValue<double> g_voucherFee;
PublishedValue<double> g_detailPrice;

} // namespace

QStringList AccountData::decodeLines(const QString& reply) {
    const QString text = Ansi::toUnicode(QByteArray::fromBase64(Ansi::fromUnicode(reply)));
    // CR LF, a lone CR and a lone LF each end a line; a break at the very end adds none.
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QChar(0x01) || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            lines << line;
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

std::optional<AccountData> AccountData::fromLines(const QStringList& lines) {
    if (lines.size() < kLeastLineCount)
        return std::nullopt;
    AccountData data;
    data.uniqueNumber = lines[0];
    data.greeting = lines[1];
    data.email = Ansi::toLower(lines[2]);
    data.registered = lines[4];
    data.icq1 = lines[6];
    data.icq2 = lines[7];
    data.balance = lines[9];
    data.smsPrice = lines[10];
    data.voucherFee = ServiceNumber::readDecimal(lines.value(11)).value_or(0);
    data.detailPrice = ServiceNumber::readDecimal(lines.value(12)).value_or(0);
    return data;
}

namespace AccountPrices {

double voucherFee() {
    return g_voucherFee.get();
}

double detailPrice() {
    return g_detailPrice.get();
}

void set(double voucherFee, double detailPrice) {
    g_voucherFee.set(voucherFee);
    g_detailPrice.set(detailPrice);
}

} // namespace AccountPrices
