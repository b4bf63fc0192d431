#pragma once

#include "cli/CliContext.h"

#include <QStringList>

// varnelo-cli config: see kHelp in the source for its arguments.
namespace ConfigCommand {

// The arguments after the command's name; returns the exit code.
int run(const QStringList& arguments, const CliContext::OpenStore& openStore);

} // namespace ConfigCommand
