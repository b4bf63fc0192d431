#include "ServiceFixture.h"

#include "platform/Registry.h"
#include "service/LoginRoutine.h"
#include "service/ServiceClient.h"
#include "service/ServiceError.h"
#include "shared/Settings.h"

ServiceFixture::ServiceFixture(const QString& folder)
    : m_folder(folder) {
}

ServiceFixture::~ServiceFixture() = default;

void ServiceFixture::reset(quint16 port, const QString& host) {
    m_routine.reset();
    m_client.reset();
    m_registry = std::make_shared<Registry>(
        QStringLiteral("%1/settings-%2.db").arg(m_folder).arg(++m_generation));
    Settings settings(*m_registry);
    settings.runFirstStart({});
    settings.set(Setting::Host, host);
    settings.set(Setting::Port, qint32(port));
    m_client = std::make_shared<ServiceClient>(m_registry);
    m_routine = std::make_unique<LoginRoutine>(m_client);
    m_record.take();
}

void ServiceFixture::login() {
    m_record.add(LoginRoutine::connecting());
    if (const std::optional<LoginOutcome> outcome = m_routine->login())
        m_record.add(*outcome);
}

Settings ServiceFixture::settings() const {
    return Settings(*m_registry);
}

QString ServiceFixture::sendSms(const QString& userKey, const QString& sender, const QString& text,
                                const QString& number, int delayMinutes) {
    const ServiceClient::SendExchange exchange =
        m_client->SendSms(userKey, sender, text, number, delayMinutes);
    if (exchange.delivery != ServiceClient::SendExchange::Delivery::Replied)
        throw ServiceError(ServiceError::Kind::Connection, exchange.failure);
    if (exchange.paid)
        m_record.add(QStringLiteral("RestartBalanceTimer"));
    return exchange.reply;
}
