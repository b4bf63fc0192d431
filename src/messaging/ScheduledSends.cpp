#include "ScheduledSends.h"

namespace ScheduledSends {

namespace {

constexpr qint64 kLeastAheadSecs = 60;

} // namespace

Moment check(const QDateTime& local, const QDateTime& nowUtc) {
    if (!local.isValid())
        return {{}, QStringLiteral("Неверная дата или время")};
    const QDateTime utc = local.toUTC();
    if (utc <= nowUtc)
        return {{}, QStringLiteral("Это время уже прошло")};
    if (nowUtc.secsTo(utc) < kLeastAheadSecs)
        return {{}, QStringLiteral("Время должно быть хотя бы на минуту позже текущего")};
    if (utc > nowUtc.addYears(1))
        return {{}, QStringLiteral("Время не может быть позже чем через год")};
    return {utc, {}};
}

Moment parse(const QString& text, const QDateTime& nowUtc) {
    const QString trimmed = text.trimmed();
    for (const QString& format :
         {QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("yyyy-MM-dd HH:mm")}) {
        QDateTime local = QDateTime::fromString(trimmed, format);
        if (local.isValid()) {
            local.setTimeSpec(Qt::LocalTime);
            return check(local, nowUtc);
        }
    }
    return {{}, QStringLiteral("Неверная дата или время: «%1» (нужно ГГГГ-ММ-ДД ЧЧ:ММ)").arg(text)};
}

QString inWords(const QDateTime& utc, const QDateTime& nowUtc) {
    const QDateTime local = utc.toLocalTime();
    const QDate today = nowUtc.toLocalTime().date();
    const QString time = local.toString(QStringLiteral("HH:mm"));
    if (local.date() == today)
        return QStringLiteral("сегодня в %1").arg(time);
    if (local.date() == today.addDays(1))
        return QStringLiteral("завтра в %1").arg(time);
    if (local.date() == today.addDays(2))
        return QStringLiteral("послезавтра в %1").arg(time);
    return QStringLiteral("%1 в %2").arg(local.toString(QStringLiteral("dd.MM.yyyy")), time);
}

SendRequest requestFor(const SendJournal::Row& row, const QString& userKey) {
    SendRequest request;
    request.userKey = userKey;
    request.number = row.numbers.join(QLatin1Char('|'));
    request.sender = row.sender;
    request.text = {row.message, row.sign, row.fullText()};
    request.claimedRow = row.id;
    return request;
}

QList<Sent> sendDue(const SendTraces& traces, const QString& userKey, const QDateTime& nowUtc) {
    QList<Sent> sent;
    for (const SendJournal::Row& row : traces.journal.scheduled()) {
        if (row.due > nowUtc)
            break;
        if (!traces.journal.claim(row.id))
            continue;
        sent.append({row, JournaledSend(traces, requestFor(row, userKey))});
    }
    return sent;
}

} // namespace ScheduledSends
