#include "ServiceState.h"

#include "platform/Registry.h"

namespace ServiceState {

namespace {

PublishedValue<Settings::ServerAddress> g_address;
PublishedValue<std::shared_ptr<Registry>> g_settingsStore;

} // namespace

void SetServiceAddress(const QString& host, qint32 port) {
    g_address.set({host, port});
}

Settings::ServerAddress ServiceAddress() {
    return g_address.get();
}

QString ServiceHost() {
    return g_address.get().host;
}

qint32 ServicePort() {
    return g_address.get().port;
}

Tariff CurrentTariff() {
    Tariff tariff;
    tariff.SmsPrice = SmsPrice.get();
    tariff.ExtraPartPrice = ExtraPartPrice.get();
    tariff.PartLength = PartLength.get();
    tariff.MaxMessageLength = MaxMessageLength.get();
    tariff.CheckTextLength = CheckTextLength.get();
    return tariff;
}

void SetSettingsStore(std::shared_ptr<Registry> registry) {
    g_settingsStore.set(std::move(registry));
}

std::shared_ptr<Registry> SettingsStore() {
    return g_settingsStore.get();
}

} // namespace ServiceState
