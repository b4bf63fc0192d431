#pragma once

#include "history/TMess.h"
#include "messaging/SendJournal.h"
#include "messaging/SendOutcome.h"

#include <QDateTime>
#include <QList>
#include <QString>

class HistoryFile;
class ServiceClient;

// The parts of one send that need no window: what goes out, the exchange with its trace in
// the send journal, and the history records of what the service accepted. The send window
// and the command-line tool share them.

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
    // A journal row of unknown outcome that this send repeats: it goes once the new row is
    // written, so the message is never without a trace.
    qint64 replacesRow = 0;
    // A scheduled row this process has claimed: the send's row already, none is begun.
    qint64 claimedRow = 0;
};

// Where a send leaves its traces.
struct SendTraces {
    const ServiceClient& client;
    SendJournal& journal;
    const HistoryFile& history;
    qint32 historyLimit = 0;
};

struct SendResult {
    SendOutcome outcome;
    // The records of accepted messages could not be written; the journal keeps them.
    QString historyError;
    // What the user must be told of a damaged history met on the way (its copy is kept).
    QString historyDamage;
    // The journal could not be brought up to date after the reply.
    QString journalError;
    // The row left as an unknown outcome, 0 when none.
    qint64 unknownRow = 0;
    // A paid command went through: the balance is worth fetching again a minute later.
    bool restartBalanceTimer = false;

    // The status line with what went wrong with the traces after it.
    QString statusText() const;
};

// A send whose reply is in and whose ids are in the journal, its history records not yet
// written: sends in a row write their records with one history rewrite.
struct HeldSend {
    SendResult result;
    qint64 row = 0; // the journal row still to settle, 0 when settled already
    QList<TMess> records;
};

// The journal row first (nothing goes out when it cannot be written), then the exchange and
// the reply's ids in the row. What the reply leaves to do is held for SettleHeld.
HeldSend SendAndHold(const SendTraces& traces, const SendRequest& request);
// The history records of every held send in one rewrite, then each row removed, or left as an
// unknown outcome for what its reply leaves open (all in one journal transaction).
void SettleHeld(const SendTraces& traces, QList<HeldSend>& held);

// One send: the journal row first (nothing goes out when it cannot be written), then the
// exchange, the history records of what the service accepted, and the row removed, or left
// as an unknown outcome for what the reply leaves open. Without an account key nothing is
// sent. Never throws.
SendResult JournaledSend(const SendTraces& traces, const SendRequest& request);

// One record per accepted message, in reply order, all with the same moment.
QList<TMess> AcceptedRecords(const QList<SendOutcome::Accepted>& accepted, const QString& sender,
                             const SendText& text, const QDateTime& moment);
