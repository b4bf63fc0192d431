#include "SendFlow.h"

#include "history/HistoryFile.h"
#include "messaging/Transliterate.h"
#include "platform/FailureText.h"
#include "platform/Registry.h"
#include "service/ServiceClient.h"

namespace {

QStringList numbersOf(const QString& joined) {
    return joined.split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

} // namespace

SendText SendText::compose(const QString& message, const QString& sign, bool translit) {
    SendText text{message, sign, sign.isEmpty() ? message : message + QLatin1Char(' ') + sign};
    if (translit) {
        text.message = Transliterate(text.message);
        text.sign = Transliterate(text.sign);
        text.full = Transliterate(text.full);
    }
    return text;
}

QString SendResult::statusText() const {
    QString text = outcome.statusText;
    if (!historyError.isEmpty() && journalError.isEmpty())
        text += QStringLiteral(" — история не записана (%1); записи сохранены в журнале "
                               "отправки")
                    .arg(historyError);
    else if (!historyError.isEmpty())
        text += QStringLiteral(" — история не записана (%1)").arg(historyError);
    if (!journalError.isEmpty())
        text += QStringLiteral(" — журнал отправки не обновлен: %1").arg(journalError);
    if (!historyDamage.isEmpty())
        text += QStringLiteral(" — ") + historyDamage;
    return text;
}

HeldSend SendAndHold(const SendTraces& traces, const SendRequest& request) {
    HeldSend held;
    SendResult& result = held.result;
    // Nothing went out: a scheduled row waits again, a row of this send goes.
    const auto dropRow = [&traces, &request](qint64 row) {
        if (request.claimedRow)
            traces.journal.unclaim(row);
        else
            traces.journal.remove(row);
    };
    if (request.userKey.isEmpty()) {
        result.outcome = SendOutcome::judge(QString(), request.number);
        if (request.claimedRow) {
            try {
                traces.journal.unclaim(request.claimedRow);
            } catch (const RegistryError& error) {
                result.journalError = QString::fromStdString(error.what());
            }
        }
        return held;
    }
    SendJournal::Row entry;
    entry.numbers = numbersOf(request.number);
    entry.message = request.text.message;
    entry.sign = request.text.sign;
    entry.sender = request.sender;
    entry.delayMinutes = request.delayMinutes;
    qint64 row = request.claimedRow;
    try {
        if (!row)
            row = traces.journal.begin(entry);
        if (request.replacesRow)
            traces.journal.remove(request.replacesRow);
    } catch (const RegistryError& error) {
        result.outcome = SendOutcome::journalFailed(QString::fromStdString(error.what()));
        return held;
    }

    ServiceClient::SendExchange exchange;
    try {
        exchange = traces.client.SendSms(request.userKey, request.sender, request.text.full,
                                         request.number, request.delayMinutes);
    } catch (const RegistryError&) {
        // The settings could not be read: nothing went out.
        result.outcome.statusText = FailureText::describe(std::current_exception());
        result.outcome.sendEnabled = true;
        try {
            dropRow(row);
        } catch (const RegistryError& error) {
            result.journalError = QString::fromStdString(error.what());
        }
        return held;
    }
    result.restartBalanceTimer = exchange.paid;

    switch (exchange.delivery) {
    case ServiceClient::SendExchange::Delivery::NotSent:
        result.outcome = SendOutcome::judge(QString(), request.number);
        break;
    case ServiceClient::SendExchange::Delivery::LostAfterSend:
        result.outcome = SendOutcome::lostReply(request.number, exchange.failure);
        break;
    case ServiceClient::SendExchange::Delivery::Replied:
        result.outcome = SendOutcome::judge(exchange.reply, request.number);
        if (result.outcome.action != SendOutcome::Action::ShowNotice) {
            // The reply is known from here on: its ids go to the journal now, the history
            // records with the batch, and the row keeps only what stays open. A stop between
            // any two steps leaves a row that the next start finishes without asking, since
            // the ids tell what is in the history already.
            const SendOutcome& outcome = result.outcome;
            try {
                if (!outcome.accepted.isEmpty())
                    traces.journal.recordAccepted(row, outcome.accepted);
            } catch (const RegistryError& error) {
                result.journalError = QString::fromStdString(error.what());
            }
            held.row = row;
            held.records = AcceptedRecords(outcome.accepted, request.sender, request.text,
                                           QDateTime::currentDateTime());
            return held;
        }
        break;
    }
    try {
        // Here the reply, if any, was a notice: nothing was sent either way.
        if (result.outcome.unresolved.isEmpty())
            dropRow(row);
        else
            traces.journal.settle(row, result.outcome.unresolved, result.outcome.unresolvedReason);
        result.unknownRow = result.outcome.unresolved.isEmpty() ? 0 : row;
    } catch (const RegistryError& error) {
        result.journalError = QString::fromStdString(error.what());
    }
    return held;
}

void SettleHeld(const SendTraces& traces, QList<HeldSend>& held) {
    QList<TMess> records;
    for (const HeldSend& send : std::as_const(held))
        records += send.records;
    QString historyError;
    QString historyDamage;
    if (!records.isEmpty()) {
        try {
            HistoryFile::Damage damage;
            historyError = traces.history.AppendHistory(records, traces.historyLimit, &damage);
            if (damage)
                historyDamage = damage->message();
        } catch (const std::exception& error) {
            historyError = QString::fromStdString(error.what());
        }
    }
    QString journalError;
    try {
        traces.journal.inTransaction([&] {
            for (HeldSend& send : held) {
                if (!send.row)
                    continue;
                const SendOutcome& outcome = send.result.outcome;
                if (!historyError.isEmpty() && !send.records.isEmpty()) {
                    traces.journal.markUnknown(
                        send.row, QStringLiteral("история не записана: %1").arg(historyError));
                    send.result.unknownRow = send.row;
                } else {
                    traces.journal.settle(send.row, outcome.unresolved, outcome.unresolvedReason);
                    send.result.unknownRow = outcome.unresolved.isEmpty() ? 0 : send.row;
                }
            }
        });
    } catch (const RegistryError& error) {
        journalError = QString::fromStdString(error.what());
    }
    for (HeldSend& send : held) {
        if (!send.row)
            continue;
        if (!send.records.isEmpty()) {
            send.result.historyError = historyError;
            send.result.historyDamage = historyDamage;
        }
        if (!journalError.isEmpty())
            send.result.journalError = journalError;
        send.row = 0;
        send.records.clear();
    }
}

SendResult JournaledSend(const SendTraces& traces, const SendRequest& request) {
    QList<HeldSend> held{SendAndHold(traces, request)};
    SettleHeld(traces, held);
    return held.first().result;
}

QList<TMess> AcceptedRecords(const QList<SendOutcome::Accepted>& accepted, const QString& sender,
                             const SendText& text, const QDateTime& moment) {
    QList<TMess> records;
    records.reserve(accepted.size());
    for (const SendOutcome::Accepted& one : accepted) {
        TMess record;
        record.Id = one.id;
        record.setMoment(moment);
        record.Status = TMess::kStatusSent;
        record.Number = one.number;
        record.Sender = sender;
        record.Text = text.message;
        record.Sign = text.sign;
        records.append(record);
    }
    return records;
}
