#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>

// One sent message as History.dat keeps it.
struct TMess {
    // What the send flow writes; the status queries later put the service's codes in.
    static constexpr quint8 kStatusSent = 10;
    // A message the user counted as sent though its reply never came: no id to ask about.
    static constexpr quint8 kStatusOutcomeUnknown = 40;

    qint32 Id = 0;
    quint32 Reserved = 0; // bytes 4-7 of the record, carried through rewrites untouched
    double Date = 0;      // whole days since 30 December 1899
    double Time = 0;      // fraction of a day
    quint8 Status = kStatusSent;
    QString Number; // at most 14 characters are stored
    QString Sender;
    QString Text;
    QString Sign;

    // The status query still asks for it: statuses 1, 10, 19 and 20.
    bool isPending() const;

    // Date plus Time as local time; invalid when the stored numbers are no real moment.
    QDateTime moment() const;
    // The calendar date and clock time that Date plus Time stand for, without the time zone
    // lookup a local QDateTime costs; nothing when they are no real moment.
    std::optional<std::pair<QDate, QTime>> wallClock() const;
    void setMoment(const QDateTime& moment);

    friend bool operator==(const TMess&, const TMess&) = default;
};

// Moved by memcpy when a list of records grows: reading a long history is mostly that.
Q_DECLARE_TYPEINFO(TMess, Q_RELOCATABLE_TYPE);
