#include "ServiceClient.h"

#include "platform/Registry.h"
#include "service/ServerRequest.h"
#include "service/ServiceError.h"
#include "service/ServiceProtocol.h"
#include "shared/Settings.h"

ServiceClient::ServiceClient(std::shared_ptr<Registry> store)
    : m_store(std::move(store)) {
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

    RequestOptions options;
    options.overallCap = false;
    try {
        exchange.reply = ServerRequest(settings, address, request, options, path)
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
