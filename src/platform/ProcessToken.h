#pragma once

#include <QString>

// Names a running process so that another process can later tell whether it still runs:
// its id with its start time, so that a reused id does not pass for the old process.
namespace ProcessToken {

QString current();
// False once the process named is gone; true for the caller's own token.
bool isAlive(const QString& token);

} // namespace ProcessToken
