#include "RegistrationReply.h"

#include "platform/Ansi.h"

namespace {
constexpr int kKeyLength = 48;
} // namespace

RegistrationReply::Verdict RegistrationReply::judge(const QString& reply) {
    if (Ansi::toUpper(reply) == QLatin1String("ERROR"))
        return Verdict::ActivationFailed;
    if (reply.isEmpty() || reply == QLatin1String("-1"))
        return Verdict::EmailTaken;
    if (reply.size() != kKeyLength)
        return Verdict::Unknown;
    return Verdict::Key;
}

QString RegistrationReply::withoutBlanks(const QString& code) {
    QString result;
    result.reserve(code.size());
    for (const QChar c : code) {
        if (!c.isSpace())
            result += c;
    }
    return result;
}
