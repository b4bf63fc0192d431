#pragma once

#include "SandboxContext.h"

// Buying and redeeming balance vouchers (","). Takes the request text after the command
// code; the caller holds the context's mutex.
namespace VoucherCommands {

Outcome voucher(SandboxContext& context, const QByteArray& fields);

} // namespace VoucherCommands
