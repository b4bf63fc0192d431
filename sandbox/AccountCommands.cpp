#include "AccountCommands.h"

#include "Money.h"
#include "Protocol.h"
#include "platform/Ansi.h"

#include <QDate>

namespace AccountCommands {

namespace {

constexpr char kRegistrationRefused[] = "ERROR";
constexpr char kEmailTaken[] = "-1";
constexpr char kUnknownKey[] = "-2";
constexpr char kNotActivated[] = "-1";
constexpr char kBlankLastLine[] = " ";
constexpr char kStored[] = "1";
constexpr char kNotStored[] = "-1";
constexpr int kMaxIcqLength = 20;

QByteArray joinLines(const QList<QByteArray>& lines) {
    return lines.join(Protocol::kField);
}

Outcome loadAccountData(SandboxContext& context, const Account& account) {
    const QString greeting =
        QStringLiteral("Учебный сервис Varnelo: здесь нет настоящих денег и настоящих СМС. "
                       "Здравствуйте, %1!")
            .arg(account.name);
    const QList<QByteArray> lines = {
        QByteArray::number(account.id),
        Ansi::fromUnicode(greeting),
        Ansi::fromUnicode(account.email),
        Ansi::fromUnicode(account.name),
        Ansi::fromUnicode(account.registered),
        Ansi::fromUnicode(account.phone),
        Ansi::fromUnicode(account.icq1),
        Ansi::fromUnicode(account.icq2),
        Ansi::fromUnicode(account.city),
        Money::format(account.balance),
        Money::format(context.settings.tariff.smsPrice),
        Money::format(context.settings.voucherFee),
        Money::format(context.settings.detailPrice),
    };
    return {QStringLiteral("LoadSettingsFromServer"), joinLines(lines).toBase64()};
}

Outcome storeAccountData(SandboxContext& context, Account account, const QByteArray& data) {
    const QList<QByteArray> parts = data.split(Protocol::kEntryEnd);
    if (parts.size() < 2)
        return {QStringLiteral("SaveSettingsOnServer"), kNotStored};
    account.icq1 = Ansi::toUnicode(parts[0].left(kMaxIcqLength));
    account.icq2 = Ansi::toUnicode(parts[1].left(kMaxIcqLength));
    context.store.updateAccount(account);
    return {QStringLiteral("SaveSettingsOnServer"), kStored};
}

} // namespace

Account newAccount(const SandboxContext& context) {
    Account account;
    account.balance = context.settings.startBalance;
    account.activated = context.settings.autoActivate;
    account.registered = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    return account;
}

bool insertWithKey(SandboxContext& context, Account& account) {
    if (!account.email.trimmed().isEmpty() && context.store.accountByEmail(account.email))
        return false;
    if (!account.key.isEmpty())
        return context.store.insertAccount(account);
    // 2^192 keys make a collision a curiosity, but a retry costs nothing.
    for (int attempt = 0; attempt < 8; ++attempt) {
        account.key = Protocol::randomHex(Protocol::kKeyLength);
        if (context.store.insertAccount(account))
            return true;
    }
    return false;
}

bool serverContactsAllowed(const SandboxContext& context, const Account& account) {
    return account.serverContacts.value_or(context.settings.serverContacts);
}

bool extraOptionEnabled(const SandboxContext& context, const Account& account) {
    return account.extraOption.value_or(context.settings.extraOption);
}

Outcome registerUser(SandboxContext& context, const QByteArray& request) {
    const QString command = QStringLiteral("RegisterUser");
    const QList<QByteArray> fields = Protocol::fields(request);
    if (fields.size() < 5)
        return {command, kRegistrationRefused};
    Account account = newAccount(context);
    account.name = Ansi::toUnicode(fields[0]);
    account.phone = Ansi::toUnicode(fields[1]);
    account.city = Ansi::toUnicode(fields[2]);
    account.birthDate = Ansi::toUnicode(fields[3]);
    account.email = Ansi::toUnicode(fields[4]).trimmed();
    account.referrer = fields.size() > 5 ? Ansi::toUnicode(fields[5]) : QString();
    // Without an address to mail the activation link to, nobody is registered.
    if (!account.email.contains(QLatin1Char('@')))
        return {command, kRegistrationRefused};
    if (!insertWithKey(context, account))
        return {command, kEmailTaken};
    return {command, account.key};
}

Outcome restoreAccount(SandboxContext& context, const QByteArray& request) {
    // The browser transport puts 0x03 in front of the address.
    const QByteArray email = request.startsWith(Protocol::kRead) ? request.mid(1) : request;
    const std::optional<Account> account = context.store.accountByEmail(Ansi::toUnicode(email));
    if (!account)
        return {QStringLiteral("RestoreAccount"), QByteArray()};
    // The sandbox mails nothing: it shows the letter's content right away.
    const QList<QByteArray> lines = {
        Ansi::fromUnicode(
            QStringLiteral("Регистрационный код выслан на адрес %1.").arg(account->email)),
        Ansi::fromUnicode(QStringLiteral("Учебный сервис не отправляет писем, вот код из письма:")),
        account->key,
    };
    return {QStringLiteral("RestoreAccount"), joinLines(lines)};
}

Outcome getUserInfo(SandboxContext& context, const QByteArray& request) {
    const QString command = QStringLiteral("GetUserInfo");
    const QList<QByteArray> fields = Protocol::fields(request);
    std::optional<Account> account = context.store.accountByKey(Protocol::normalizedKey(fields[0]));
    if (!account)
        return {command, kUnknownKey};
    if (!account->activated)
        return {command, kNotActivated};
    const Tariff& tariff = context.settings.tariff;
    QByteArray lastLine = kBlankLastLine;
    if (account->noticeForInfo) {
        lastLine = Protocol::noticeText(account->notice);
        account->noticeForInfo = false;
        context.store.updateAccount(*account);
    }
    const QList<QByteArray> lines = {
        Money::format(account->balance),
        Money::format(tariff.smsPrice),
        Money::format(tariff.extraPartPrice),
        QByteArray::number(tariff.partLength),
        QByteArray::number(tariff.maxMessageLength),
        serverContactsAllowed(context, *account) ? "1" : "0",
        extraOptionEnabled(context, *account) ? "1" : "0",
        lastLine,
    };
    return {command, joinLines(lines)};
}

Outcome accountData(SandboxContext& context, const QByteArray& request) {
    const qsizetype separator = request.indexOf(Protocol::kField);
    const QByteArray key = Protocol::normalizedKey(request.left(separator));
    const QByteArray rest = separator < 0 ? QByteArray() : request.mid(separator + 1);
    const std::optional<Account> account = context.store.accountByKey(key);
    if (rest.startsWith(Protocol::kRead))
        return account ? loadAccountData(context, *account)
                       : Outcome{QStringLiteral("LoadSettingsFromServer"), QByteArray()};
    if (rest.startsWith(Protocol::kStore))
        return account ? storeAccountData(context, *account, rest.mid(1))
                       : Outcome{QStringLiteral("SaveSettingsOnServer"), kNotStored};
    return {QStringLiteral("AccountData?"), kNotStored};
}

} // namespace AccountCommands
