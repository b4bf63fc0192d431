#include "AdminApi.h"

#include "AccountCommands.h"
#include "Faults.h"
#include "MessageCommands.h"
#include "Money.h"
#include "Protocol.h"
#include "platform/Ansi.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace AdminApi {

namespace {

constexpr int kDefaultListLimit = 1000;

Reply json(int status, const QJsonObject& object) {
    return {status, QJsonDocument(object).toJson(QJsonDocument::Compact)};
}

Reply error(int status, const QString& message) {
    return json(status, {{QStringLiteral("error"), message}});
}

QJsonObject bytesJson(const QByteArray& bytes) {
    return {{QStringLiteral("hex"), QString::fromLatin1(bytes.toHex(' '))},
            {QStringLiteral("text"), Ansi::toUnicode(bytes)}};
}

// Money in a JSON value: "98.50", "98,5" or the number 98.5.
bool readMoney(const QJsonValue& value, qint64* kopecks) {
    if (value.isDouble()) {
        const double amount = value.toDouble();
        if (amount < 0 || amount > 1e12)
            return false;
        *kopecks = qRound64(amount * 100);
        return true;
    }
    return value.isString() && Money::parse(value.toString(), kopecks);
}

// A change request read field by field; the first bad field ends it with a message.
class Fields {
public:
    explicit Fields(const QJsonObject& object)
        : m_object(object) {}

    QString error() const { return m_error; }

    void money(const char* name, qint64* target) {
        if (has(name) && !readMoney(m_object.value(QLatin1String(name)), target))
            fail(name, "an amount such as \"98.50\"");
    }
    void boolean(const char* name, bool* target) {
        if (!has(name))
            return;
        const QJsonValue value = m_object.value(QLatin1String(name));
        if (!value.isBool())
            return fail(name, "true or false");
        *target = value.toBool();
    }
    // null clears back to the service-wide default.
    void optionalBoolean(const char* name, std::optional<bool>* target) {
        if (!has(name))
            return;
        const QJsonValue value = m_object.value(QLatin1String(name));
        if (value.isNull())
            *target = std::nullopt;
        else if (value.isBool())
            *target = value.toBool();
        else
            fail(name, "true, false or null");
    }
    void text(const char* name, QString* target) {
        if (!has(name))
            return;
        const QJsonValue value = m_object.value(QLatin1String(name));
        if (!value.isString())
            return fail(name, "a string");
        *target = value.toString();
    }
    void integer(const char* name, int* target, int minimum, int maximum) {
        if (!has(name))
            return;
        const QJsonValue value = m_object.value(QLatin1String(name));
        const double number = value.toDouble(-1);
        if (!value.isDouble() || number != std::floor(number) || number < minimum ||
            number > maximum)
            return fail(name,
                        QStringLiteral("a whole number from %1 to %2").arg(minimum).arg(maximum));
        *target = int(number);
    }

private:
    bool has(const char* name) const {
        return m_error.isEmpty() && m_object.contains(QLatin1String(name));
    }
    void fail(const char* name, const QString& expected) {
        m_error = QStringLiteral("\"%1\" must be %2").arg(QLatin1String(name), expected);
    }

