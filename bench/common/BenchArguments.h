#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

// The checks every bench program makes of its command line once its options are added:
// parsed, no stray arguments, and whether help was asked for. False when the program should
// not go on: with `*help` set for -h/--help, else with `*error` saying what is wrong.
bool readBenchArguments(QCommandLineParser& parser, const QStringList& arguments,
                        QString* error, bool* help);
