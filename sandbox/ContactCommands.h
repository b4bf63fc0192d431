#pragma once

#include "SandboxContext.h"

// The copy of the contact book kept with the service. Each takes the request text after its
// command code; the caller holds the context's mutex.
namespace ContactCommands {

Outcome saveContacts(SandboxContext& context, const QByteArray& fields);
Outcome loadContacts(SandboxContext& context, const QByteArray& fields);

} // namespace ContactCommands
