#pragma once

#include "messaging/SendFlow.h"
#include "messaging/SendJournal.h"

#include <QList>
#include <QString>

class HistoryFile;

// The sends whose outcome the journal keeps open, and the three ways the user settles one.
// Shared by the window's dialog and varnelo-cli outbox. Store failures throw RegistryError.
namespace UnknownOutcomes {

struct Recovered {
    QList<SendJournal::Row> unknown; // oldest first
    QString historyError;            // records the history would not take; tried again later
};

// Takes over the rows no live process sends any more. Ids a reply gave reach the history
// once (those it holds by now are not written again), and what stays open is returned.
Recovered recover(SendJournal& journal, const HistoryFile& history, qint32 historyLimit);

// "Считать отправленным": the ids the reply gave, and a record of unknown delivery for every
// other open number; then the row goes. An error text, empty on success.
QString countAsSent(SendJournal& journal, const HistoryFile& history, qint32 historyLimit,
                    qint64 rowId);

// "Отправить снова": the send that gives the open numbers the message again, replacing the
// row once its own is written. Nothing for a row that is being sent, is settled, or still
// holds ids of a reply that the history has not taken (they would go with the row).
std::optional<SendRequest> againRequest(const SendJournal& journal, const QString& userKey,
                                        qint64 rowId);

// The texts a row shows: its moment in local time, its numbers, its text.
QString momentText(const SendJournal::Row& row);

} // namespace UnknownOutcomes
