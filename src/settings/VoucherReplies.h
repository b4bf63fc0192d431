#pragma once

#include <QString>

// How the server page reads what the user typed for a voucher and what the service answered.
namespace VoucherReplies {

constexpr qsizetype kSerialLength = 32;

// The amount of a purchase: digits 0-9 only (leading zeros are sent as typed).
enum class AmountCheck { Empty, NotDigits, Valid };
AmountCheck checkAmount(const QString& amount);

enum class Purchase { Issued, NotRegistered, BalanceShort, NoConnection, Unknown };
Purchase readPurchase(const QString& reply);

enum class Activation { Credited, NotFound, NotActivated, UserNotFound, NoConnection, Unknown };
Activation readActivation(const QString& reply);

} // namespace VoucherReplies
