#pragma once

#include "cli/CliContext.h"

#include <QStringList>

// varnelo-cli balance: see kHelp in the source for its arguments.
namespace BalanceCommand {

// The arguments after the command's name; returns the exit code.
int run(const QStringList& arguments, const CliContext::OpenStore& openStore);

} // namespace BalanceCommand
