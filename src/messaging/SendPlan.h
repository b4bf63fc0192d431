#pragma once

#include "messaging/MessageFields.h"
#include "messaging/Recount.h"
#include "messaging/SendFlow.h"
#include "shared/Tariff.h"

#include <QList>
#include <QLocale>
#include <QString>

#include <array>

// One number a send goes to, with what its contact gives the message's fields.
struct PlanRecipient {
    QString number;
    QString name; // the contact's name; empty for a number the book does not hold
    QString sign; // the contact's signature
};

// What one recipient gets, as the preview lists it.
struct PlanLine {
    PlanRecipient recipient;
    QString text; // the message with its fields filled, before transliteration
    qint32 length = 0;
    qint32 parts = 0;
    double price = 0;
    bool emptied = false; // a field was empty for this contact and was left out
    bool tooLong = false; // longer than the longest message the service takes
};

// The counts of a send to several numbers: each recipient's length, parts and price, their
// sums, and the counter of the longest text. A message with fields is counted per recipient;
// the recipients' field lengths are measured once when they are set, so a keystroke costs a
// few additions per recipient.
class SendPlan {
public:
    void setRecipients(const QList<PlanRecipient>& recipients);
    void setText(const QString& message, const QString& sign, bool translit, const Tariff& tariff,
                 const QLocale& locale = ToolkitRussian::desktopLocale());

    const QList<PlanRecipient>& recipients() const { return m_recipients; }
    int recipientCount() const { return int(m_recipients.size()); }
    // The message holds a field: one request per recipient, each with its own text.
    bool personal() const { return m_personal; }
    qint64 parts() const { return m_parts; }
    double total() const { return m_total; }
    // The counter of the longest text (of the message itself without recipients); its
    // typing limits leave room for that text.
    const RecountResult& count() const { return m_count; }
    // Recipients whose text is longer than the service takes, in recipient order.
    const QList<int>& tooLong() const { return m_tooLong; }
    int emptiedCount() const { return m_emptied; }
    QStringList unknownFields() const { return MessageFields::unknownFields(m_message); }

    PlanLine line(int index) const;
    QList<PlanLine> lines() const;
    // What goes out to that recipient.
    SendText textFor(int index) const;

private:
    QList<PlanRecipient> m_recipients;
    // Per recipient, the length of each field's value as sent: plain, and transliterated.
    QList<std::array<qint32, MessageFields::kFieldCount>> m_plainLengths;
    QList<std::array<qint32, MessageFields::kFieldCount>> m_translitLengths;

    QString m_message;
    QString m_sign;
    bool m_translit = false;
    Tariff m_tariff;
    QList<MessageFields::Piece> m_pieces;
    bool m_personal = false;
    qint64 m_parts = 0;
    double m_total = 0;
    RecountResult m_count;
    QList<int> m_tooLong;
    int m_emptied = 0;
};
