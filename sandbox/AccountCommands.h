#pragma once

#include "SandboxContext.h"

// Registration, account restore, the login's user info and the account data ("0").
// Each takes the request text after its command code; the caller holds the context's mutex.
namespace AccountCommands {

Outcome registerUser(SandboxContext& context, const QByteArray& fields);
Outcome restoreAccount(SandboxContext& context, const QByteArray& fields);
Outcome getUserInfo(SandboxContext& context, const QByteArray& fields);
Outcome accountData(SandboxContext& context, const QByteArray& fields);

// An account as registration makes it, with the service's defaults; the admin interface
// makes its accounts the same way.
Account newAccount(const SandboxContext& context);
// Inserts `account` with a fresh key when it has none; false when its e-mail (compared
// without case) or its given key is taken.
bool insertWithKey(SandboxContext& context, Account& account);

bool serverContactsAllowed(const SandboxContext& context, const Account& account);
bool extraOptionEnabled(const SandboxContext& context, const Account& account);

} // namespace AccountCommands
