#include "CliSend.h"

#include "cli/CliOutput.h"
#include "messaging/SendJournal.h"

namespace CliSend {

std::optional<int> prepareHistory(const HistoryFile& history, HistoryFile::Damage& damage) {
    const QString converted = history.ConvertHistory(&damage);
    if (damage)
        CliOutput::error(damage->message());
    if (converted.isEmpty())
        return std::nullopt;
    CliOutput::error(converted);
    return CliOutput::kFailed;
}

int reportTraces(SendResult& result, const SendJournal& journal,
                 const HistoryFile::Damage& toldAtStart, const QString& numbers) {
    // Damage told at start is not told again; other damage goes where damage is told.
    if (!result.historyDamage.isEmpty()) {
        if (!toldAtStart || toldAtStart->message() != result.historyDamage)
            CliOutput::error(result.historyDamage);
        result.historyDamage.clear();
    }
    int exitCode = CliOutput::kOk;
    if (!result.historyError.isEmpty() || !result.journalError.isEmpty())
        exitCode = CliOutput::kFailed;
    const std::optional<SendJournal::Row> row =
        result.unknownRow ? journal.row(result.unknownRow) : std::nullopt;
    if (row && !row->accepted.isEmpty()) {
        CliOutput::error(QStringLiteral("the history was not written; the send journal keeps "
                                        "the message ids (row %1) and 'varnelo-cli outbox' "
                                        "records them once the history can be written")
                             .arg(result.unknownRow));
        exitCode = CliOutput::kFailed;
    } else if (result.unknownRow) {
        CliOutput::error(QStringLiteral("outcome unknown for %1 (journal row %2): %3; see "
                                        "'varnelo-cli outbox' before sending again")
                             .arg(row ? row->numbers.join(QLatin1Char('|')) : numbers)
                             .arg(result.unknownRow)
                             .arg(row ? row->reason : QString()));
        exitCode = CliOutput::kFailed;
    }
    if (result.outcome.action == SendOutcome::Action::LowBalance)
        CliOutput::error(QStringLiteral("top up the balance on the service's payment page"));
    return exitCode;
}

void schedule(SendJournal& journal, const QList<SendRequest>& requests, const QDateTime& due) {
    QList<qint64> ids;
    journal.inTransaction([&] {
        for (const SendRequest& request : requests) {
            SendJournal::Row row;
            row.numbers = request.number.split(QLatin1Char('|'));
            row.message = request.text.message;
            row.sign = request.text.sign;
            row.sender = request.sender;
            ids.append(journal.schedule(row, due));
        }
    });
    for (const qint64 id : ids)
        CliOutput::line(QString::number(id));
}

} // namespace CliSend
