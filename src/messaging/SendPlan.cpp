#include "SendPlan.h"

#include "messaging/Transliterate.h"

namespace {

MessageFields::Values valuesOf(const PlanRecipient& recipient) {
    return {recipient.name, recipient.number, recipient.sign};
}

} // namespace

void SendPlan::setRecipients(const QList<PlanRecipient>& recipients) {
    m_recipients = recipients;
    m_plainLengths.resize(recipients.size());
    m_translitLengths.resize(recipients.size());
    for (qsizetype i = 0; i < recipients.size(); ++i) {
        const MessageFields::Values values = valuesOf(recipients[i]);
        for (int field = 0; field < MessageFields::kFieldCount; ++field) {
            m_plainLengths[i][field] = qint32(values[field].size());
            m_translitLengths[i][field] = qint32(Transliterate(values[field]).size());
        }
    }
    setText(m_message, m_sign, m_translit, m_tariff);
}

void SendPlan::setText(const QString& message, const QString& sign, bool translit,
                       const Tariff& tariff, const QLocale& locale) {
    m_message = message;
    m_sign = sign;
    m_translit = translit;
    m_tariff = tariff;
    m_pieces = MessageFields::split(message);
    m_personal = m_pieces.size() > 1;
    m_tooLong.clear();
    m_emptied = 0;
    const int count = recipientCount();

    if (!m_personal || count == 0) {
        m_count = Recount(message, sign, translit, tariff, locale);
        m_parts = qint64(count) * m_count.parts;
        m_total = count * m_count.price;
        if (m_count.length > m_count.maxLength) {
            for (int i = 0; i < count; ++i)
                m_tooLong.append(i);
        }
        return;
    }

    // The text between fields, and how often each field comes, are the same for everyone.
    qint64 fixed = 0;
    std::array<qint32, MessageFields::kFieldCount> uses{};
    for (const MessageFields::Piece& piece : std::as_const(m_pieces)) {
        fixed += translit ? Transliterate(piece.text).size() : piece.text.size();
        if (piece.field >= 0)
            ++uses[piece.field];
    }
    const qint64 sentSign = translit ? Transliterate(sign).size() : sign.size();
    fixed += sentSign > 0 ? sentSign + 1 : 0;
    const qint32 maximum = Recount(QString(), QString(), false, tariff, locale).maxLength;

    const auto& lengths = translit ? m_translitLengths : m_plainLengths;
    m_parts = 0;
    m_total = 0;
    int longest = 0;
    qint64 longestLength = -1;
    for (int i = 0; i < count; ++i) {
        qint64 length = fixed;
        bool emptied = false;
        for (int field = 0; field < MessageFields::kFieldCount; ++field) {
            length += qint64(uses[field]) * lengths[i][field];
            emptied = emptied || (uses[field] > 0 && m_plainLengths[i][field] == 0);
        }
        const qint32 parts = PartsOf(length, tariff);
        m_parts += parts;
        m_total += PriceOf(parts, tariff);
        m_emptied += emptied ? 1 : 0;
        if (length > maximum)
            m_tooLong.append(i);
        if (length > longestLength) {
            longestLength = length;
            longest = i;
        }
    }
    m_count = Recount(MessageFields::fill(m_pieces, valuesOf(m_recipients[longest])).text, sign,
                      translit, tariff, locale);
    // The typing limit applies to the message as typed, fields unfilled: the room left is
    // what the longest text leaves.
    m_count.messageLimit = qint32(message.size() + (m_count.maxLength - m_count.length));
}

PlanLine SendPlan::line(int index) const {
    PlanLine line;
    line.recipient = m_recipients.at(index);
    const MessageFields::Filled filled =
        m_personal ? MessageFields::fill(m_pieces, valuesOf(line.recipient))
                   : MessageFields::Filled{m_message, false};
    line.text = filled.text;
    line.emptied = filled.emptied;
    const RecountResult count = Recount(line.text, m_sign, m_translit, m_tariff);
    line.length = count.length;
    line.parts = count.parts;
    line.price = count.price;
    line.tooLong = count.length > count.maxLength;
    return line;
}

QList<PlanLine> SendPlan::lines() const {
    QList<PlanLine> result;
    result.reserve(m_recipients.size());
    for (int i = 0; i < recipientCount(); ++i)
        result.append(line(i));
    return result;
}

SendText SendPlan::textFor(int index) const {
    const QString message = m_personal
                                ? MessageFields::fill(m_pieces, valuesOf(m_recipients.at(index))).text
                                : m_message;
    return SendText::compose(message, m_sign, m_translit);
}
