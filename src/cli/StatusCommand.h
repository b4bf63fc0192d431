#pragma once

#include "cli/CliContext.h"

#include <QStringList>

// varnelo-cli status: see kHelp in the source for its arguments.
namespace StatusCommand {

// The arguments after the command's name; returns the exit code.
int run(const QStringList& arguments, const CliContext::OpenStore& openStore);

} // namespace StatusCommand
