#include "ServiceClient.h"

#include "platform/Registry.h"
#include "service/ContactsPayload.h"
#include "service/ServiceProtocol.h"
#include "service/TariffMemory.h"
#include "service/UserInfoReply.h"

// The commands other than the send: each builds its request text and hands the reply back in
// the form its caller reads.

namespace {

using namespace ServiceProtocol;

constexpr int kUserInfoTimeoutMs = 10000;
constexpr int kMessageStatusTimeoutMs = 5000;
const QString kCrLf = QStringLiteral("\r\n");
const QString kDone = QStringLiteral("OK");

QString withLineBreaks(QString text, QChar separator) {
    return text.replace(separator, kCrLf);
}

} // namespace

// The contact commands turn every failure of the exchange into a reply of their own; a
// failing settings store is no reply of the service and reaches the caller.
QString ServiceClient::requestOrFailed(const QString& request) const {
    try {
        return ServerRequest(request, 0);
    } catch (const RegistryError&) {
        throw;
    } catch (const std::exception&) {
        return kFailedExchange;
    }
}

ServiceClient::AccountReply ServiceClient::accountRequest(const QString& request) const {
    const TransportPath path = transportPath();
    return {ServerRequest(request, RequestOptions{}, path), path == TransportPath::Direct};
}

bool ServiceClient::SaveContactsOnServer(const QString& payload) const {
    return requestOrFailed(QStringLiteral("=") + userKey() + kField + payload) == kDone;
}

bool ServiceClient::LoadContactsFromServer(TContacts& contacts) const {
    return ContactsPayload::readReply(requestOrFailed(QStringLiteral(">") + userKey()), contacts);
}

ServiceClient::AccountReply ServiceClient::SaveSettingsOnServer(const QString& userKey,
                                                                const QString& data) const {
    return accountRequest(QStringLiteral("0") + StripFieldSeparators(userKey) + kField + kStore +
                          data);
}

ServiceClient::AccountReply ServiceClient::LoadSettingsFromServer(const QString& userKey) const {
    return accountRequest(QStringLiteral("0") + StripFieldSeparators(userKey) + kField + kRead);
}

ServiceClient::AccountReply ServiceClient::BuyVoucher(const QString& userKey,
                                                      const QString& amount) const {
    return accountRequest(QStringLiteral(",") + StripFieldSeparators(userKey) + kField + kRead +
                          kField + amount);
}

ServiceClient::AccountReply ServiceClient::ActivateVoucher(const QString& userKey,
                                                           const QString& serial) const {
    return accountRequest(QStringLiteral(",") + StripFieldSeparators(userKey) + kField + kStore +
                          kField + serial);
}

QString ServiceClient::QueryMessagesStatus(const QList<qint32>& ids) const {
    QString request = QStringLiteral("4");
    for (const qint32 id : ids)
        request += QString::number(id) + kField;
    return withLineBreaks(ServerRequest(request, 0), kField);
}

QString ServiceClient::QueryMessageStatus(qint32 id) const {
    return withLineBreaks(
        ServerRequest(QStringLiteral(";") + QString::number(id), kMessageStatusTimeoutMs), kField);
}

QString ServiceClient::RestoreAccount(const QString& email) const {
    const TransportPath path = transportPath();
    // The browser's way of posting carried a sub-command mark in front of the address.
    const QString request = path == TransportPath::SystemSettings
                                ? QStringLiteral("7") + kRead + email
                                : QStringLiteral("7") + email;
    return withLineBreaks(ServerRequest(request, RequestOptions{}, path), kField);
}

QString ServiceClient::RegisterUser(const QString& name, const QString& number, const QString& city,
                                    const QString& birthDate, const QString& email,
                                    const QString& referrer) const {
    const QString request = QStringLiteral("1") + StripFieldSeparators(name) + kField +
                            StripFieldSeparators(number) + kField + StripFieldSeparators(city) +
                            kField + StripFieldSeparators(birthDate) + kField +
                            StripFieldSeparators(email) + kField + referrer;
    return ServerRequest(request, 0);
}

// Each value is stored as soon as it is read: a reply cut short keeps what came before.
ServiceClient::UserInfo ServiceClient::GetUserInfo(const QString& userKey) {
    UserInfo result;
    try {
        const QString request =
            QStringLiteral("?") + StripFieldSeparators(userKey) + kField + kClientVersion;
        const UserInfoReply info = UserInfoReply::read(ServerRequest(request, kUserInfoTimeoutMs));
        result.judged = info.judged;
        m_account.update([&info, &result](AccountState& account) {
            Tariff& tariff = account.tariff;
            if (!info.Balance)
                return;
            account.balance = *info.Balance;
            account.balanceKnown = true;
            if (!info.SmsPrice)
                return;
            tariff.SmsPrice = *info.SmsPrice;
            if (!info.ExtraPartPrice)
                return;
            tariff.ExtraPartPrice = *info.ExtraPartPrice;
            if (!info.PartLength)
                return;
            tariff.PartLength = *info.PartLength;
            if (!info.MaxMessageLength)
                return;
            tariff.MaxMessageLength = *info.MaxMessageLength;
            account.serverContactsEnabled = info.ServerContactsEnabled.value_or(false);
            account.extraOptionEnabled = info.ExtraOptionEnabled.value_or(false);
            result.serverContactsEnabled = account.serverContactsEnabled;
            result.notice = info.ServiceMessage.value_or(QString());
        });
        // Sends planned without a login are priced with the last whole tariff told.
        if (info.MaxMessageLength)
            TariffMemory::remember(*m_store, tariff());
    } catch (...) {
        // The login judges what the reply holds by now; nothing else is reported.
    }
    return result;
}
