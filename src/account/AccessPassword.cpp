#include "AccessPassword.h"

#include "shared/StoredValueCipher.h"

using namespace StoredValueCipher;

std::optional<QByteArray> AccessPassword::unlock(const QByteArray& storedKeyText,
                                                 const QByteArray& password) {
    const QByteArray key = ScrambleWithPassword(storedKeyText, password);
    if (!IsPlainUserKey(key))
        return std::nullopt;
    return key;
}

std::optional<AccessPassword::Change> AccessPassword::change(const QByteArray& storedKeyText,
                                                             const QByteArray& currentPassword,
                                                             const QByteArray& newPassword) {
    const std::optional<QByteArray> key = unlock(storedKeyText, currentPassword);
    if (!key)
        return std::nullopt;
    Change result;
    result.userKey = *key;
    result.storedKeyText = ScrambleWithPassword(*key, newPassword);
    // Any password protects the stored value, even one whose scrambled key happens to look
    // plain: stored plain, start-up would take it as the key without asking.
    result.storedValue = newPassword.isEmpty() || key->isEmpty()
                             ? result.storedKeyText
                             : EncipherValue(result.storedKeyText, kUserKeyKey);
    return result;
}
