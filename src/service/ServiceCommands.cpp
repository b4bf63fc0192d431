#include "ServiceCommands.h"

#include "platform/Registry.h"
#include "service/ContactsPayload.h"
#include "service/MainWindowLink.h"
#include "service/ServerRequest.h"
#include "service/ServiceProtocol.h"
#include "service/ServiceState.h"
#include "service/UserInfoReply.h"

namespace {

using namespace ServiceProtocol;

constexpr int kUserInfoTimeoutMs = 10000;
constexpr int kMessageStatusTimeoutMs = 5000;
const QString kCrLf = QStringLiteral("\r\n");
const QString kDone = QStringLiteral("OK");

// The contact commands turn every failure of the exchange into a reply of their own; a
// failing settings store is no reply of the service and reaches the caller.
QString requestOrFailed(const QString& request) {
    try {
        return ServerRequest(request, 0);
    } catch (const RegistryError&) {
        throw;
    } catch (const std::exception&) {
        return kFailedExchange;
    }
}

// The account commands that may change the balance ask for a refresh a minute later, but
// only on the direct path; through the system's proxy settings the balance waits for the
// next refresh that something else asks for (a click on the status bar, a reconnect).
QString balanceRequest(const QString& request) {
    const TransportPath path = CurrentTransportPath();
    const QString reply = ServerRequest(request, RequestOptions{}, path);
    if (path == TransportPath::Direct)
        MainWindowLink::current()->RestartBalanceTimer();
    return reply;
}

QString withLineBreaks(QString text, QChar separator) {
    return text.replace(separator, kCrLf);
}

} // namespace

bool SaveContactsOnServer(const QString& payload) {
    return requestOrFailed(QStringLiteral("=") + ServiceState::UserKey.get() + kField + payload) ==
           kDone;
}

bool LoadContactsFromServer(TContacts& contacts) {
    return ContactsPayload::readReply(
        requestOrFailed(QStringLiteral(">") + ServiceState::UserKey.get()), contacts);
}

QString SaveSettingsOnServer(const QString& userKey, const QString& data) {
    return balanceRequest(QStringLiteral("0") + StripFieldSeparators(userKey) + kField + kStore +
                          data);
}

QString LoadSettingsFromServer(const QString& userKey) {
    return balanceRequest(QStringLiteral("0") + StripFieldSeparators(userKey) + kField + kRead);
}

QString BuyVoucher(const QString& userKey, const QString& amount) {
    return balanceRequest(QStringLiteral(",") + StripFieldSeparators(userKey) + kField + kRead +
                          kField + amount);
}

QString ActivateVoucher(const QString& userKey, const QString& serial) {
    return balanceRequest(QStringLiteral(",") + StripFieldSeparators(userKey) + kField + kStore +
                          kField + serial);
}

QString QueryMessagesStatus(const QList<qint32>& ids) {
    QString request = QStringLiteral("4");
    for (const qint32 id : ids)
        request += QString::number(id) + kField;
    return withLineBreaks(ServerRequest(request, 0), kField);
}

QString QueryMessageStatus(qint32 id) {
    return withLineBreaks(
        ServerRequest(QStringLiteral(";") + QString::number(id), kMessageStatusTimeoutMs), kField);
}

QString RestoreAccount(const QString& email) {
    const TransportPath path = CurrentTransportPath();
    // The browser's way of posting carried a sub-command mark in front of the address.
    const QString request = path == TransportPath::SystemSettings
                                ? QStringLiteral("7") + kRead + email
                                : QStringLiteral("7") + email;
    return withLineBreaks(ServerRequest(request, RequestOptions{}, path), kField);
}

void GetUserInfo(const QString& userKey, QString& reply) {
    try {
        const QString request =
            QStringLiteral("?") + StripFieldSeparators(userKey) + kField + kClientVersion;
        reply = ServerRequest(request, kUserInfoTimeoutMs);
        const UserInfoReply info = UserInfoReply::read(reply);
        reply = info.judged;

        if (!info.Balance)
            return;
        ServiceState::Balance.set(*info.Balance);
        if (!info.SmsPrice)
            return;
        ServiceState::SmsPrice.set(*info.SmsPrice);
        if (!info.ExtraPartPrice)
            return;
        ServiceState::ExtraPartPrice.set(*info.ExtraPartPrice);
        if (!info.PartLength)
            return;
        ServiceState::PartLength.set(*info.PartLength);
        if (!info.MaxMessageLength)
            return;
        ServiceState::MaxMessageLength.set(*info.MaxMessageLength);

        const auto link = MainWindowLink::current();
        ServiceState::ServerContactsEnabled.set(info.ServerContactsEnabled.value_or(false));
        link->SetServerContactsVisible(info.ServerContactsEnabled.value_or(false));
        ServiceState::ExtraOptionEnabled.set(info.ExtraOptionEnabled.value_or(false));
        if (info.ServiceMessage) {
            ServiceState::ServiceMessage.set(*info.ServiceMessage);
            link->ShowServiceMessage();
        }
    } catch (...) {
        // The login judges what the reply holds by now; nothing else is reported.
    }
}

QString RegisterUser(const QString& name, const QString& number, const QString& city,
                     const QString& birthDate, const QString& email, const QString& referrer) {
    const QString request = QStringLiteral("1") + StripFieldSeparators(name) + kField +
                            StripFieldSeparators(number) + kField + StripFieldSeparators(city) +
                            kField + StripFieldSeparators(birthDate) + kField +
                            StripFieldSeparators(email) + kField + referrer;
    return ServerRequest(request, 0);
}
