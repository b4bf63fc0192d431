#pragma once

#include <QByteArray>

#include <optional>

// Setting, changing and removing the access password. The password itself is never kept:
// it scrambles the account key, and the stored value is that text enciphered.
namespace AccessPassword {

struct Change {
    QByteArray userKey;       // the key in plain
    QByteArray storedKeyText; // the key as the new password protects it
    QByteArray storedValue;   // what goes into the settings key: plain, or enciphered
};

// The change from `storedKeyText` (the key as the current password protects it) to a new
// password; nothing when `currentPassword` does not unscramble it into a well-formed key.
// An empty new password leaves the key plain.
std::optional<Change> change(const QByteArray& storedKeyText, const QByteArray& currentPassword,
                             const QByteArray& newPassword);

// The plain key when `password` unscrambles the protected text into a well-formed key.
std::optional<QByteArray> unlock(const QByteArray& storedKeyText, const QByteArray& password);

} // namespace AccessPassword
