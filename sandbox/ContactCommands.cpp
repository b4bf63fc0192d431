#include "ContactCommands.h"

#include "AccountCommands.h"
#include "Protocol.h"

namespace ContactCommands {

namespace {

constexpr char kDone[] = "OK";
constexpr char kRefused[] = "-1";

// The account behind `key` when it may keep contacts with the service.
std::optional<Account> contactAccount(SandboxContext& context, const QByteArray& key) {
    std::optional<Account> account = context.store.accountByKey(Protocol::normalizedKey(key));
    if (account && !AccountCommands::serverContactsAllowed(context, *account))
        return std::nullopt;
    return account;
}

} // namespace

Outcome saveContacts(SandboxContext& context, const QByteArray& request) {
    const QString command = QStringLiteral("SaveContactsOnServer");
    const qsizetype separator = request.indexOf(Protocol::kField);
    if (separator < 0)
        return {command, kRefused};
    const std::optional<Account> account = contactAccount(context, request.left(separator));
    if (!account)
        return {command, kRefused};
    context.store.setContacts(account->id, request.mid(separator + 1));
    return {command, kDone};
}

Outcome loadContacts(SandboxContext& context, const QByteArray& request) {
    const QString command = QStringLiteral("LoadContactsFromServer");
    const std::optional<Account> account = contactAccount(context, Protocol::fields(request)[0]);
    if (!account)
        return {command, kRefused};
    // "OK" alone tells the client that nothing is stored.
    return {command, kDone + context.store.contacts(account->id).value_or(QByteArray()).toBase64()};
}

} // namespace ContactCommands
