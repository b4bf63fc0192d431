#pragma once

#include "cli/CliContext.h"

#include <QStringList>

// varnelo-cli outbox: the send journal, and settling a send of unknown outcome.
namespace OutboxCommand {

int run(const QStringList& arguments, const CliContext::OpenStore& openStore);

} // namespace OutboxCommand
