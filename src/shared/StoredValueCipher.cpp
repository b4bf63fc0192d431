#include "StoredValueCipher.h"

namespace {

constexpr char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr int kAlphabetSize = 36;
constexpr char kDefaultKey[] = "73519";

int symbolValue(char c) {
    const int code = static_cast<unsigned char>(c);
    return code >= '0' && code <= '9' ? code - 48 : code - 55;
}

// Keys made of characters below "0" would give negative sums; keep the index in range.
int wrap(int value) {
    const int r = value % kAlphabetSize;
    return r < 0 ? r + kAlphabetSize : r;
}

// The two neighbouring key characters used at (zero-based) position i.
int keyShift(const QByteArray& key, qsizetype i) {
    const qsizetype length = key.size();
    return symbolValue(key[i % length]) + symbolValue(key[(i + 1) % length]);
}

QByteArray effectiveKey(const QByteArray& key) {
    return key.isEmpty() ? QByteArray(kDefaultKey) : key;
}

} // namespace

namespace StoredValueCipher {

QByteArray ToHexText(const QByteArray& text) {
    return text.toHex().toUpper();
}

std::optional<QByteArray> FromHexText(const QByteArray& hex) {
    if (hex.size() % 2 != 0)
        return QByteArray();
    QByteArray result;
    result.reserve(hex.size() / 2);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        const int high = symbolValue(hex[i]);
        if (high < 0 || high > 15)
            return std::nullopt;
        const int value = 16 * high + symbolValue(hex[i + 1]);
        if (value < 0 || value > 255)
            return std::nullopt;
        result.append(static_cast<char>(value));
    }
    return result;
}

QByteArray EncipherValue(const QByteArray& text, const QByteArray& key) {
    const QByteArray k = effectiveKey(key);
    const QByteArray hex = ToHexText(text);
    QByteArray result(hex.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < hex.size(); ++i)
        result[i] = kAlphabet[wrap(symbolValue(hex[i]) + keyShift(k, i) + 3)];
    return result;
}

std::optional<QByteArray> DecipherValue(const QByteArray& cipher, const QByteArray& key) {
    if (cipher.size() % 2 != 0)
        return QByteArray();
    const QByteArray k = effectiveKey(key);
    QByteArray hex(cipher.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < cipher.size(); ++i) {
        const int d = wrap(symbolValue(cipher[i]) - keyShift(k, i) - 3);
        if (d > 15)
            return std::nullopt;
        hex[i] = kAlphabet[d];
    }
    return FromHexText(hex);
}

QByteArray ScrambleWithPassword(const QByteArray& text, const QByteArray& password) {
    if (text.isEmpty() || password.isEmpty())
        return text;
    const qsizetype last = password.size() - 1;
    qsizetype j = last;
    auto state = static_cast<quint8>(last % 256);
    QByteArray result = text;
    for (char& c : result) {
        if ((state & 0x08) == 0)
            state ^= 0x01;
        state = static_cast<quint8>(~state);
        state = static_cast<quint8>((state >> 1) | (state << 7));
        c = static_cast<char>(static_cast<quint8>(c) ^ static_cast<quint8>(password[j]) ^ state);
        if (--j < 0)
            j = last;
    }
    return result;
}

bool IsPlainUserKey(const QByteArray& text) {
    if (text.isEmpty())
        return true;
    if (text.size() != 48)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

} // namespace StoredValueCipher
