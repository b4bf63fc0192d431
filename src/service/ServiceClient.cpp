#include "ServiceClient.h"

#include "platform/Registry.h"
#include "service/ServiceError.h"
#include "service/ServiceProtocol.h"

ServiceClient::ServiceClient(std::shared_ptr<Registry> store)
    : m_store(std::move(store))
    , m_limits(Limits{}) {
    // The length check is read once: a change takes effect at the next start.
    AccountState account;
    try {
        account.tariff.CheckTextLength = Settings(*m_store).checkTextLength();
    } catch (const RegistryError&) {
        // The first request reads the store again and reports what is wrong.
    }
    m_account.set(account);
}

void ServiceClient::setUserKey(const QString& key) {
    m_account.update([&key](AccountState& account) { account.userKey = key; });
}

Settings::ServerAddress ServiceClient::serverAddress() const {
    return Settings(*m_store).serverAddress().value_or(Settings::ServerAddress{});
}

TransportPath ServiceClient::transportPath() const {
    return TransportPathOf(Settings(*m_store));
}

QString ServiceClient::ServerRequest(const QString& request, int readTimeoutMs) const {
    return ServerRequest(request, RequestOptions{readTimeoutMs, std::nullopt});
}

// The cap, unless the caller set its own, is the one of the path the request takes.
QString ServiceClient::ServerRequest(const QString& request, RequestOptions options,
                                     std::optional<TransportPath> path) const {
    const Settings settings(*m_store);
    const TransportPath route = path.value_or(TransportPathOf(settings));
    if (!options.overallCapMs) {
        const Limits caps = limits();
        options.overallCapMs =
            route == TransportPath::Direct ? caps.overallCapMs : caps.systemPathCapMs;
    }
    return ::ServerRequest(settings, settings.serverAddress().value_or(Settings::ServerAddress{}),
                           request, options, route);
}

ServiceClient::SendExchange ServiceClient::SendSms(const QString& userKey, const QString& sender,
                                                   const QString& text, const QString& number,
                                                   int delayMinutes) const {
    using namespace ServiceProtocol;
    const QString request = QStringLiteral("B") + StripFieldSeparators(userKey) + kField +
                            StripFieldSeparators(text) + kField + StripFieldSeparators(number) +
                            kField + sender + kField + QString::number(delayMinutes);
    // Read before anything goes out: a store that fails here has sent nothing.
    const Settings settings(*m_store);
    SendExchange exchange;
    TransportPath path = TransportPath::Direct;
    Settings::ServerAddress address;
    try {
        path = TransportPathOf(settings);
        address = settings.serverAddress().value_or(Settings::ServerAddress{});
    } catch (const ServiceError& error) {
        exchange.failure = QString::fromStdString(error.what());
        return exchange;
    }

    try {
        // No cap: the reply is awaited however long it takes.
        exchange.reply = ::ServerRequest(settings, address, request, RequestOptions{0, 0}, path)
                             .replace(kLineBreak, QStringLiteral("\r\n"));
        exchange.delivery = SendExchange::Delivery::Replied;
        exchange.paid = !exchange.reply.startsWith(kNoticeMark);
    } catch (const ServiceError& error) {
        exchange.failure = QString::fromStdString(error.what());
        exchange.delivery = error.requestSent() ? SendExchange::Delivery::LostAfterSend
                                                : SendExchange::Delivery::NotSent;
    }
    return exchange;
}
