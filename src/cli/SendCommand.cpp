#include "SendCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/CliSend.h"
#include "cli/GroupSend.h"
#include "contacts/DefaultSender.h"
#include "messaging/LineBreaks.h"
#include "messaging/ScheduledSends.h"
#include "messaging/SendFlow.h"
#include "platform/Ansi.h"
#include "service/ServerRequest.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"

#include <QCommandLineParser>

namespace SendCommand {

namespace {

const QString kCommand = QStringLiteral("send");
const QString kHelp = QStringLiteral(
    "usage: varnelo-cli send --to NUMBER[|NUMBER...] --text TEXT [--sender S] [--sign S]\n"
    "                        [--translit] [--delay MIN]\n"
    "       varnelo-cli send --group NAME --text TEXT [--sender S] [--sign S] [--translit]\n"
    "                        [--delay MIN] [--dry-run] [--yes] [--offline]\n"
    "       varnelo-cli send (--to ... | --group ...) --text TEXT --at \"YYYY-MM-DD HH:MM[:SS]\"\n"
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
    "stderr; no message is sent with it.\n"
    "\n"
    "--group sends to every contact with a number in the book's group NAME (those without\n"
    "one are counted on stderr). The fields {Имя}, {Номер} and {Подпись} in TEXT take each\n"
    "contact's name, number and signature; such a text goes to each contact on its own,\n"
    "any other in one request. The send logs in once for the tariff and the balance; with\n"
    "--offline it does not, and prices with the tariff of the last login. --dry-run sends\n"
    "nothing and prints NUMBER<TAB>CONTACT<TAB>LENGTH<TAB>PARTS<TAB>PRICE per contact, then\n"
    "recipients, parts, total and (after a login) balance lines. A send prints the count of\n"
    "accepted messages, then NUMBER<TAB>CONTACT<TAB>REASON per number not accepted. Nothing\n"
    "is sent when a text is too long (exit 2) or the total exceeds the balance (exit 1); a\n"
    "total above the confirmation threshold (setting ConfirmAboveKopecks) is sent only with\n"
    "--yes (exit 4 without). An unknown group, or one without numbers, exits 2.\n"
    "\n"
    "--at schedules the send for a local moment, at least a minute and at most a year ahead,\n"
    "instead of sending it: the message waits in the send journal as it will go (translit\n"
    "and signature applied; with fields, one row per contact) and the id of each row is\n"
    "printed on a line. Nothing is asked of the service and nothing is charged until\n"
    "'varnelo-cli outbox run' or the program sends it; a group is priced with the tariff of\n"
    "the last login. A moment that cannot be read, has passed or lies too far ahead exits 2.\n"
    "--at does not go with --delay; with --dry-run it only prints the plan.");

const QList<int> kDelays = {0, 5, 10, 15, 30, 45, 60};

// What the send to given numbers alone does; the message is checked already.
int sendToNumbers(const QString& number, const CliSend::Message& message,
                  const CliContext::OpenStore& openStore) {
    CliContext context(openStore);
    const HistoryFile history;
    HistoryFile::Damage damage;
    if (const std::optional<int> failed = CliSend::prepareHistory(history, damage))
        return *failed;
    QString keyError;
    if (!context.loadUserKey(&keyError)) {
        CliOutput::error(keyError);
        return CliOutput::kAccount;
    }

    SendRequest request;
    request.userKey = context.client().userKey();
    request.number = number;
    request.sender = message.sender;
    request.text = SendText::compose(message.text, message.sign, message.translit);
    request.delayMinutes = message.delayMinutes;
    if (request.userKey.isEmpty())
        CliOutput::error(QStringLiteral("no account key on this computer"));

    SendJournal journal(context.registry());
    const SendTraces traces{context.client(), journal, history,
                            Settings(context.registry()).historyMessCount()};
    SendResult result = JournaledSend(traces, request);
    const int traceCode = CliSend::reportTraces(result, journal, damage, number);
    const SendOutcome& outcome = result.outcome;
    if (outcome.action == SendOutcome::Action::ShowNotice) {
        CliOutput::error(QStringLiteral("notice from the service: %1").arg(outcome.notice));
        return CliOutput::kFailed;
    }
    CliOutput::line(result.statusText());
    return outcome.allAccepted ? traceCode : CliOutput::kFailed;
}

// The message waits in the journal instead; no account key is needed until it goes.
int scheduleToNumbers(const QString& number, const CliSend::Message& message, const QDateTime& due,
                      const CliContext::OpenStore& openStore) {
    CliContext context(openStore);
    SendRequest request;
    request.number = number;
    request.sender = message.sender;
    request.text = SendText::compose(message.text, message.sign, message.translit);
    SendJournal journal(context.registry());
    CliSend::schedule(journal, {request}, due);
    return CliOutput::kOk;
}

} // namespace

int run(const QStringList& arguments, const CliContext::OpenStore& openStore) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption to(QStringLiteral("to"), QString(), QStringLiteral("NUMBER"));
    const QCommandLineOption group(QStringLiteral("group"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption text(QStringLiteral("text"), QString(), QStringLiteral("TEXT"));
    const QCommandLineOption sender(QStringLiteral("sender"), QString(), QStringLiteral("S"));
    const QCommandLineOption sign(QStringLiteral("sign"), QString(), QStringLiteral("S"));
    const QCommandLineOption translit(QStringLiteral("translit"), QString());
    const QCommandLineOption delay(QStringLiteral("delay"), QString(), QStringLiteral("MIN"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"), QString());
    const QCommandLineOption yes(QStringLiteral("yes"), QString());
    const QCommandLineOption offline(QStringLiteral("offline"), QString());
    const QCommandLineOption at(QStringLiteral("at"), QString(), QStringLiteral("MOMENT"));
    parser.addOptions(
        {help, to, group, text, sender, sign, translit, delay, dryRun, yes, offline, at});
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
    GroupSend::Options groupOptions{
        parser.value(group), parser.isSet(dryRun), parser.isSet(yes), parser.isSet(offline), {}};
    if (parser.isSet(to) && parser.isSet(group))
        return CliOutput::usage(kCommand, QStringLiteral("--to and --group exclude each other"));
    if (!parser.isSet(group) && number.isEmpty())
        return CliOutput::usage(kCommand, QStringLiteral("--to NUMBER or --group NAME is needed"));
    if (parser.isSet(group) && groupOptions.group.isEmpty())
        return CliOutput::usage(kCommand, QStringLiteral("--group needs a group's name"));
    if (!parser.isSet(group) && (groupOptions.dryRun || groupOptions.yes || groupOptions.offline))
        return CliOutput::usage(kCommand,
                                QStringLiteral("--dry-run, --yes and --offline go with --group"));
    if (parser.isSet(at)) {
        if (parser.isSet(delay))
            return CliOutput::usage(kCommand,
                                    QStringLiteral("--at and --delay exclude each other"));
        const ScheduledSends::Moment moment =
            ScheduledSends::parse(parser.value(at), QDateTime::currentDateTimeUtc());
        if (!moment.utc.isValid()) {
            CliOutput::error(moment.error);
            return CliOutput::kUsage;
        }
        groupOptions.at = moment.utc;
    }
    CliSend::Message message;
    // The send window takes typed text through code page 1251, without the field separator
    // and with CR LF line breaks; so does the tool, and the history keeps the text as it
    // went out.
    message.text =
        LineBreaks::toCrLf(StripFieldSeparators(Ansi::representable(parser.value(text))));
    if (message.text.isEmpty())
        return CliOutput::usage(kCommand, QStringLiteral("--text TEXT is needed"));
    if (parser.isSet(delay)) {
        bool ok = false;
        message.delayMinutes = parser.value(delay).toInt(&ok);
        if (!ok || !kDelays.contains(message.delayMinutes))
            return CliOutput::usage(kCommand,
                                    QStringLiteral("--delay takes 0, 5, 10, 15, 30, 45 or 60"));
    }
    message.sender = parser.isSet(sender)
                         ? StripFieldSeparators(Ansi::representable(parser.value(sender)))
                         : kDefaultSender;
    message.sign =
        LineBreaks::toCrLf(StripFieldSeparators(Ansi::representable(parser.value(sign))));
    message.translit = parser.isSet(translit);
    if (parser.isSet(group))
        return GroupSend::run(message, groupOptions, openStore);
    if (groupOptions.at.isValid())
        return scheduleToNumbers(number, message, groupOptions.at, openStore);
    return sendToNumbers(number, message, openStore);
}

} // namespace SendCommand
