#include "ScheduledTimer.h"

#include "SendUnit.h"
#include "messaging/SendConfirmation.h"
#include "platform/Registry.h"
#include "platform/StoreWatcher.h"
#include "platform/ui/Prompts.h"

#include <algorithm>
#include <chrono>

namespace {

// A long wait goes in steps, each measured again from the wall clock: a clock set forward or
// a machine that slept is caught up within a step, and QTimer's own limit is never reached.
constexpr qint64 kLongestStepMs = 60LL * 60 * 1000;
constexpr qint64 kFirstRetrySecs = 60;
constexpr qint64 kLongestRetrySecs = 60 * 60;

QString clockText(const QDateTime& local, const QDate& omitDate) {
    return local.toString(local.date() == omitDate ? QStringLiteral("HH:mm")
                                                   : QStringLiteral("dd.MM.yyyy HH:mm"));
}

} // namespace

ScheduledTimer::ScheduledTimer(TSendForm& form, std::function<QDateTime()> now)
    : QObject(&form)
    , m_form(form)
    , m_now(now ? std::move(now) : [] { return QDateTime::currentDateTimeUtc(); }) {
    m_timer.setSingleShot(true);
    // A coarse timer may be late by a twentieth of its wait: minutes on an hour.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        sendDue();
        rearm();
    });
    connect(&form, &TSendForm::SendsChanged, this, &ScheduledTimer::rearm);
    connect(&form, &TSendForm::ScheduledChanged, this, &ScheduledTimer::rearm);
    connect(new StoreWatcher(form.store().filePath(), this), &StoreWatcher::changed, this,
            &ScheduledTimer::rearm);
    try {
        const QDateTime start = m_now();
        for (const SendJournal::Row& row : m_form.journal().scheduled()) {
            if (row.due <= start)
                m_deferred.insert(row.id, row.due);
        }
    } catch (const RegistryError&) {
        // An unreadable journal has nothing to send; the next change tries again.
    }
    rearm();
}

bool ScheduledTimer::putOff(const SendJournal::Row& row) const {
    // A missed row given a new moment since is an ordinary row again.
    const auto found = m_deferred.constFind(row.id);
    return found != m_deferred.cend() && *found == row.due;
}

QDateTime ScheduledTimer::dueOf(const SendJournal::Row& row) const {
    const auto retry = m_retries.constFind(row.id);
    return retry == m_retries.cend() ? row.due : std::max(row.due, retry->notBefore);
}

QDateTime ScheduledTimer::nextMoment(const QList<SendJournal::Row>& rows) {
    const QDateTime now = m_now();
    QSet<qint64> waiting;
    QDateTime next;
    for (const SendJournal::Row& row : rows) {
        waiting.insert(row.id);
        if (putOff(row))
            continue;
        const QDateTime due = dueOf(row);
        if (!next.isValid() || due < next)
            next = due;
    }
    // A row that is sending is not listed; its pause is kept until it has passed, so a row
    // that comes back at once is not sent again at once.
    m_retries.removeIf([&](const auto& retry) {
        return !waiting.contains(retry.key()) && retry.value().notBefore <= now;
    });
    m_deferred.removeIf([&](const auto& row) { return !waiting.contains(row.key()); });
    return next;
}

void ScheduledTimer::rearm() {
    m_timer.stop();
    m_armedFor = {};
    QDateTime next;
    try {
        SendJournal& journal = m_form.journal();
        next = m_deferred.isEmpty() && m_retries.isEmpty() ? journal.nextDue()
                                                           : nextMoment(journal.scheduled());
    } catch (const RegistryError&) {
        return;
    }
    if (!next.isValid())
        return;
    m_armedFor = next;
    const qint64 wait = std::clamp(m_now().msecsTo(next), qint64(0), kLongestStepMs);
    m_timer.start(std::chrono::milliseconds(wait));
}

QList<qint64> ScheduledTimer::sendDue() {
    QList<qint64> sent;
    const QDateTime now = m_now();
    try {
        for (const SendJournal::Row& row : m_form.journal().scheduled()) {
            if (putOff(row) || dueOf(row) > now || !m_form.sendScheduled(row.id))
                continue;
            Retry& retry = m_retries[row.id];
            retry.notBefore =
                now.addSecs(std::min(kFirstRetrySecs << retry.tries, kLongestRetrySecs));
            retry.tries = std::min(retry.tries + 1, 16);
            sent.append(row.id);
            emit rowSent(row.id);
        }
    } catch (const RegistryError&) {
        // What was claimed goes on; the rest waits for the next change of the journal.
    }
    return sent;
}

QList<SendJournal::Row> ScheduledTimer::missed() const {
    QList<SendJournal::Row> rows;
    try {
        rows = m_form.journal().scheduled();
    } catch (const RegistryError&) {
        return {};
    }
    rows.removeIf([this](const SendJournal::Row& row) { return !putOff(row); });
    return rows;
}

QString ScheduledTimer::missedQuestion(const QList<SendJournal::Row>& missed,
                                       const QDateTime& nowUtc) {
    QDateTime earliest = missed.value(0).due;
    QDateTime latest = earliest;
    for (const SendJournal::Row& row : missed) {
        earliest = std::min(earliest, row.due);
        latest = std::max(latest, row.due);
    }
    const QDate today = nowUtc.toLocalTime().date();
    const QDateTime first = earliest.toLocalTime();
    const QDateTime last = latest.toLocalTime();
    const QString firstText = clockText(first, today);
    const QString lastText = clockText(last, first.date() == last.date() ? last.date() : today);
    const QString span = firstText == clockText(last, today)
                             ? QStringLiteral("в %1").arg(firstText)
                             : QStringLiteral("с %1 до %2").arg(firstText, lastText);
    const qint64 count = missed.size();
    return QStringLiteral("%1 %2 вовремя (%3). Отправить сейчас?")
        .arg(count)
        .arg(SendConfirmation::countedNoun(
            count, QStringLiteral("запланированное сообщение не было отправлено"),
            QStringLiteral("запланированных сообщения не были отправлены"),
            QStringLiteral("запланированных сообщений не были отправлены")))
        .arg(span);
}

void ScheduledTimer::askAboutMissed(QWidget* parent, const std::function<void()>& showList) {
    const QList<SendJournal::Row> rows = missed();
    if (rows.isEmpty())
        return;
    // Enter and Escape both leave them: nothing missed goes without a deliberate choice.
    const QMessageBox::StandardButton button =
        Prompts::choose(parent, missedQuestion(rows, m_now()),
                        QStringLiteral("Запланированные сообщения"), QMessageBox::Question,
                        {{QMessageBox::Yes, QStringLiteral("Отправить")},
                         {QMessageBox::Open, QStringLiteral("Открыть список")},
                         {QMessageBox::Cancel, QStringLiteral("Позже")}},
                        QMessageBox::Cancel);
    answerMissed(button == QMessageBox::Yes    ? MissedAnswer::Send
                 : button == QMessageBox::Open ? MissedAnswer::OpenList
                                               : MissedAnswer::Later,
                 showList);
}

void ScheduledTimer::answerMissed(MissedAnswer answer, const std::function<void()>& showList) {
    switch (answer) {
    case MissedAnswer::Send:
        m_deferred.clear();
        sendDue();
        rearm();
        break;
    case MissedAnswer::OpenList:
        if (showList)
            showList();
        break;
    case MissedAnswer::Later:
        break;
    }
}
