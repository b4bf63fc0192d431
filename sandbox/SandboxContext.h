#pragma once

#include "Faults.h"
#include "RequestLog.h"
#include "Settings.h"
#include "Store.h"

#include <mutex>

// Everything a request may touch. `mutex` guards `store` and `settings`: every protocol
// command and every admin call runs under it, whole, so a command sees and leaves a
// consistent state. The log and the faults guard themselves.
class SandboxContext {
public:
    SandboxContext(const Settings& initial, const QString& databasePath);

    bool isOpen() const { return store.isOpen(); }
    qint64 now() const; // milliseconds since the epoch

    // Back to the state of a fresh start with the command line's settings. Caller holds `mutex`.
    void reset();

    const Settings initial;
    Settings settings;
    Store store;
    RequestLog log;
    Faults faults;
    std::mutex mutex;

private:
    void addStartRefusals();
};

// The outcome of one protocol request: which command it was, and the reply text.
struct Outcome {
    QString command;
    QByteArray reply;
};
