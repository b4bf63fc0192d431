#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the service keeps about the account, as the server page shows it: the reply of
// LoadSettingsFromServer is Base64 of lines separated by 0x01.
struct AccountData {
    QString uniqueNumber;   // line 0
    QString greeting;       // line 1
    QString email;          // line 2, lower case
    QString registered;     // line 4
    QString icq1;           // line 6
    QString icq2;           // line 7
    QString balance;        // line 9
    QString smsPrice;       // line 10
    double voucherFee = 0;  // line 11; 0 when missing or not a number
    double detailPrice = 0; // line 12; likewise

    // The text behind the Base64 of a reply, split into lines as a Windows string list
    // would split it after each 0x01 became CR LF.
    static QStringList decodeLines(const QString& reply);

    // Nothing for fewer than 11 lines.
    static std::optional<AccountData> fromLines(const QStringList& lines);
};

// The voucher fee and the price of one day of message detail: program-wide, 0 until the
// server page has loaded the account data, kept for the rest of the run.
namespace AccountPrices {

double voucherFee();
double detailPrice();
void set(double voucherFee, double detailPrice);

} // namespace AccountPrices
