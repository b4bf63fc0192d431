#pragma once

#include <QDateTime>
#include <QString>

// "Vouchers.txt": one line per bought voucher, code page 1251, each ended by CR LF:
// "DD.MM.YY HH:NN", TAB, the serial number, TAB, the amount as typed, " руб.".
namespace VoucherFile {

QString fileName(); // "Vouchers.txt"

// The line for one purchase, without its line break.
QString line(const QDateTime& when, const QString& serial, const QString& amount);

// Adds the line at the end of `folder`/Vouchers.txt, creating the file when missing; the file
// is replaced whole and atomically, so a failure leaves the old content. An append in another
// thread or process waits for this one. Empty on success, else a readable reason.
QString append(const QString& folder, const QDateTime& when, const QString& serial,
               const QString& amount);

} // namespace VoucherFile
