#include "AccountKey.h"

#include "platform/Registry.h"
#include "shared/StoredValueCipher.h"

namespace {
constexpr int kPlainKeyLength = 48;
} // namespace

QByteArray AccountKey::storedValue(Registry& registry) {
    return registry.readBytes(QString(), QString()).value_or(QByteArray());
}

bool AccountKey::isProtected(const QByteArray& storedValue) {
    return !StoredValueCipher::IsPlainUserKey(storedValue) && storedValue.size() > kPlainKeyLength;
}

bool AccountKey::isUnreadable(const QByteArray& storedValue) {
    if (!isProtected(storedValue))
        return false;
    // The password scrambles byte by byte, so the protected text has the key's own length.
    const std::optional<QByteArray> protectedText =
        StoredValueCipher::DecipherValue(storedValue, StoredValueCipher::kUserKeyKey);
    return !protectedText || protectedText->size() != kPlainKeyLength;
}

QByteArray AccountKey::storedKeyText(const QByteArray& storedValue) {
    if (!isProtected(storedValue))
        return storedValue;
    return StoredValueCipher::DecipherValue(storedValue, StoredValueCipher::kUserKeyKey)
        .value_or(QByteArray());
}

void AccountKey::writeStoredValue(Registry& registry, const QByteArray& value) {
    registry.writeBytes(QString(), QString(), value);
}
