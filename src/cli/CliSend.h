#pragma once

#include "history/HistoryFile.h"
#include "messaging/SendFlow.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class SendJournal;

// What a send to given numbers and a send to a group of the book share: the message as the
// command line gives it, the history made ready first, and what is told of the traces a send
// leaves in the journal and the history.
namespace CliSend {

// The message, signature and sender as the send window would take them when typed.
struct Message {
    QString text;
    QString sign;
    QString sender;
    bool translit = false;
    int delayMinutes = 0;
};

// Brings the history to the current layout; the damage met is told here. An exit code when
// the history cannot be used.
std::optional<int> prepareHistory(const HistoryFile& history, HistoryFile::Damage& damage);

// Tells, on stderr, what the send left open (a kept journal row, damage not told at start, a
// balance to top up) and clears the damage told; `numbers` names the send when its row is
// gone. kFailed when anything stayed open or was not written, else kOk.
int reportTraces(SendResult& result, const SendJournal& journal,
                 const HistoryFile::Damage& toldAtStart, const QString& numbers);

// Each request waits in the journal as a row of its own until `due` (UTC): all of them are
// written or none. Prints each row's id on a line.
void schedule(SendJournal& journal, const QList<SendRequest>& requests, const QDateTime& due);

} // namespace CliSend
