#include "BatchSend.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

// Outcomes after which the next request would fare no better: the user acts first.
bool endsTheSend(const SendResult& result) {
    const SendOutcome& outcome = result.outcome;
    return outcome.action != SendOutcome::Action::None || !outcome.unresolved.isEmpty() ||
           !result.journalError.isEmpty() ||
           (outcome.accepted.isEmpty() && outcome.refused.isEmpty()) ||
           std::any_of(outcome.refused.begin(), outcome.refused.end(),
                       [](const SendOutcome::Refused& one) {
                           return SendOutcome::refusesTheAccount(one.code);
                       });
}

QStringList numbersOf(const BatchItem& item) {
    return item.request.number.split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

// Errors of the traces met anywhere in the send stay in the report's last result.
void keepTraceErrors(const SendResult& from, SendResult& into) {
    if (!from.historyError.isEmpty())
        into.historyError = from.historyError;
    if (!from.historyDamage.isEmpty())
        into.historyDamage = from.historyDamage;
    if (!from.journalError.isEmpty())
        into.journalError = from.journalError;
    if (from.unknownRow)
        into.unknownRow = from.unknownRow;
    into.restartBalanceTimer = into.restartBalanceTimer || from.restartBalanceTimer;
}

} // namespace

QList<BatchItem> BatchItemsOf(const SendPlan& plan, const SendRequest& common) {
    QList<BatchItem> items;
    const QList<PlanRecipient>& recipients = plan.recipients();
    if (plan.personal()) {
        for (int i = 0; i < plan.recipientCount(); ++i) {
            SendRequest request = common;
            request.number = recipients[i].number;
            request.text = plan.textFor(i);
            items.append({request, {recipients[i].name}});
        }
        return items;
    }
    SendRequest request = common;
    QStringList numbers;
    QStringList contacts;
    for (const PlanRecipient& recipient : recipients) {
        numbers.append(recipient.number);
        contacts.append(recipient.name);
    }
    request.number = numbers.join(QLatin1Char('|'));
    request.text = plan.textFor(0);
    items.append({request, contacts});
    return items;
}

QString BatchReport::summary() const {
    QString text = QStringLiteral("Принято %1 из %2; не принято %3")
                       .arg(accepted)
                       .arg(recipients)
                       .arg(refused.size());
    if (!unknown.isEmpty())
        text += QStringLiteral("; результат неизвестен: %1").arg(unknown.size());
    if (!unsent.isEmpty())
        text += QStringLiteral("; не отправлено: %1").arg(unsent.size());
    return text;
}

BatchSend::BatchSend(const SendTraces& traces, int historyBatch, int historyDelayMs)
    : m_traces(traces)
    , m_historyBatch(qMax(1, historyBatch))
    , m_historyDelayMs(historyDelayMs) {}

BatchReport BatchSend::run(const QList<BatchItem>& items, const std::atomic_bool& stop,
                           const Progress& progress) {
    BatchReport report;
    QList<HeldSend> held;
    QList<int> heldItems;
    QElapsedTimer firstHeld;

    const auto settle = [&] {
        if (held.isEmpty())
            return;
        try {
            SettleHeld(m_traces, held);
        } catch (...) {
            // SettleHeld reports through the results; nothing else may stop the report.
        }
        for (qsizetype i = 0; i < held.size(); ++i) {
            const SendResult& result = held[i].result;
            keepTraceErrors(result, report.last);
            const BatchItem& item = items[heldItems[i]];
            const QStringList numbers = numbersOf(item);
            const auto contactOf = [&](const QString& number) {
                return item.contacts.value(numbers.indexOf(number));
            };
            const SendOutcome& outcome = result.outcome;
            // Accepted messages whose record could not be written stay open in the journal.
            if (!result.historyError.isEmpty() && !outcome.accepted.isEmpty()) {
                for (const SendOutcome::Accepted& one : outcome.accepted)
                    report.unknown.append({one.number, contactOf(one.number),
                                           QStringLiteral("история не записана")});
            } else {
                report.accepted += int(outcome.accepted.size());
            }
            for (const SendOutcome::Refused& one : outcome.refused)
                report.refused.append({one.number, contactOf(one.number), one.reason});
            for (const QString& number : outcome.unresolved)
                report.unknown.append({number, contactOf(number), outcome.statusText});
        }
        held.clear();
        heldItems.clear();
    };

    for (const BatchItem& item : items)
        report.recipients += int(numbersOf(item).size());
    const auto leaveUnsent = [&](int index) {
        report.notSent.append(index);
        const BatchItem& item = items[index];
        const QStringList numbers = numbersOf(item);
        for (qsizetype i = 0; i < numbers.size(); ++i)
            report.unsent.append({numbers[i], item.contacts.value(i), {}});
    };

    int done = 0;
    bool ended = false;
    for (int index = 0; index < items.size(); ++index) {
        if (ended || stop.load()) {
            leaveUnsent(index);
            continue;
        }
        HeldSend send = SendAndHold(m_traces, items[index].request);
        report.last.outcome = send.result.outcome;
        ended = endsTheSend(send.result);
        const SendOutcome& outcome = send.result.outcome;
        if (outcome.accepted.isEmpty() && outcome.refused.isEmpty() &&
            outcome.unresolved.isEmpty()) {
            // Nothing reached the service, or it answered with a notice instead: this one
            // waits with the rest.
            keepTraceErrors(send.result, report.last);
            leaveUnsent(index);
            continue;
        }
        if (held.isEmpty())
            firstHeld.start();
        held.append(std::move(send));
        heldItems.append(index);
        ++done;
        if (progress)
            progress(done, int(items.size()));
        if (held.size() >= m_historyBatch || firstHeld.elapsed() >= m_historyDelayMs)
            settle();
    }
    settle();
    return report;
}
