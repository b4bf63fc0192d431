#pragma once

#include "cli/CliContext.h"

#include <QStringList>

// varnelo-cli contacts: see kHelp in the source for its arguments.
namespace ContactsCommand {

// The arguments after the command's name; returns the exit code.
int run(const QStringList& arguments, const CliContext::OpenStore& openStore);

} // namespace ContactsCommand
