#pragma once

#include "shared/TContactEntry.h"

#include <QList>
#include <QString>

// One operation per server command. Each builds its request text, runs it through
// ServerRequest, and hands its caller the reply in the form the caller reads. Failures of the
// exchange throw ServiceError unless the command says otherwise. Effects on the main window
// go through MainWindowLink::current().

// Stores the contact payload (see ContactsPayload) for the account in ServiceState::UserKey.
// A failed exchange is a false result, never an error.
bool SaveContactsOnServer(const QString& payload);

// Fills `contacts` with the account's stored book. False when the exchange fails, the
// service refuses, or the payload is malformed (rows read before the fault stay). A payload
// that does not start with a group leaves `contacts` as it was and gives true.
bool LoadContactsFromServer(TContacts& contacts);

// The account data: "1" means stored.
QString SaveSettingsOnServer(const QString& userKey, const QString& data);
// Base64 of the account data lines (see AccountData); empty is a failure.
QString LoadSettingsFromServer(const QString& userKey);

// The new voucher's 32-character serial, or a code ("0", "-1"); `amount` is digits only.
QString BuyVoucher(const QString& userKey, const QString& amount);
// The amount credited, or a code ("-1", "-2", "-3").
QString ActivateVoucher(const QString& userKey, const QString& serial);

// One status code per line (CR LF), in the order of the ids (see StatusReply).
QString QueryMessagesStatus(const QList<qint32>& ids);
// The status code of one message; gives up after 5 s of silence.
QString QueryMessageStatus(qint32 id);

// A text for the user, line breaks as CR LF; empty when the service knows no such user.
QString RestoreAccount(const QString& email);

// Asks for the account's balance and tariff and publishes them in ServiceState (each value
// as soon as it is read), shows the server-contact menu items and a notice from the service.
// `reply` receives the text to judge: line 0 of a reply of three lines or more, otherwise
// the whole reply; left as passed in when the exchange fails. Never throws.
void GetUserInfo(const QString& userKey, QString& reply);

// The reply unchanged: a 48-character key, or "ERROR", "-1", empty or anything else.
QString RegisterUser(const QString& name, const QString& number, const QString& city,
                     const QString& birthDate, const QString& email, const QString& referrer);
