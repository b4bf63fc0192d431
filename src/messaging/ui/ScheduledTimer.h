#pragma once

#include "messaging/SendJournal.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;
class TSendForm;

// Sends the send journal's scheduled rows at their moments through the send window: one
// single-shot timer to the nearest moment, set again whenever the journal may have changed
// (a row scheduled here, a send ended, another program writing the store). Rows already due
// when it starts were missed while the program was not running: they wait until the user
// answers the question about them.
class ScheduledTimer : public QObject {
    Q_OBJECT
public:
    enum class MissedAnswer { Send, OpenList, Later };

    // `now` gives the current moment (UTC); tests fix it. Lives as the window's child.
    explicit ScheduledTimer(TSendForm& form, std::function<QDateTime()> now = {});

    // Reads the nearest moment again and sets the timer to it.
    void rearm();
    // Sends every row that is due now and not put off by the user; the rows sent.
    QList<qint64> sendDue();
    // The moment the timer waits for; invalid when no row waits.
    QDateTime armedFor() const { return m_armedFor; }
    bool isArmed() const { return m_timer.isActive(); }
    // The rows missed while the program was not running, soonest first, until answered.
    QList<SendJournal::Row> missed() const;
    // "3 запланированных сообщения не были отправлены вовремя (с 09:00 до 11:30)...".
    static QString missedQuestion(const QList<SendJournal::Row>& missed, const QDateTime& nowUtc);
    // Asks about the missed rows, when there are any, and does what the user chose:
    // sends them, or calls `showList` (may be empty), or leaves them till the next start.
    void askAboutMissed(QWidget* parent, const std::function<void()>& showList);
    void answerMissed(MissedAnswer answer, const std::function<void()>& showList);

signals:
    // A scheduled row went to the send flow.
    void rowSent(qint64 row);

private:
    // The nearest moment of a row not put off; forgets what the rows no longer need.
    QDateTime nextMoment(const QList<SendJournal::Row>& rows);
    QDateTime dueOf(const SendJournal::Row& row) const;
    bool putOff(const SendJournal::Row& row) const;

    TSendForm& m_form;
    std::function<QDateTime()> m_now;
    QTimer m_timer;
    QDateTime m_armedFor;
    // Missed at start, with the moment they had then: the user decides about them.
    QHash<qint64, QDateTime> m_deferred;
    // Rows this process sent that came back (nothing went out): tried again later, each
    // time after a longer pause, so a refused or unreachable service is not asked in a loop.
    struct Retry {
        QDateTime notBefore;
        int tries = 0;
    };
    QHash<qint64, Retry> m_retries;
};
