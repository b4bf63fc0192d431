#pragma once

#include "history/TMess.h"
#include "messaging/SendOutcome.h"

#include <QDateTime>
#include <QList>
#include <QString>

// The parts of one send that need no window: what goes out, the exchange, and the history
// records of what the service accepted. The send window and the command-line tool share them.

// The texts of a send as they go out: the message and the signature (both transliterated
// when asked) and the two joined by one blank, the signature left out when empty.
struct SendText {
    QString message;
    QString sign;
    QString full;

    static SendText compose(const QString& message, const QString& sign, bool translit);
};

struct SendRequest {
    QString userKey;
    QString number; // a group's numbers joined by "|"
    QString sender;
    SendText text;
    int delayMinutes = 0;
};

// The reply of SendSms. Without an account key no request is made and the reply is empty;
// any failure of the exchange gives the no-connection code, as an empty reply would. A
// failing settings store throws its RegistryError.
QString RequestSend(const SendRequest& request);

// One record per accepted message, in reply order, all with the same moment.
QList<TMess> AcceptedRecords(const SendOutcome& outcome, const QString& sender,
                             const SendText& text, const QDateTime& moment);
