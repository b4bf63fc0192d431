#pragma once

#include <QByteArray>

#include <optional>

// Protection of the two values that never go into the settings store in plain: the proxy
// password and, while an access password is set, the account key. All texts are
// code-page-1251 byte strings. Failures come back as an empty optional.
namespace StoredValueCipher {

inline constexpr char kProxyPasswordKey[] = "5E2A9C71D04B38F6A91C7E25B0D4F683";
inline constexpr char kUserKeyKey[] = "Pradun_KT";

QByteArray ToHexText(const QByteArray& text);
// Odd length gives an empty text; a digit outside the hexadecimal range fails.
std::optional<QByteArray> FromHexText(const QByteArray& hex);

QByteArray EncipherValue(const QByteArray& text, const QByteArray& key);
// Fails on a cipher text that EncipherValue cannot have made.
std::optional<QByteArray> DecipherValue(const QByteArray& cipher, const QByteArray& key);

// Its own inverse for a given password; an empty text or password leaves the text as it is.
QByteArray ScrambleWithPassword(const QByteArray& text, const QByteArray& password);

// Empty, or exactly 48 characters of "0"-"9" and "A"-"F".
bool IsPlainUserKey(const QByteArray& text);

} // namespace StoredValueCipher
