#include "StatusReply.h"

#include "service/ServiceNumber.h"

#include <QRegularExpression>

namespace StatusReply {

std::optional<quint8> readCode(const QString& reply) {
    const std::optional<qint32> code = ServiceNumber::readInteger(reply);
    if (!code || *code < 0 || *code > 255)
        return std::nullopt;
    return static_cast<quint8>(*code);
}

std::optional<QList<quint8>> readCodes(const QString& reply, qsizetype count) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = reply.split(lineBreak);
    // A line break ends the last line rather than starting another.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (count < 0 || lines.size() < count)
        return std::nullopt;
    QList<quint8> codes;
    codes.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const std::optional<quint8> code = readCode(lines[i]);
        if (!code)
            return std::nullopt;
        codes.append(*code);
    }
    return codes;
}

} // namespace StatusReply
