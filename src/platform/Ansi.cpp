#include "Ansi.h"

#include <QStringDecoder>

#include <array>
#include <unordered_map>

namespace {

// Unicode of the bytes 0x80..0xFF. 0x98 is unassigned and maps to U+0098, so that every
// byte survives a round trip.
constexpr std::array<char16_t, 128> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

const std::unordered_map<char16_t, unsigned char>& reverseTable() {
    static const auto table = [] {
        std::unordered_map<char16_t, unsigned char> map;
        for (int i = 0; i < 128; ++i)
            map.emplace(kHighHalf[i], static_cast<unsigned char>(0x80 + i));
        return map;
    }();
    return table;
}

} // namespace

namespace Ansi {

char toByte(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80)
        return static_cast<char>(u);
    // "А" to "я" fill 0xC0 to 0xFF in order: most of a Russian text needs no look-up.
    if (u >= 0x0410 && u <= 0x044F)
        return static_cast<char>(0xC0 + (u - 0x0410));
    const auto& table = reverseTable();
    const auto it = table.find(u);
    return it == table.end() ? '?' : static_cast<char>(it->second);
}

QChar fromByte(char byte) {
    const auto b = static_cast<unsigned char>(byte);
    return b < 0x80 ? QChar(b) : QChar(kHighHalf[b - 0x80]);
}

QByteArray fromUnicode(const QString& text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar c : text)
        *out++ = toByte(c);
    return bytes;
}

bool encodesAs(const QString& text, const QByteArray& bytes) {
    if (text.size() != bytes.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (toByte(text[i]) != bytes[i])
            return false;
    }
    return true;
}

QString toUnicode(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = fromByte(byte);
    return text;
}

QString fromUtf8OrAnsi(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? toUnicode(bytes.toByteArray()) : text;
}

QString representable(const QString& text) {
    // Every character the code page holds comes back as itself, so a text without any
    // other is returned as it is, without the two copies of the round trip.
    for (const QChar c : text) {
        if (c.unicode() >= 0x80 && toByte(c) == '?')
            return toUnicode(fromUnicode(text));
    }
    return text;
}

int compare(const QString& a, const QString& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(toByte(a[i]));
        const auto cb = static_cast<unsigned char>(toByte(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

QChar toUpper(QChar c) {
    const char16_t u = c.unicode();
    if ((u >= 'a' && u <= 'z') || (u >= 0x0430 && u <= 0x044F))
        return QChar(char16_t(u - 0x20));
    if (u == 0x0451) // ё
        return QChar(char16_t(0x0401));
    return c;
}

QChar toLower(QChar c) {
    const char16_t u = c.unicode();
    if ((u >= 'A' && u <= 'Z') || (u >= 0x0410 && u <= 0x042F))
        return QChar(char16_t(u + 0x20));
    if (u == 0x0401) // Ё
        return QChar(char16_t(0x0451));
    return c;
}

QString toUpper(const QString& text) {
    QString result = text;
    for (QChar& c : result)
        c = toUpper(c);
    return result;
}

QString toLower(const QString& text) {
    QString result = text;
    for (QChar& c : result)
        c = toLower(c);
    return result;
}

} // namespace Ansi
