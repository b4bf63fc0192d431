#pragma once

#include "messaging/SendFlow.h"
#include "messaging/SendPlan.h"

#include <QList>
#include <QString>

#include <atomic>
#include <functional>

// A send of several requests in a row (a personal text per recipient, or one request for a
// whole group): each through the journal, their history records written in batches, and
// a report per number at the end. Runs on a worker; the window and the command-line tool
// share it.

struct BatchItem {
    SendRequest request; // number: one, or a group's joined by "|"
    QStringList contacts; // the contact of each of the request's numbers, in order
};

// A personal text goes to each recipient on its own; one text goes to all of them at once.
// `common` gives the key, sender and delay.
QList<BatchItem> BatchItemsOf(const SendPlan& plan, const SendRequest& common);

struct BatchReport {
    struct Line {
        QString number;
        QString contact;
        QString reason;
    };

    int recipients = 0; // numbers in the whole send
    int accepted = 0;
    QList<Line> refused;  // the service turned them down: nothing was charged
    QList<Line> unknown;  // their outcome is open and kept in the journal
    QList<int> notSent;   // items that never went out, in order
    QList<Line> unsent; // the numbers of those items, reason empty
    // The last result with an outcome that ends the send (low balance, a notice, no
    // connection, a lost reply), or of the last request; with every trace error met.
    SendResult last;

    // "Принято 48 из 50; не принято 2", with what stayed open or unsent after it.
    QString summary() const;
};

class BatchSend {
public:
    // History records are written every `historyBatch` requests, or sooner when the first
    // held one has waited `historyDelayMs`, and at the end.
    explicit BatchSend(const SendTraces& traces, int historyBatch = 200,
                       int historyDelayMs = 5000);

    // After each request that went out: how many of all went so far.
    using Progress = std::function<void(int done, int total)>;
    // Sends the items in order until they are done, `stop` is set (after the request in
    // flight) or an outcome says the rest would fail too. Never throws.
    BatchReport run(const QList<BatchItem>& items, const std::atomic_bool& stop,
                    const Progress& progress = {});

private:
    const SendTraces& m_traces;
    int m_historyBatch;
    int m_historyDelayMs;
};
