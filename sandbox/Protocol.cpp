#include "Protocol.h"

#include "platform/Ansi.h"

#include <QRandomGenerator>

namespace Protocol {

QList<QByteArray> fields(const QByteArray& text) {
    return text.split(kField);
}

QByteArray randomHex(int length) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    QByteArray out(length, '0');
    for (char& c : out)
        c = kDigits[QRandomGenerator::system()->bounded(16)];
    return out;
}

QByteArray normalizedKey(const QByteArray& key) {
    return key.trimmed().toUpper();
}

bool isValidNumber(const QByteArray& number) {
    if (number.size() < 11 || number.size() > 16 || number.front() != '+')
        return false;
    for (qsizetype i = 1; i < number.size(); ++i)
        if (number[i] < '0' || number[i] > '9')
            return false;
    return true;
}

bool isValidSender(const QByteArray& sender) {
    if (sender.isEmpty())
        return false;
    bool allDigits = true;
    bool allowedName = true;
    for (char c : sender) {
        const bool digit = c >= '0' && c <= '9';
        const bool latin = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        allDigits = allDigits && digit;
        allowedName =
            allowedName && (digit || latin || c == '.' || c == '-' || c == '_' || c == ' ');
    }
    return (allowedName && sender.size() <= 11) || (allDigits && sender.size() <= 15);
}

int partsFor(int length, int partLength) {
    if (partLength <= 0 || length <= 0)
        return 1;
    return length / partLength + (length % partLength > 0 ? 1 : 0);
}

QByteArray noticeText(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QByteArray bytes = Ansi::fromUnicode(lines);
    bytes.replace('\n', kLineBreak);
    return bytes;
}

QByteArray serviceMessage(const QString& text) {
    return QByteArray(3, kField) + noticeText(text);
}

} // namespace Protocol
