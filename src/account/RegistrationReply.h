#pragma once

#include <QString>

// What the service's answer to a registration means.
namespace RegistrationReply {

enum class Verdict {
    ActivationFailed, // "ERROR" in any case
    EmailTaken,       // empty or "-1"
    Unknown,          // anything but a 48-character key
    Key,              // the new account key
};

Verdict judge(const QString& reply);

// The registration code as typed, every blank taken out (it is often typed in groups).
QString withoutBlanks(const QString& code);

} // namespace RegistrationReply
