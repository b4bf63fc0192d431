#pragma once

#include <QMap>
#include <QString>

// What the soak did and what came of it, counted as it went.
struct SoakCounters {
    int sendsTried = 0;       // clicks on a page's send button
    int sendsNotPossible = 0; // the page would not send (its button stayed disabled)
    int groupSends = 0;       // of the tried, to a group of the book
    int sendsRecorded = 0;    // sends whose accepted messages the window wrote to the history
    int pagesClosed = 0;
    QMap<QString, int> sendOutcomes; // the send window's final status texts, ids as "N"
    QMap<QString, int> faultsArmed;  // by kind
    int statusQueries = 0;           // finished, of the history window
    int statusQueriesFailed = 0;
    int balanceClicks = 0;      // status-bar clicks
    int balanceClicksTaken = 0; // those that found the click armed and asked for a refresh
    int cliRuns = 0;
    int cliFailures = 0; // a non-zero exit, a crash, or a read that gave the wrong value
    QString lastCliFailure;
    int urlsOpened = 0; // addresses handed to the desktop (payment page, guide)
};
