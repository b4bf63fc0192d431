#include "OutboxCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/CliSend.h"
#include "history/HistoryFile.h"
#include "messaging/ScheduledSends.h"
#include "messaging/SendJournal.h"
#include "messaging/UnknownOutcomes.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"

#include <QCommandLineParser>

namespace OutboxCommand {

namespace {

const QString kCommand = QStringLiteral("outbox");
const QString kHelp = QStringLiteral(
    "usage: varnelo-cli outbox\n"
    "       varnelo-cli outbox resolve ID --sent|--drop\n"
    "       varnelo-cli outbox cancel ID\n"
    "       varnelo-cli outbox run\n"
    "\n"
    "Every send is written to the send journal (a table of the settings store) before its\n"
    "request leaves, and leaves it once its reply is in the history. What stays there is\n"
    "printed one row per line: id, state, moment (YYYY-MM-DD HH:MM:SS, local time), the\n"
    "numbers (joined by '|') and the text. States: 'sending' (a program is sending it now),\n"
    "'unknown' (the request may have reached the service, but its reply was lost, named\n"
    "fewer messages than numbers, or the program was stopped while waiting for it),\n"
    "'scheduled' (made with 'varnelo-cli send --at' or the send window, waiting for the\n"
    "moment given, which is printed; listed after the others, soonest first).\n"
    "\n"
    "resolve settles a send of unknown outcome: --sent writes it to the history as sent,\n"
    "of unknown delivery (with the message ids the service gave, where it gave any);\n"
    "--drop forgets it. Nothing is ever sent again by this command.\n"
    "\n"
    "cancel removes a scheduled row before it goes (exit 2 when no such row waits).\n"
    "\n"
    "run sends every scheduled row whose moment has come, as 'send' would, and prints\n"
    "ID<TAB>STATUS per row; rows not yet due stay. A row another program takes first is\n"
    "left to it, so each goes once however many run at the same time. Exit 0 when every\n"
    "recipient was accepted (or nothing was due), 1 otherwise, 3 when there is no usable\n"
    "account key. For a timer: the user units varnelo-outbox.service and .timer run it\n"
    "every minute once enabled.");

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
    for (const SendJournal::Row& row : journal.scheduled()) {
        CliOutput::record({QString::number(row.id), SendJournal::stateName(row.state),
                           row.due.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                           row.numbers.join(QLatin1Char('|')), row.fullText()});
    }
    return recovered.historyError.isEmpty() ? CliOutput::kOk : CliOutput::kFailed;
}

// The check and the removal in one transaction, so a row that a run claims meanwhile goes.
int cancel(SendJournal& journal, qint64 id) {
    bool waiting = false;
    journal.inTransaction([&] {
        const std::optional<SendJournal::Row> row = journal.row(id);
        waiting = row && row->state == SendJournal::State::Scheduled;
        if (waiting)
            journal.remove(id);
    });
    if (waiting)
        return CliOutput::kOk;
    CliOutput::error(QStringLiteral("no scheduled row %1 in the send journal").arg(id));
    return CliOutput::kUsage;
}

// What is due now goes; without anything due no account key is needed, so a timer that
// runs every minute stays quiet on a computer that schedules nothing.
int runDue(CliContext& context, SendJournal& journal, const HistoryFile& history, qint32 limit) {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime next = journal.nextDue();
    if (!next.isValid() || next > now)
        return CliOutput::kOk;
    HistoryFile::Damage damage;
    if (const std::optional<int> failed = CliSend::prepareHistory(history, damage))
        return *failed;
    QString keyError;
    if (!context.loadUserKey(&keyError)) {
        CliOutput::error(keyError);
        return CliOutput::kAccount;
    }
    if (context.client().userKey().isEmpty()) {
        CliOutput::error(QStringLiteral("no account key on this computer: the scheduled rows "
                                        "wait"));
        return CliOutput::kAccount;
    }
    const SendTraces traces{context.client(), journal, history, limit};
    int exitCode = CliOutput::kOk;
    for (ScheduledSends::Sent& sent :
         ScheduledSends::sendDue(traces, context.client().userKey(), now)) {
        const QString numbers = sent.row.numbers.join(QLatin1Char('|'));
        if (CliSend::reportTraces(sent.result, journal, damage, numbers) != CliOutput::kOk)
            exitCode = CliOutput::kFailed;
        const SendOutcome& outcome = sent.result.outcome;
        if (!outcome.allAccepted)
            exitCode = CliOutput::kFailed;
        const QString status =
            outcome.action == SendOutcome::Action::ShowNotice
                ? QStringLiteral("notice from the service: %1").arg(outcome.notice)
                : sent.result.statusText();
        CliOutput::record({QString::number(sent.row.id), status});
    }
    return exitCode;
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
    const QString action = positional.value(0);
    const bool resolve = action == QLatin1String("resolve");
    if (!positional.isEmpty() && !resolve && action != QLatin1String("cancel") &&
        action != QLatin1String("run"))
        return CliOutput::usage(kCommand, QStringLiteral("unexpected argument '%1'").arg(action));
    if (!resolve && (parser.isSet(sent) || parser.isSet(drop)))
        return CliOutput::usage(kCommand, QStringLiteral("--sent and --drop go with resolve"));
    bool ok = false;
    const qint64 id = positional.value(1).toLongLong(&ok);
    if (action == QLatin1String("cancel") && (positional.size() != 2 || !ok))
        return CliOutput::usage(kCommand, QStringLiteral("cancel takes ID"));
    if (action == QLatin1String("run") && positional.size() > 1)
        return CliOutput::usage(kCommand,
                                QStringLiteral("unexpected argument '%1'").arg(positional.last()));

    CliContext context(openStore);
    const HistoryFile history;
    SendJournal journal(context.registry());
    const qint32 limit = Settings(context.registry()).historyMessCount();
    if (positional.isEmpty())
        return list(journal, history, limit);
    if (action == QLatin1String("cancel"))
        return cancel(journal, id);
    if (action == QLatin1String("run"))
        return runDue(context, journal, history, limit);

    if (positional.size() != 2 || !ok || parser.isSet(sent) == parser.isSet(drop))
        return CliOutput::usage(kCommand, QStringLiteral("resolve takes ID and --sent or --drop"));
    UnknownOutcomes::recover(journal, history, limit);
    const std::optional<SendJournal::Row> row = journal.row(id);
    if (!row || row->state != SendJournal::State::Unknown) {
        if (!row)
            CliOutput::error(QStringLiteral("no row %1 in the send journal").arg(id));
        else if (row->state == SendJournal::State::Scheduled)
            CliOutput::error(QStringLiteral("row %1 waits for its moment; 'outbox cancel' "
                                            "removes it")
                                 .arg(id));
        else
            CliOutput::error(QStringLiteral("row %1 is being sent now").arg(id));
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
