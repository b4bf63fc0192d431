#include "ServiceFixture.h"

#include "platform/Registry.h"
#include "service/ServiceClient.h"
#include "service/ServiceError.h"
#include "service/ServiceState.h"
#include "shared/Settings.h"

ServiceFixture::ServiceFixture(const QString& folder)
    : m_folder(folder) {
}

ServiceFixture::~ServiceFixture() {
    MainWindowLink::install(nullptr);
    ServiceState::SetSettingsStore(nullptr);
}

void ServiceFixture::reset(quint16 port, const QString& host) {
    m_registry = std::make_shared<Registry>(
        QStringLiteral("%1/settings-%2.db").arg(m_folder).arg(++m_generation));
    Settings settings(*m_registry);
    settings.runFirstStart({});
    settings.set(Setting::Host, host);
    settings.set(Setting::Port, qint32(port));
    ServiceState::SetSettingsStore(m_registry);
    ServiceState::SetServiceAddress(host, port);
    m_link = std::make_shared<RecordingLink>();
    MainWindowLink::install(m_link);

    ServiceState::UserKey.set(QString());
    ServiceState::Balance.set(0);
    ServiceState::SmsPrice.set(0);
    ServiceState::ExtraPartPrice.set(0);
    ServiceState::PartLength.set(70);
    ServiceState::MaxMessageLength.set(70);
    ServiceState::ServerContactsEnabled.set(false);
    ServiceState::ExtraOptionEnabled.set(false);
    ServiceState::ServiceMessage.set(QString());
    ServiceState::LastConnectFailed.set(false);
    ServiceState::RegistrationOffered.set(false);
    ServiceState::OverallCapMs.set(ServiceState::kDefaultOverallCapMs);
    ServiceState::SystemPathCapMs.set(ServiceState::kDefaultSystemPathCapMs);
}

Settings ServiceFixture::settings() const {
    return Settings(*m_registry);
}

QString ServiceFixture::sendSms(const QString& userKey, const QString& sender, const QString& text,
                                const QString& number, int delayMinutes) const {
    const ServiceClient::SendExchange exchange =
        ServiceClient(m_registry).SendSms(userKey, sender, text, number, delayMinutes);
    if (exchange.delivery != ServiceClient::SendExchange::Delivery::Replied)
        throw ServiceError(ServiceError::Kind::Connection, exchange.failure);
    if (exchange.paid)
        m_link->RestartBalanceTimer();
    return exchange.reply;
}
