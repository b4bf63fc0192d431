#include "GroupSend.h"

#include "cli/CliOutput.h"
#include "contacts/ContactBook.h"
#include "messaging/BatchSend.h"
#include "messaging/SendConfirmation.h"
#include "messaging/SendPlan.h"
#include "service/ServiceClient.h"
#include "service/TariffMemory.h"
#include "shared/Settings.h"

#include <atomic>

namespace GroupSend {

namespace {

const QString kNoNumbers = QStringLiteral("В группе нет номеров");
const QString kUnknownKey = QStringLiteral("-2");
const QString kNotActivated = QStringLiteral("-1");

// Money as scripts read it: two decimals and a point, whatever the locale.
QString money(double value) {
    return QString::number(value, 'f', 2);
}

QString recipientName(const PlanRecipient& recipient) {
    return recipient.name.isEmpty()
               ? recipient.number
               : QStringLiteral("%1 (%2)").arg(recipient.number, recipient.name);
}

// The group's contacts in book order; those without a number are only counted.
QList<PlanRecipient> recipientsOf(const BookGroup& group, int& withoutNumber) {
    QList<PlanRecipient> recipients;
    for (const BookEntry& contact : group.contacts) {
        if (contact.Number.isEmpty())
            ++withoutNumber;
        else
            recipients.append({contact.Number, contact.Name, contact.Sign});
    }
    return recipients;
}

std::optional<int> loadKey(CliContext& context) {
    QString error;
    if (!context.loadUserKey(&error)) {
        CliOutput::error(error);
        return CliOutput::kAccount;
    }
    if (!context.client().userKey().isEmpty())
        return std::nullopt;
    CliOutput::error(QStringLiteral("no account key on this computer; register in Varnelo or "
                                    "set it with 'varnelo-cli config set @ KEY'"));
    return CliOutput::kAccount;
}

// One login for the balance and the tariff; an exit code when it gave no whole tariff.
std::optional<int> logIn(ServiceClient& client) {
    const ServiceClient::UserInfo info = client.GetUserInfo(client.userKey());
    if (!info.notice.isEmpty())
        CliOutput::error(QStringLiteral("notice from the service: %1").arg(info.notice));
    if (info.judged == kUnknownKey) {
        CliOutput::error(QStringLiteral("the service does not know this account key"));
        return CliOutput::kAccount;
    }
    if (info.judged == kNotActivated) {
        CliOutput::error(QStringLiteral("the account is not activated"));
        return CliOutput::kAccount;
    }
    if (!info.serverContactsEnabled) {
        CliOutput::error(QStringLiteral("the login failed, so prices are unknown; with --offline "
                                        "the tariff of the last login prices the send"));
        return CliOutput::kFailed;
    }
    return std::nullopt;
}

struct Prices {
    Tariff tariff;
    std::optional<double> balance;
};

// Offline, the tariff the last login told (with the length check of this computer); else
// what a login tells now. An exit code when the login gives no whole tariff.
std::optional<int> findPrices(CliContext& context, bool offline, Prices& prices) {
    ServiceClient& client = context.client();
    prices.tariff = client.tariff();
    if (!offline) {
        if (const std::optional<int> failed = logIn(client))
            return failed;
        const AccountState account = client.account();
        prices.tariff = account.tariff;
        if (account.balanceKnown)
            prices.balance = account.balance;
    } else if (const std::optional<Tariff> kept = TariffMemory::recall(context.registry())) {
        const bool checkTextLength = prices.tariff.CheckTextLength;
        prices.tariff = *kept;
        prices.tariff.CheckTextLength = checkTextLength;
    } else {
        CliOutput::error(QStringLiteral("no login has told the tariff yet: prices are unknown"));
    }
    return std::nullopt;
}

// What the user must know before the plan goes out, one stderr line each.
void tellPlanProblems(const SendPlan& plan) {
    for (const QString& field : plan.unknownFields())
        CliOutput::error(QStringLiteral("%1 is no field and goes out as typed").arg(field));
    const QList<PlanLine> lines = plan.lines();
    for (const PlanLine& line : lines) {
        if (line.emptied)
            CliOutput::error(QStringLiteral("%1: a field is empty for this contact and is left "
                                            "out of the text")
                                 .arg(recipientName(line.recipient)));
    }
    for (const int index : plan.tooLong())
        CliOutput::error(QStringLiteral("%1: %2 characters, longer than the %3 the service takes")
                             .arg(recipientName(lines[index].recipient))
                             .arg(lines[index].length)
                             .arg(plan.count().maxLength));
}

void printPlan(const SendPlan& plan, const std::optional<double>& balance) {
    for (const PlanLine& line : plan.lines())
        CliOutput::record({line.recipient.number, line.recipient.name, QString::number(line.length),
                           QString::number(line.parts), money(line.price)});
    CliOutput::record({QStringLiteral("recipients"), QString::number(plan.recipientCount())});
    CliOutput::record({QStringLiteral("parts"), QString::number(plan.parts())});
    CliOutput::record({QStringLiteral("total"), money(plan.total())});
    if (balance)
        CliOutput::record({QStringLiteral("balance"), money(*balance)});
}

// The summary, then a line per number that was not accepted: refused, open, or never sent.
void printReport(const BatchReport& report) {
    CliOutput::line(report.summary());
    for (const BatchReport::Line& line : report.refused + report.unknown)
        CliOutput::record({line.number, line.contact, line.reason});
    // What ended the send is why the rest stayed; a notice has no status text of its own.
    const SendOutcome& ended = report.last.outcome;
    const QString unsent = ended.statusText.isEmpty() ? ended.notice : ended.statusText;
    for (const BatchReport::Line& line : report.unsent)
        CliOutput::record({line.number, line.contact, unsent});
}

SendRequest commonRequest(const CliContext& context, const CliSend::Message& message) {
    SendRequest common;
    common.userKey = context.client().userKey();
    common.sender = message.sender;
    common.delayMinutes = message.delayMinutes;
    return common;
}

// The rows wait as the send would go now: one per contact for a personal text.
int schedule(CliContext& context, const SendPlan& plan, const CliSend::Message& message,
             const QDateTime& due) {
    QList<SendRequest> requests;
    for (const BatchItem& item : BatchItemsOf(plan, commonRequest(context, message)))
        requests.append(item.request);
    SendJournal journal(context.registry());
    CliSend::schedule(journal, requests, due);
    return CliOutput::kOk;
}

int send(CliContext& context, const SendPlan& plan, const CliSend::Message& message,
         const HistoryFile& history, const HistoryFile::Damage& damage) {
    const QList<BatchItem> items = BatchItemsOf(plan, commonRequest(context, message));

    SendJournal journal(context.registry());
    const SendTraces traces{context.client(), journal, history,
                            Settings(context.registry()).historyMessCount()};
    const std::atomic_bool stop{false};
    BatchReport report = BatchSend(traces).run(items, stop);

    int exitCode = CliSend::reportTraces(report.last, journal, damage, QString());
    if (report.last.outcome.action == SendOutcome::Action::ShowNotice)
        CliOutput::error(
            QStringLiteral("notice from the service: %1").arg(report.last.outcome.notice));
    if (!report.last.journalError.isEmpty())
        CliOutput::error(QStringLiteral("the send journal was not brought up to date: %1")
                             .arg(report.last.journalError));
    printReport(report);
    if (report.accepted != report.recipients)
        exitCode = CliOutput::kFailed;
    return exitCode;
}

} // namespace

int run(const CliSend::Message& message, const Options& options,
        const CliContext::OpenStore& openStore) {
    CliContext context(openStore);
    ContactBook book;
    if (!context.loadBook(book))
        return CliOutput::kFailed;
    const QModelIndex groupIndex = book.findGroup(options.group);
    if (!groupIndex.isValid()) {
        CliOutput::error(QStringLiteral("the contact book has no group '%1'").arg(options.group));
        return CliOutput::kUsage;
    }
    int withoutNumber = 0;
    const QList<PlanRecipient> recipients =
        recipientsOf(book.group(groupIndex.row()), withoutNumber);
    if (withoutNumber > 0)
        CliOutput::error(QStringLiteral("без номера: %1").arg(withoutNumber));
    if (recipients.isEmpty()) {
        CliOutput::error(kNoNumbers);
        return CliOutput::kUsage;
    }

    // A send scheduled asks nothing of the service: it is priced as one made offline, and
    // needs the history and the account only when it goes.
    const bool scheduling = options.at.isValid() && !options.dryRun;
    const bool offline = options.offline || scheduling;
    const bool sendsNow = !options.dryRun && !scheduling;
    const HistoryFile history;
    HistoryFile::Damage damage;
    if (sendsNow) {
        if (const std::optional<int> failed = CliSend::prepareHistory(history, damage))
            return *failed;
    }
    // Only a plan made offline needs no account.
    if (!offline || sendsNow) {
        if (const std::optional<int> failed = loadKey(context))
            return *failed;
    }
    Prices prices;
    if (const std::optional<int> failed = findPrices(context, offline, prices))
        return *failed;

    SendPlan plan;
    plan.setRecipients(recipients);
    plan.setText(message.text, message.sign, message.translit, prices.tariff);
    tellPlanProblems(plan);
    if (options.dryRun) {
        printPlan(plan, prices.balance);
        return CliOutput::kOk;
    }
    if (!plan.tooLong().isEmpty()) {
        CliOutput::error(QStringLiteral("nothing was sent: the text is too long for %1 of the "
                                        "recipients")
                             .arg(plan.tooLong().size()));
        return CliOutput::kUsage;
    }
    const SendCost cost{plan.recipientCount(), plan.parts(), plan.total()};
    if (SendConfirmation::shortfall(cost, prices.balance)) {
        CliOutput::line(SendConfirmation::shortfallText(cost, *prices.balance));
        return CliOutput::kFailed;
    }
    const qint32 threshold = Settings(context.registry()).get(Setting::ConfirmAboveKopecks);
    if (!options.yes && SendConfirmation::needed(cost, threshold)) {
        CliOutput::line(QStringLiteral("total %1 (%2 messages, %3 parts): a send of this size is "
                                       "confirmed first; nothing was sent, --yes sends it")
                            .arg(money(cost.total))
                            .arg(cost.messages)
                            .arg(cost.parts));
        return CliOutput::kConfirm;
    }
    if (scheduling)
        return schedule(context, plan, message, options.at);
    return send(context, plan, message, history, damage);
}

} // namespace GroupSend
