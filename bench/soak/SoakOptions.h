#pragma once

#include <QStringList>

#include <optional>

// What the soak is told on its command line.
struct SoakOptions {
    // The whole run, sends and all; ten minutes unless told otherwise.
    int durationSeconds = 600;
    // The part of the run that settles the process before its figures count.
    int warmUpSeconds = 60;
    // Chooses the faults and the recipients; the same seed gives the same plan.
    quint32 seed = 0;
    // Leaves right after the run's samples, with everything still alive, so a heap profiler
    // sees what the day kept rather than what the closing freed.
    bool noTeardown = false;

    // Nothing, with `error` set, for a command line that does not parse; `help` set when the
    // caller asked for the usage text.
    static std::optional<SoakOptions> parse(const QStringList& arguments, QString* error,
                                            bool* help);
    static QString usage();
};
