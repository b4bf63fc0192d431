#pragma once

#include <QByteArray>
#include <QString>

class Registry;

// The account key as the settings key's default value holds it: plain, or protected by the
// access password.
namespace AccountKey {

// The stored value's code-page bytes; empty when there is none.
QByteArray storedValue(Registry& registry);

// The stored value as the access password works on it: a protected value deciphered, any
// other value as stored. A protected value that does not decipher gives an empty text.
QByteArray storedKeyText(const QByteArray& storedValue);

// True when the stored value is the protected form, which start-up asks the password for.
bool isProtected(const QByteArray& storedValue);

// True when the stored value is the protected form but no password can make a key of it:
// it does not decipher, or not into a text of a key's length. Start-up then asks for no
// password (every text would pass, or none would) and says the key cannot be read.
bool isUnreadable(const QByteArray& storedValue);

// Writes `value` as the default value; it is on disk when this returns. Throws RegistryError.
void writeStoredValue(Registry& registry, const QByteArray& value);

} // namespace AccountKey
