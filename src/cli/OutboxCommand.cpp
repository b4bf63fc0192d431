#include "OutboxCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "history/HistoryFile.h"
#include "messaging/SendJournal.h"
#include "messaging/UnknownOutcomes.h"
#include "shared/Settings.h"

#include <QCommandLineParser>

namespace OutboxCommand {

namespace {

const QString kCommand = QStringLiteral("outbox");
const QString kHelp = QStringLiteral(
    "usage: varnelo-cli outbox\n"
    "       varnelo-cli outbox resolve ID --sent|--drop\n"
    "\n"
    "Every send is written to the send journal (a table of the settings store) before its\n"
    "request leaves, and leaves it once its reply is in the history. What stays there is\n"
    "printed one row per line: id, state, moment (YYYY-MM-DD HH:MM:SS, local time), the\n"
    "numbers (joined by '|') and the text. States: 'sending' (a program is sending it now),\n"
    "'unknown' (the request may have reached the service, but its reply was lost, named\n"
    "fewer messages than numbers, or the program was stopped while waiting for it).\n"
    "\n"
    "resolve settles a send of unknown outcome: --sent writes it to the history as sent,\n"
    "of unknown delivery (with the message ids the service gave, where it gave any);\n"
    "--drop forgets it. Nothing is ever sent again by this command.");

int list(SendJournal& journal, const HistoryFile& history, qint32 limit) {
    const UnknownOutcomes::Recovered recovered = UnknownOutcomes::recover(journal, history, limit);
    if (!recovered.historyError.isEmpty())
        CliOutput::error(
            QStringLiteral("the history was not written: %1").arg(recovered.historyError));
    for (const SendJournal::Row& row : journal.rows()) {
        CliOutput::record({QString::number(row.id), SendJournal::stateName(row.state),
                           UnknownOutcomes::momentText(row), row.numbers.join(QLatin1Char('|')),
                           row.fullText()});
    }
    return recovered.historyError.isEmpty() ? CliOutput::kOk : CliOutput::kFailed;
}

} // namespace

int run(const QStringList& arguments, const CliContext::OpenStore& openStore) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption sent(QStringLiteral("sent"), QString());
    const QCommandLineOption drop(QStringLiteral("drop"), QString());
    parser.addOptions({help, sent, drop});
    if (!parser.parse(QStringList{kCommand} + arguments))
        return CliOutput::usage(kCommand, parser.errorText());
    if (parser.isSet(help)) {
        CliOutput::line(kHelp);
        return CliOutput::kOk;
    }
    const QStringList positional = parser.positionalArguments();
    const bool resolve = !positional.isEmpty() && positional.first() == QLatin1String("resolve");
    if (!positional.isEmpty() && !resolve)
        return CliOutput::usage(kCommand,
                                QStringLiteral("unexpected argument '%1'").arg(positional.first()));

    CliContext context(openStore);
    const HistoryFile history;
    SendJournal journal(context.registry());
    const qint32 limit = Settings(context.registry()).historyMessCount();
    if (!resolve) {
        if (parser.isSet(sent) || parser.isSet(drop))
            return CliOutput::usage(kCommand, QStringLiteral("--sent and --drop go with resolve"));
        return list(journal, history, limit);
    }

    bool ok = false;
    const qint64 id = positional.value(1).toLongLong(&ok);
    if (positional.size() != 2 || !ok || parser.isSet(sent) == parser.isSet(drop))
        return CliOutput::usage(kCommand, QStringLiteral("resolve takes ID and --sent or --drop"));
    UnknownOutcomes::recover(journal, history, limit);
    const std::optional<SendJournal::Row> row = journal.row(id);
    if (!row || row->state != SendJournal::State::Unknown) {
        CliOutput::error(row ? QStringLiteral("row %1 is being sent now").arg(id)
                             : QStringLiteral("no row %1 in the send journal").arg(id));
        return CliOutput::kFailed;
    }
    if (parser.isSet(drop)) {
        journal.remove(id);
        return CliOutput::kOk;
    }
    const QString error = UnknownOutcomes::countAsSent(journal, history, limit, id);
    if (!error.isEmpty()) {
        CliOutput::error(QStringLiteral("the history was not written: %1").arg(error));
        return CliOutput::kFailed;
    }
    return CliOutput::kOk;
}

} // namespace OutboxCommand
