#include "Dispatcher.h"

#include "AccountCommands.h"
#include "ContactCommands.h"
#include "MessageCommands.h"
#include "VoucherCommands.h"

namespace Dispatcher {

namespace {

using Command = Outcome (*)(SandboxContext&, const QByteArray&);

struct Route {
    char code;
    Command command;
};

constexpr Route kRoutes[] = {
    {'1', AccountCommands::registerUser},
    {'7', AccountCommands::restoreAccount},
    {'?', AccountCommands::getUserInfo},
    {'0', AccountCommands::accountData},
    {'B', MessageCommands::sendSms},
    {'4', MessageCommands::queryMessagesStatus},
    {';', MessageCommands::queryMessageStatus},
    {'=', ContactCommands::saveContacts},
    {'>', ContactCommands::loadContacts},
    {',', VoucherCommands::voucher},
};

constexpr char kUnknown[] = "-1";

} // namespace

Outcome handle(SandboxContext& context, const QByteArray& request) {
    if (request.isEmpty())
        return {QStringLiteral("(empty)"), kUnknown};
    for (const Route& route : kRoutes) {
        if (request.front() == route.code) {
            std::lock_guard lock(context.mutex);
            return route.command(context, request.mid(1));
        }
    }
    return {QStringLiteral("(unknown)"), kUnknown};
}

} // namespace Dispatcher
