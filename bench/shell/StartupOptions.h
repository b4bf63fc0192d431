#pragma once

#include <QStringList>

#include <optional>

// What bench_startup is told on its command line.
struct StartupOptions {
    int pairs = 15;       // start-up rounds of bare, floor and program
    int memoryRuns = 5;   // starts of floor and program each for the resident size
    int idleSeconds = 60; // the program left alone, once per settings variant

    // Nothing, with `error` set, for a command line that does not parse; `help` set when the
    // caller asked for the usage text.
    static std::optional<StartupOptions> parse(const QStringList& arguments, QString* error,
                                               bool* help);
    static QString usage();
};
