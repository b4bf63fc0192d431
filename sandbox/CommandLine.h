#pragma once

#include "Settings.h"

#include <QString>
#include <QStringList>

#include <optional>

// The options of varnelo-sandbox. parse() prints help, version or the first error itself.
struct CommandLine {
    QString host = QStringLiteral("127.0.0.1");
    int port = 3000;
    QString databasePath;
    bool quiet = false;
    Settings settings;

    // Unset when the program should end at once with `exitCode` (help, version, an error).
    static std::optional<CommandLine> parse(const QStringList& arguments, int* exitCode);
};
