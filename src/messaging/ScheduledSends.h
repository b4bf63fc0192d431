#pragma once

#include "messaging/SendFlow.h"
#include "messaging/SendJournal.h"

#include <QDateTime>
#include <QList>
#include <QString>

// Messages that wait in the send journal until their moment, and the moments users give.
namespace ScheduledSends {

// A moment as the user means it: a local date and time at least a minute and at most a year
// ahead. `utc` is valid when it is acceptable, else `error` says why.
struct Moment {
    QDateTime utc;
    QString error;
};
Moment check(const QDateTime& local, const QDateTime& nowUtc);
// "YYYY-MM-DD HH:MM" or "YYYY-MM-DD HH:MM:SS", local time.
Moment parse(const QString& text, const QDateTime& nowUtc);
// The moment in words, local time: "сегодня в 18:30", "завтра в 09:00", "15.01.2027 в 09:00".
QString inWords(const QDateTime& utc, const QDateTime& nowUtc);

// What a scheduled row sends once claimed.
SendRequest requestFor(const SendJournal::Row& row, const QString& userKey);

struct Sent {
    SendJournal::Row row;
    SendResult result;
};
// Every row due by `nowUtc` that this process claims, soonest first, each through the
// ordinary journaled send; rows another process claims first are left to it.
QList<Sent> sendDue(const SendTraces& traces, const QString& userKey, const QDateTime& nowUtc);

} // namespace ScheduledSends
