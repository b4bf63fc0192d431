#pragma once

#include "SandboxContext.h"

// Routes a decoded request text to its command by the first character and answers it.
// Every input gets a reply the client can read; an empty text or an unknown command is
// answered "-1".
namespace Dispatcher {

Outcome handle(SandboxContext& context, const QByteArray& request);

} // namespace Dispatcher
