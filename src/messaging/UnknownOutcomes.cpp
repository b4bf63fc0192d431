#include "UnknownOutcomes.h"

#include "history/HistoryFile.h"
#include "history/HistoryLock.h"
#include "platform/Registry.h"

#include <QSet>

namespace UnknownOutcomes {

namespace {

SendText textOf(const SendJournal::Row& row) {
    return SendText{row.message, row.sign, row.fullText()};
}

// The row's numbers without one occurrence of each number a reply gave an id to.
QStringList openNumbers(const SendJournal::Row& row) {
    QStringList open = row.numbers;
    for (const SendOutcome::Accepted& accepted : row.accepted)
        open.removeOne(accepted.number);
    return open;
}

std::optional<SendJournal::Row> openRow(const SendJournal& journal, qint64 rowId) {
    std::optional<SendJournal::Row> row = journal.row(rowId);
    if (row && row->state != SendJournal::State::Unknown)
        return std::nullopt; // still being sent, or settled meanwhile by another program
    return row;
}

} // namespace

Recovered recover(SendJournal& journal, const HistoryFile& history, qint32 historyLimit) {
    // Held throughout, so that the program and varnelo-cli taking over the same row at once
    // cannot both find its ids missing from the history and both append them.
    const HistoryLock lock(history.path());
    Recovered recovered;
    if (!lock.errorString().isEmpty()) {
        recovered.historyError = lock.errorString();
        return recovered;
    }
    journal.releaseOrphans();
    std::optional<QSet<qint32>> recorded;
    for (const SendJournal::Row& row : journal.rows()) {
        if (row.state != SendJournal::State::Unknown)
            continue;
        if (row.accepted.isEmpty()) {
            recovered.unknown.append(row);
            continue;
        }
        if (!recorded) {
            QString error;
            const QList<TMess> records = history.readAll(&error);
            if (!error.isEmpty()) {
                recovered.historyError = error;
                recovered.unknown.append(row);
                continue;
            }
            recorded.emplace();
            for (const TMess& record : records)
                recorded->insert(record.Id);
        }
        QList<SendOutcome::Accepted> missing;
        for (const SendOutcome::Accepted& accepted : row.accepted) {
            if (!recorded->contains(accepted.id))
                missing.append(accepted);
        }
        if (!missing.isEmpty()) {
            const QString error = history.AppendHistory(
                AcceptedRecords(missing, row.sender, textOf(row), row.moment.toLocalTime()),
                historyLimit);
            if (!error.isEmpty()) {
                recovered.historyError = error;
                recovered.unknown.append(row);
                continue;
            }
            for (const SendOutcome::Accepted& accepted : missing)
                recorded->insert(accepted.id);
        }
        const QStringList open = openNumbers(row);
        journal.settle(row.id, open, row.reason);
        if (!open.isEmpty())
            recovered.unknown.append(*journal.row(row.id));
    }
    return recovered;
}

QString countAsSent(SendJournal& journal, const HistoryFile& history, qint32 historyLimit,
                    qint64 rowId) {
    const std::optional<SendJournal::Row> row = openRow(journal, rowId);
    if (!row)
        return {};
    // Ids already in the history are not written twice, read and written under one lock.
    const HistoryLock lock(history.path());
    if (!lock.errorString().isEmpty())
        return lock.errorString();
    QString error;
    QSet<qint32> recorded;
    if (!row->accepted.isEmpty()) {
        for (const TMess& record : history.readAll(&error))
            recorded.insert(record.Id);
        if (!error.isEmpty())
            return error;
    }
    QList<SendOutcome::Accepted> given;
    for (const SendOutcome::Accepted& accepted : row->accepted) {
        if (!recorded.contains(accepted.id))
            given.append(accepted);
    }
    const QDateTime moment = row->moment.toLocalTime();
    QList<TMess> records = AcceptedRecords(given, row->sender, textOf(*row), moment);
    QList<SendOutcome::Accepted> open;
    for (const QString& number : openNumbers(*row))
        open.append({0, number});
    for (TMess record : AcceptedRecords(open, row->sender, textOf(*row), moment)) {
        record.Status = TMess::kStatusOutcomeUnknown;
        records.append(record);
    }
    error = history.AppendHistory(records, historyLimit);
    if (error.isEmpty())
        journal.remove(rowId);
    return error;
}

std::optional<SendRequest> againRequest(const SendJournal& journal, const QString& userKey,
                                        qint64 rowId) {
    const std::optional<SendJournal::Row> row = openRow(journal, rowId);
    if (!row || !row->accepted.isEmpty() || row->numbers.isEmpty())
        return std::nullopt;
    SendRequest request;
    request.userKey = userKey;
    request.number = row->numbers.join(QLatin1Char('|'));
    request.sender = row->sender;
    request.text = textOf(*row);
    request.delayMinutes = row->delayMinutes;
    request.replacesRow = rowId;
    return request;
}

QString momentText(const SendJournal::Row& row) {
    return row.moment.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace UnknownOutcomes
