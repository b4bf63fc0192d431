#include "VoucherCommands.h"

#include "Money.h"
#include "Protocol.h"

namespace VoucherCommands {

namespace {

constexpr char kNotRegistered[] = "0";
constexpr char kBalanceShort[] = "-1";
constexpr char kVoucherNotFound[] = "-1";
constexpr char kNotActivated[] = "-2";
constexpr char kUserNotFound[] = "-3";
constexpr qsizetype kMaxAmountDigits = 9;

Outcome buy(SandboxContext& context, const QByteArray& key, const QByteArray& amountText) {
    const QString command = QStringLiteral("BuyVoucher");
    std::optional<Account> account = context.store.accountByKey(key);
    QByteArray digits = amountText;
    while (digits.startsWith('0'))
        digits.remove(0, 1);
    bool ok = !digits.isEmpty() && digits.size() <= kMaxAmountDigits;
    for (char c : digits)
        ok = ok && c >= '0' && c <= '9';
    if (!account || !account->activated || !ok)
        return {command, kNotRegistered};
    const qint64 amount = digits.toLongLong() * 100;
    const qint64 cost = amount + context.settings.voucherFee;
    if (account->balance < cost)
        return {command, kBalanceShort};

    Voucher voucher;
    voucher.amount = amount;
    voucher.buyerId = account->id;
    voucher.createdMs = context.now();
    Store::Transaction transaction(context.store);
    do
        voucher.serial = Protocol::randomHex(Protocol::kSerialLength);
    while (!context.store.insertVoucher(voucher));
    account->balance -= cost;
    context.store.updateAccount(*account);
    transaction.commit();
    return {command, voucher.serial};
}

Outcome redeem(SandboxContext& context, const QByteArray& key, const QByteArray& serial) {
    const QString command = QStringLiteral("ActivateVoucher");
    std::optional<Account> account = context.store.accountByKey(key);
    if (!account)
        return {command, kUserNotFound};
    if (!account->activated)
        return {command, kNotActivated};
    const std::optional<Voucher> voucher = context.store.voucher(serial.trimmed().toUpper());
    if (!voucher || voucher->redeemedBy != 0)
        return {command, kVoucherNotFound};
    Store::Transaction transaction(context.store);
    context.store.markRedeemed(voucher->serial, account->id);
    account->balance += voucher->amount;
    context.store.updateAccount(*account);
    transaction.commit();
    return {command, Money::formatShort(voucher->amount)};
}

} // namespace

Outcome voucher(SandboxContext& context, const QByteArray& request) {
    // key 0x01 sub-command 0x01 argument
    const QList<QByteArray> fields = Protocol::fields(request);
    const QByteArray key = Protocol::normalizedKey(fields[0]);
    const QByteArray subCommand = fields.value(1);
    const QByteArray argument = fields.value(2);
    if (subCommand == QByteArray(1, Protocol::kRead))
        return buy(context, key, argument);
    if (subCommand == QByteArray(1, Protocol::kStore))
        return redeem(context, key, argument);
    return {QStringLiteral("Voucher?"), kNotRegistered};
}

} // namespace VoucherCommands
