#include "MessageCommands.h"

#include "Protocol.h"
#include "platform/Ansi.h"

namespace MessageCommands {

namespace {

constexpr char kUserNotRegistered[] = "0";
constexpr char kInternalError[] = "-1";
constexpr char kBalanceShort[] = "-2";
constexpr char kRefused[] = "-3";
constexpr char kWrongNumber[] = "-4";
constexpr char kNotActivated[] = "-5";
constexpr char kSenderNotAllowed[] = "-12";
constexpr char kTextNotAllowed[] = "-18";
constexpr char kUnknownMessage[] = "0";

constexpr int kStatusSent = 10;
constexpr int kStatusQueued = 1;
constexpr int kStatusDelivered = 11;
constexpr int kStatusFailed = 2;
constexpr int kStatusExpired = 12;

// The longest composition the client makes when it does not limit the length.
constexpr int kMaxTextLength = 5000;
constexpr int kMaxDelayMinutes = 24 * 60;

QByteArray sendOne(SandboxContext& context, Account& account, const QByteArray& number,
                   const Message& pattern) {
    if (!Protocol::isValidNumber(number))
        return kWrongNumber;
    if (context.store.isRefused(number))
        return kRefused;
    if (account.balance < pattern.price)
        return kBalanceShort;
    Message message = pattern;
    message.number = number;
    context.store.insertMessage(message);
    account.balance -= message.price;
    return QByteArray::number(message.id);
}

QByteArray statusOf(SandboxContext& context, const QByteArray& idText) {
    bool ok = false;
    const qint64 id = idText.trimmed().toLongLong(&ok);
    const std::optional<Message> message = ok ? context.store.message(id) : std::nullopt;
    if (!message)
        return kUnknownMessage;
    return QByteArray::number(statusAt(*message, context.now(), context.settings));
}

} // namespace

int statusAt(const Message& message, qint64 nowMs, const Settings& settings) {
    if (message.statusOverride)
        return *message.statusOverride;
    const qint64 due = message.createdMs + qint64(message.delayMinutes) * settings.minuteMs;
    const qint64 step = settings.statusStepMs;
    if (nowMs < due + step)
        return kStatusSent;
    if (nowMs < due + 2 * step)
        return kStatusQueued;
    if (message.number.endsWith("00"))
        return kStatusFailed;
    if (message.number.endsWith("99"))
        return kStatusExpired;
    return kStatusDelivered;
}

Outcome sendSms(SandboxContext& context, const QByteArray& request) {
    const QString command = QStringLiteral("SendSms");
    const QList<QByteArray> fields = Protocol::fields(request);
    std::optional<Account> account = context.store.accountByKey(Protocol::normalizedKey(fields[0]));
    if (!account)
        return {command, kUserNotRegistered};
    if (account->noticeForSend) {
        account->noticeForSend = false;
        context.store.updateAccount(*account);
        return {command, Protocol::serviceMessage(account->notice)};
    }
    if (fields.size() < 5)
        return {command, kInternalError};
    if (!account->activated)
        return {command, kNotActivated};
    const QByteArray& text = fields[1];
    const QByteArray& numbers = fields[2];
    const QByteArray& sender = fields[3];
    bool delayOk = false;
    const int delay = fields[4].trimmed().toInt(&delayOk);
    if (!delayOk || delay < 0 || delay > kMaxDelayMinutes)
        return {command, kInternalError};
    if (!Protocol::isValidSender(sender))
        return {command, kSenderNotAllowed};
    if (text.isEmpty() || text.size() > kMaxTextLength)
        return {command, kTextNotAllowed};

    const Tariff& tariff = context.settings.tariff;
    Message pattern;
    pattern.accountId = account->id;
    pattern.sender = Ansi::toUnicode(sender);
    pattern.text = Ansi::toUnicode(text);
    pattern.delayMinutes = delay;
    pattern.parts = Protocol::partsFor(int(text.size()), tariff.partLength);
    pattern.price = tariff.smsPrice + qint64(pattern.parts - 1) * tariff.extraPartPrice;
    pattern.createdMs = context.now();

    Store::Transaction transaction(context.store);
    QByteArray reply;
    if (!numbers.contains('|')) {
        reply = sendOne(context, *account, numbers, pattern);
    } else {
        QList<QByteArray> pieces = numbers.split('|');
        if (pieces.size() > 1 && pieces.back().isEmpty())
            pieces.removeLast();
        QList<QByteArray> results;
        for (const QByteArray& number : pieces)
            results.append(sendOne(context, *account, number, pattern));
        reply = results.join('|');
        // A group of one still answers as a group, so the reply keeps its "|".
        if (results.size() == 1)
            reply += '|';
    }
    context.store.updateAccount(*account);
    transaction.commit();
    return {command, reply};
}

Outcome queryMessagesStatus(SandboxContext& context, const QByteArray& request) {
    QList<QByteArray> ids = Protocol::fields(request);
    if (!ids.isEmpty() && ids.back().isEmpty())
        ids.removeLast(); // every id is followed by a separator, the last one too
    QList<QByteArray> statuses;
    statuses.reserve(ids.size());
    for (const QByteArray& id : ids)
        statuses.append(statusOf(context, id));
    return {QStringLiteral("QueryMessagesStatus"), statuses.join(Protocol::kField)};
}

Outcome queryMessageStatus(SandboxContext& context, const QByteArray& request) {
    return {QStringLiteral("QueryMessageStatus"), statusOf(context, Protocol::fields(request)[0])};
}

} // namespace MessageCommands
