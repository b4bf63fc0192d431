#pragma once

#include "SandboxContext.h"

// Sending and delivery status. Each takes the request text after its command code; the
// caller holds the context's mutex.
namespace MessageCommands {

Outcome sendSms(SandboxContext& context, const QByteArray& fields);
Outcome queryMessagesStatus(SandboxContext& context, const QByteArray& fields);
Outcome queryMessageStatus(SandboxContext& context, const QByteArray& fields);

// Where a message stands at `nowMs`: 10 (sent) until its delay has passed and one status
// step more, then 1 (queued) for a step, then its final status: 2 for a number ending in
// "00", 12 for one ending in "99", 11 (delivered) otherwise. A status set by the admin wins.
int statusAt(const Message& message, qint64 nowMs, const Settings& settings);

} // namespace MessageCommands
