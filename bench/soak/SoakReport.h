#pragma once

#include "ResourceBudget.h"
#include "SoakCounters.h"
#include "SoakOptions.h"
#include "StoreChecks.h"
#include "platform/ui/Prompts.h"

#include <QList>
#include <QString>

// Everything a run found, for the summary and the verdict.
struct SoakResults {
    SoakOptions options;
    qint64 elapsedMs = 0;
    SoakCounters counters;
    ResourceBudget budget;
    QList<ProcessSample> samples;
    QString acceptedListError; // the service's list could not be read
    StoreChecks::HistoryCheck history;
    int historyLimit = 0;
    QString integrity;
    QList<Prompts::Asked> prompts;
    bool drainTimedOut = false;
};

namespace SoakReport {

// The summary table, the budgets' rules and what broke them.
QString text(const SoakResults& results);
// Every budget held.
bool passed(const SoakResults& results);

} // namespace SoakReport
