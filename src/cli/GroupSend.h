#pragma once

#include "cli/CliContext.h"
#include "cli/CliSend.h"

#include <QDateTime>
#include <QString>

// varnelo-cli send --group: the message to every contact of a group of the book that has a
// number, its fields filled per contact, priced before anything goes out.
namespace GroupSend {

struct Options {
    QString group; // the group's caption
    bool dryRun = false;
    bool yes = false;     // a send above the confirmation threshold goes without asking
    bool offline = false; // no login: the tariff of the last one, the balance unknown
    QDateTime at;         // valid: the send waits in the journal until then (UTC), offline
};

// Returns the exit code.
int run(const CliSend::Message& message, const Options& options,
        const CliContext::OpenStore& openStore);

} // namespace GroupSend
