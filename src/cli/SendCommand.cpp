#include "SendCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "contacts/DefaultSender.h"
#include "history/HistoryFile.h"
#include "messaging/LineBreaks.h"
#include "messaging/SendFlow.h"
#include "platform/Ansi.h"
#include "service/ServerRequest.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"

#include <QCommandLineParser>
#include <QDateTime>

namespace SendCommand {

namespace {

const QString kCommand = QStringLiteral("send");
const QString kHelp = QStringLiteral(
    "usage: varnelo-cli send --to NUMBER[|NUMBER...] --text TEXT [--sender S] [--sign S]\n"
    "                        [--translit] [--delay MIN]\n"
    "\n"
    "Sends TEXT as the send window does: the signature joined to the text with one blank,\n"
    "transliterated with --translit, delivered after MIN minutes (0, 5, 10, 15, 30, 45 or\n"
    "60; 0 when not given). Several numbers joined by '|' make a group send. Without\n"
    "--sender the sender is \"%1\". Characters outside code page 1251 become '?', and\n"
    "line breaks (LF, CR or CR LF) go out as CR LF.\n"
    "\n"
    "Prints the line the send window's status bar would show and writes a history record\n"
    "for each message the service accepted. Before the request leaves, the send is written\n"
    "to the send journal; a send whose outcome stays unknown (the reply lost, or naming\n"
    "fewer messages than numbers) stays there and is reported on stderr: see\n"
    "'varnelo-cli outbox'. Exit 0 only when every recipient was accepted and recorded; 1\n"
    "otherwise, 3 when there is no usable account key. A notice from the service goes to\n"
    "stderr; no message is sent with it.");

const QList<int> kDelays = {0, 5, 10, 15, 30, 45, 60};

} // namespace

int run(const QStringList& arguments, const CliContext::OpenStore& openStore) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption to(QStringLiteral("to"), QString(), QStringLiteral("NUMBER"));
    const QCommandLineOption text(QStringLiteral("text"), QString(), QStringLiteral("TEXT"));
    const QCommandLineOption sender(QStringLiteral("sender"), QString(), QStringLiteral("S"));
    const QCommandLineOption sign(QStringLiteral("sign"), QString(), QStringLiteral("S"));
    const QCommandLineOption translit(QStringLiteral("translit"), QString());
    const QCommandLineOption delay(QStringLiteral("delay"), QString(), QStringLiteral("MIN"));
    parser.addOptions({help, to, text, sender, sign, translit, delay});
    if (!parser.parse(QStringList{kCommand} + arguments))
        return CliOutput::usage(kCommand, parser.errorText());
    if (parser.isSet(help)) {
        CliOutput::line(kHelp.arg(kDefaultSender));
        return CliOutput::kOk;
    }
    if (!parser.positionalArguments().isEmpty())
        return CliOutput::usage(
            kCommand,
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    const QString number = parser.value(to);
    if (number.isEmpty())
        return CliOutput::usage(kCommand, QStringLiteral("--to NUMBER is needed"));
    // The send window takes typed text through code page 1251, without the field separator
    // and with CR LF line breaks; so does the tool, and the history keeps the text as it
    // went out.
    const QString message =
        LineBreaks::toCrLf(StripFieldSeparators(Ansi::representable(parser.value(text))));
    if (message.isEmpty())
        return CliOutput::usage(kCommand, QStringLiteral("--text TEXT is needed"));
    int delayMinutes = 0;
    if (parser.isSet(delay)) {
        bool ok = false;
        delayMinutes = parser.value(delay).toInt(&ok);
        if (!ok || !kDelays.contains(delayMinutes))
            return CliOutput::usage(kCommand,
                                    QStringLiteral("--delay takes 0, 5, 10, 15, 30, 45 or 60"));
    }
    const QString from = parser.isSet(sender)
                             ? StripFieldSeparators(Ansi::representable(parser.value(sender)))
                             : kDefaultSender;
    const QString signature =
        LineBreaks::toCrLf(StripFieldSeparators(Ansi::representable(parser.value(sign))));

    CliContext context(openStore);
    const HistoryFile history;
    HistoryFile::Damage damage;
    const QString converted = history.ConvertHistory(&damage);
    if (damage)
        CliOutput::error(damage->message());
    if (!converted.isEmpty()) {
        CliOutput::error(converted);
        return CliOutput::kFailed;
    }
    QString keyError;
    if (!context.loadUserKey(&keyError)) {
        CliOutput::error(keyError);
        return CliOutput::kAccount;
    }

    SendRequest request;
    request.userKey = context.client().userKey();
    request.number = number;
    request.sender = from;
    request.text = SendText::compose(message, signature, parser.isSet(translit));
    request.delayMinutes = delayMinutes;
    if (request.userKey.isEmpty())
        CliOutput::error(QStringLiteral("no account key on this computer"));

    SendJournal journal(context.registry());
    const SendTraces traces{context.client(), journal, history,
                            Settings(context.registry()).historyMessCount()};
    SendResult result = JournaledSend(traces, request);
    // Damage told at start is not told again; other damage goes where damage is told.
    if (!result.historyDamage.isEmpty()) {
        if (!damage || damage->message() != result.historyDamage)
            CliOutput::error(result.historyDamage);
        result.historyDamage.clear();
    }
    const SendOutcome& outcome = result.outcome;
    if (outcome.action == SendOutcome::Action::ShowNotice) {
        CliOutput::error(QStringLiteral("notice from the service: %1").arg(outcome.notice));
        return CliOutput::kFailed;
    }

    CliOutput::line(result.statusText());
    int exitCode = outcome.allAccepted ? CliOutput::kOk : CliOutput::kFailed;
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
                             .arg(row ? row->numbers.join(QLatin1Char('|')) : number)
                             .arg(result.unknownRow)
                             .arg(row ? row->reason : QString()));
        exitCode = CliOutput::kFailed;
    }
    if (outcome.action == SendOutcome::Action::LowBalance)
        CliOutput::error(QStringLiteral("top up the balance on the service's payment page"));
    return exitCode;
}

} // namespace SendCommand
