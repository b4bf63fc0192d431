#include "TariffMemory.h"

#include "platform/Registry.h"

namespace TariffMemory {

namespace {

const QString kKey = QStringLiteral("Tariff");
const QString kSmsPrice = QStringLiteral("SmsPrice");
const QString kExtraPartPrice = QStringLiteral("ExtraPartPrice");
const QString kPartLength = QStringLiteral("PartLength");
const QString kMaxMessageLength = QStringLiteral("MaxMessageLength");

// Prices as text with every digit the reply gave: an integer would round them.
QString moneyText(double value) {
    return QString::number(value, 'g', 17);
}

std::optional<double> readMoney(const Registry& store, const QString& name) {
    bool ok = false;
    const double value = store.readString(kKey, name).toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

void remember(Registry& store, const Tariff& tariff) {
    try {
        const std::optional<Tariff> kept = recall(store);
        if (kept && kept->SmsPrice == tariff.SmsPrice &&
            kept->ExtraPartPrice == tariff.ExtraPartPrice &&
            kept->PartLength == tariff.PartLength &&
            kept->MaxMessageLength == tariff.MaxMessageLength)
            return;
        Registry::Transaction transaction(store);
        store.writeString(kKey, kSmsPrice, moneyText(tariff.SmsPrice));
        store.writeString(kKey, kExtraPartPrice, moneyText(tariff.ExtraPartPrice));
        store.writeInteger(kKey, kPartLength, tariff.PartLength);
        store.writeInteger(kKey, kMaxMessageLength, tariff.MaxMessageLength);
        transaction.commit();
    } catch (const RegistryError&) {
        // Kept for the next login to write.
    }
}

std::optional<Tariff> recall(const Registry& store) {
    const std::optional<double> smsPrice = readMoney(store, kSmsPrice);
    const std::optional<double> extraPartPrice = readMoney(store, kExtraPartPrice);
    const std::optional<qint32> partLength = store.readInteger(kKey, kPartLength);
    const std::optional<qint32> maxMessageLength = store.readInteger(kKey, kMaxMessageLength);
    if (!smsPrice || !extraPartPrice || !partLength || !maxMessageLength)
        return std::nullopt;
    Tariff tariff;
    tariff.SmsPrice = *smsPrice;
    tariff.ExtraPartPrice = *extraPartPrice;
    tariff.PartLength = *partLength;
    tariff.MaxMessageLength = *maxMessageLength;
    return tariff;
}

} // namespace TariffMemory
