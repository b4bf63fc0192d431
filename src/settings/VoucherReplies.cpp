#include "VoucherReplies.h"

#include "service/ServiceNumber.h"

namespace VoucherReplies {

AmountCheck checkAmount(const QString& amount) {
    for (QChar c : amount) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return AmountCheck::NotDigits;
    }
    return amount.isEmpty() ? AmountCheck::Empty : AmountCheck::Valid;
}

Purchase readPurchase(const QString& reply) {
    if (reply.size() == kSerialLength)
        return Purchase::Issued;
    if (reply == QLatin1String("0"))
        return Purchase::NotRegistered;
    if (reply == QLatin1String("-1"))
        return Purchase::BalanceShort;
    if (reply.isEmpty())
        return Purchase::NoConnection;
    return Purchase::Unknown;
}

Activation readActivation(const QString& reply) {
    if (ServiceNumber::readDecimal(reply).value_or(0) > 0)
        return Activation::Credited;
    if (reply == QLatin1String("-1"))
        return Activation::NotFound;
    if (reply == QLatin1String("-2"))
        return Activation::NotActivated;
    if (reply == QLatin1String("-3"))
        return Activation::UserNotFound;
    if (reply.isEmpty())
        return Activation::NoConnection;
    return Activation::Unknown;
}

} // namespace VoucherReplies