    QJsonObject m_object;
    QString m_error;
};

QJsonObject accountJson(SandboxContext& context, const Account& account) {
    const std::optional<QByteArray> contacts = context.store.contacts(account.id);
    return {
        {QStringLiteral("key"), QString::fromLatin1(account.key)},
        {QStringLiteral("id"), account.id},
        {QStringLiteral("email"), account.email},
        {QStringLiteral("name"), account.name},
        {QStringLiteral("phone"), account.phone},
        {QStringLiteral("city"), account.city},
        {QStringLiteral("birthDate"), account.birthDate},
        {QStringLiteral("referrer"), account.referrer},
        {QStringLiteral("registered"), account.registered},
        {QStringLiteral("balance"), QString::fromLatin1(Money::format(account.balance))},
        {QStringLiteral("activated"), account.activated},
        {QStringLiteral("notice"), account.notice},
        {QStringLiteral("noticePendingForSend"), account.noticeForSend},
        {QStringLiteral("noticePendingForInfo"), account.noticeForInfo},
        {QStringLiteral("serverContacts"),
         AccountCommands::serverContactsAllowed(context, account)},
        {QStringLiteral("extraOption"), AccountCommands::extraOptionEnabled(context, account)},
        {QStringLiteral("icq1"), account.icq1},
        {QStringLiteral("icq2"), account.icq2},
        {QStringLiteral("contacts"), contacts ? QJsonValue(bytesJson(*contacts)) : QJsonValue()},
    };
}

// The fields that both creating and changing an account may set.
QString applyAccountChanges(Account& account, const QJsonObject& body) {
    Fields fields(body);
    fields.money("balance", &account.balance);
    fields.boolean("activated", &account.activated);
    fields.optionalBoolean("serverContacts", &account.serverContacts);
    fields.optionalBoolean("extraOption", &account.extraOption);
    fields.text("icq1", &account.icq1);
    fields.text("icq2", &account.icq2);
    QString notice = account.notice;
    fields.text("notice", &notice);
    if (fields.error().isEmpty() && body.contains(QLatin1String("notice"))) {
        // A new notice waits for both the next send and the next login; "" withdraws it.
        account.notice = notice;
        account.noticeForSend = account.noticeForInfo = !notice.isEmpty();
    }
    return fields.error();
}

Reply createAccount(SandboxContext& context, const QJsonObject& body) {
    Account account = AccountCommands::newAccount(context);
    QString key;
    Fields fields(body);
    fields.text("key", &key);
    fields.text("email", &account.email);
    fields.text("name", &account.name);
    fields.text("phone", &account.phone);
    fields.text("city", &account.city);
    fields.text("birthDate", &account.birthDate);
    fields.text("referrer", &account.referrer);
    QString problem = fields.error();
    if (problem.isEmpty())
        problem = applyAccountChanges(account, body);
    if (!problem.isEmpty())
        return error(400, problem);
    account.key = Protocol::normalizedKey(key.toLatin1());
    if (!key.isEmpty() && account.key.size() != Protocol::kKeyLength)
        return error(400, QStringLiteral("\"key\" must be 48 characters 0-9, A-F"));
    if (!AccountCommands::insertWithKey(context, account))
        return error(409, QStringLiteral("an account with this key or e-mail exists"));
    return json(201, accountJson(context, account));
}

Reply changeAccount(SandboxContext& context, Account account, const QJsonObject& body) {
    const QString problem = applyAccountChanges(account, body);
    if (!problem.isEmpty())
        return error(400, problem);
    context.store.updateAccount(account);
    return json(200, accountJson(context, account));
}

Reply accounts(SandboxContext& context, const Request& request, const QStringList& path,
               const QJsonObject& body) {
    if (path.size() == 1) {
        if (request.method == QLatin1String("POST"))
            return createAccount(context, body);
        QJsonArray list;
        for (const Account& account : context.store.accounts())
            list.append(accountJson(context, account));
        return json(200, {{QStringLiteral("accounts"), list}});
    }
    const std::optional<Account> account =
        context.store.accountByKey(Protocol::normalizedKey(path[1].toLatin1()));
    if (!account)
        return error(404, QStringLiteral("no account with this key"));
    if (request.method == QLatin1String("POST"))
        return changeAccount(context, *account, body);
    return json(200, accountJson(context, *account));
}

QJsonObject messageJson(SandboxContext& context, const Message& message) {
    return {
        {QStringLiteral("id"), message.id},
        {QStringLiteral("accountId"), message.accountId},
        {QStringLiteral("number"), QString::fromLatin1(message.number)},
        {QStringLiteral("sender"), message.sender},
        {QStringLiteral("text"), message.text},
        {QStringLiteral("delay"), message.delayMinutes},
        {QStringLiteral("parts"), message.parts},
        {QStringLiteral("price"), QString::fromLatin1(Money::format(message.price))},
        {QStringLiteral("createdMs"), message.createdMs},
        {QStringLiteral("status"),
         MessageCommands::statusAt(message, context.now(), context.settings)},
        {QStringLiteral("statusSetByAdmin"), message.statusOverride.has_value()},
    };
}

Reply messages(SandboxContext& context, const Request& request, const QStringList& path,
               const QJsonObject& body) {
    if (path.size() == 1) {
        std::optional<qint64> accountId;
        const QString key = request.query.value(QStringLiteral("key"));
        if (!key.isEmpty()) {
            const std::optional<Account> account =
                context.store.accountByKey(Protocol::normalizedKey(key.toLatin1()));
            if (!account)
                return error(404, QStringLiteral("no account with this key"));
            accountId = account->id;
        }
        const qint64 after = request.query.value(QStringLiteral("after")).toLongLong();
        const int limit =
            request.query.value(QStringLiteral("limit"), QString::number(kDefaultListLimit))
                .toInt();
        QJsonArray list;
        for (const Message& message : context.store.messages(accountId, after, std::max(limit, 0)))
            list.append(messageJson(context, message));
        return json(200, {{QStringLiteral("messages"), list}});
    }
    const qint64 id = path[1].toLongLong();
    std::optional<Message> message = context.store.message(id);
    if (!message)
        return error(404, QStringLiteral("no message with this id"));
    if (request.method == QLatin1String("POST")) {
        const QJsonValue status = body.value(QLatin1String("status"));
        if (status.isNull() || status.isUndefined()) {
            message->statusOverride = std::nullopt; // back to moving on with time
        } else {
            int value = -1;
            Fields fields(body);
            fields.integer("status", &value, 0, 255);
            if (!fields.error().isEmpty())
                return error(400, fields.error());
            message->statusOverride = value;
        }
        context.store.setStatusOverride(id, message->statusOverride);
    }
    return json(200, messageJson(context, *message));
}

QJsonObject settingsJson(const Settings& settings) {
    const Tariff& tariff = settings.tariff;
    QJsonArray refused;
    for (const QString& number : settings.refusedNumbers)
        refused.append(number);
    return {
        {QStringLiteral("autoActivate"), settings.autoActivate},
        {QStringLiteral("startBalance"), QString::fromLatin1(Money::format(settings.startBalance))},
        {QStringLiteral("smsPrice"), QString::fromLatin1(Money::format(tariff.smsPrice))},
        {QStringLiteral("extraPartPrice"),
         QString::fromLatin1(Money::format(tariff.extraPartPrice))},
        {QStringLiteral("partLength"), tariff.partLength},
        {QStringLiteral("maxMessageLength"), tariff.maxMessageLength},
        {QStringLiteral("serverContacts"), settings.serverContacts},
        {QStringLiteral("extraOption"), settings.extraOption},
        {QStringLiteral("voucherFee"), QString::fromLatin1(Money::format(settings.voucherFee))},
        {QStringLiteral("detailPrice"), QString::fromLatin1(Money::format(settings.detailPrice))},
        {QStringLiteral("statusStepMs"), settings.statusStepMs},
        {QStringLiteral("minuteMs"), settings.minuteMs},
        {QStringLiteral("logSize"), settings.logSize},
    };
}

Reply settings(SandboxContext& context, const Request& request, const QJsonObject& body) {
    if (request.method == QLatin1String("POST")) {
        Settings changed = context.settings;
        Fields fields(body);
        fields.boolean("autoActivate", &changed.autoActivate);
        fields.money("startBalance", &changed.startBalance);
        fields.money("smsPrice", &changed.tariff.smsPrice);
        fields.money("extraPartPrice", &changed.tariff.extraPartPrice);
        fields.integer("partLength", &changed.tariff.partLength, 1, 5000);
        fields.integer("maxMessageLength", &changed.tariff.maxMessageLength, 1, 5000);
        fields.boolean("serverContacts", &changed.serverContacts);
        fields.boolean("extraOption", &changed.extraOption);
        fields.money("voucherFee", &changed.voucherFee);
        fields.money("detailPrice", &changed.detailPrice);
        fields.integer("statusStepMs", &changed.statusStepMs, 0, 3'600'000);
        fields.integer("minuteMs", &changed.minuteMs, 0, 3'600'000);
        if (!fields.error().isEmpty())
            return error(400, fields.error());
        context.settings = changed;
    }
    return json(200, settingsJson(context.settings));
}

QJsonObject faultsJson(const Faults& faults) {
    const Faults::State state = faults.state();
    return {{QStringLiteral("mode"), Faults::name(state.mode)},
            {QStringLiteral("remaining"), state.remaining},
            {QStringLiteral("delayMs"), state.delayMs},
            {QStringLiteral("reply"), Ansi::toUnicode(state.reply)}};
}

Reply faults(SandboxContext& context, const Request& request, const QJsonObject& body) {
    if (request.method == QLatin1String("DELETE")) {
        context.faults.clear();
    } else if (request.method == QLatin1String("POST")) {
        const std::optional<Faults::Mode> mode =
            Faults::modeFromName(body.value(QLatin1String("mode")).toString());
        if (!mode)
            return error(
                400, QStringLiteral("\"mode\" must be http500, close, delay, garbage or reply"));
        int count = 1;
        int delayMs = 0;
        Fields fields(body);
        fields.integer("count", &count, 0, 1'000'000);
        fields.integer("delayMs", &delayMs, 0, 600'000);
        if (!fields.error().isEmpty())
            return error(400, fields.error());
        // The reply mode answers this text (code page 1251) without carrying the command out.
        const QByteArray reply = Ansi::fromUnicode(body.value(QLatin1String("reply")).toString());
        context.faults.arm(*mode, count, delayMs, reply);
    }
    return json(200, faultsJson(context.faults));
}

Reply log(SandboxContext& context, const Request& request) {
    if (request.method == QLatin1String("DELETE")) {
        context.log.clear();
        return json(200, {{QStringLiteral("entries"), QJsonArray()}});
    }
    const qint64 since = request.query.value(QStringLiteral("since")).toLongLong();
    const int limit =
        request.query.value(QStringLiteral("limit"), QString::number(kDefaultListLimit)).toInt();
    QJsonArray entries;
    for (const RequestLog::Entry& entry : context.log.since(since, std::max(limit, 0))) {
        entries.append(QJsonObject{
            {QStringLiteral("sequence"), entry.sequence},
            {QStringLiteral("timeMs"), entry.timeMs},
            {QStringLiteral("remote"), entry.remote},
            {QStringLiteral("userAgent"), entry.userAgent},
            {QStringLiteral("body"), QString::fromLatin1(entry.body)},
            {QStringLiteral("command"), entry.command},
            {QStringLiteral("request"), bytesJson(entry.request)},
            {QStringLiteral("httpStatus"), entry.httpStatus},
            {QStringLiteral("reply"), bytesJson(entry.reply)},
            {QStringLiteral("fault"), entry.fault},
        });
    }
    return json(200, {{QStringLiteral("entries"), entries}});
}

Reply refusals(SandboxContext& context, const Request& request, const QJsonObject& body) {
    if (request.method != QLatin1String("GET")) {
        const QByteArray number = body.value(QLatin1String("number")).toString().toLatin1();
        if (number.isEmpty())
            return error(400, QStringLiteral("\"number\" must be a phone number"));
        if (request.method == QLatin1String("POST"))
            context.store.addRefusal(number);
        else
            context.store.removeRefusal(number);
    }
    QJsonArray numbers;
    for (const QByteArray& number : context.store.refusals())
        numbers.append(QString::fromLatin1(number));
    return json(200, {{QStringLiteral("numbers"), numbers}});
}

} // namespace

Reply handle(SandboxContext& context, const Request& request) {
    QJsonObject body;
    if (!request.body.trimmed().isEmpty()) {
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(request.body, &parseError);
        if (!document.isObject())
            return error(400, QStringLiteral("the body must be a JSON object"));
        body = document.object();
    }
    QStringList path = request.path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (path.isEmpty() || path.front() != QLatin1String("admin"))
        return error(404, QStringLiteral("unknown admin call"));
    path.removeFirst();
    const QString& method = request.method;
    const bool get = method == QLatin1String("GET");
    const bool post = method == QLatin1String("POST");
    const bool del = method == QLatin1String("DELETE");
    const QString area = path.value(0);

    std::lock_guard lock(context.mutex);
    if (area == QLatin1String("state") && path.size() == 1 && get)
        return json(200, {{QStringLiteral("settings"), settingsJson(context.settings)},
                          {QStringLiteral("faults"), faultsJson(context.faults)}});
    if (area == QLatin1String("reset") && path.size() == 1 && post) {
        context.reset();
        return json(200, {{QStringLiteral("ok"), true}});
    }
    if (area == QLatin1String("accounts") && path.size() <= 2 && (get || post))
        return accounts(context, request, path, body);
    if (area == QLatin1String("messages") && path.size() <= 2 &&
        (get || (post && path.size() == 2)))
        return messages(context, request, path, body);
    if (area == QLatin1String("settings") && path.size() == 1 && (get || post))
        return settings(context, request, body);
    if (area == QLatin1String("faults") && path.size() == 1)
        return faults(context, request, body);
    if (area == QLatin1String("log") && path.size() == 1 && (get || del))
        return log(context, request);
    if (area == QLatin1String("refusals") && path.size() == 1)
        return refusals(context, request, body);
    return error(404, QStringLiteral("unknown admin call"));
}

} // namespace AdminApi
