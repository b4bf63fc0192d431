#pragma once

#include <QString>

// History.dat did not read whole: a torn last record, records of zero bytes, bytes that are no
// plausible record, or no known header. Such a file is never rewritten before its original
// is kept beside it, byte for byte, as "History.dat.damaged-YYYYMMDD-HHMMSS" (local time).
// The operations of HistoryFile hand this back to say so; the caller tells the user.
struct HistoryDamage {
    QString path;        // the damaged file
    int recordsRead = 0; // the messages taken from it
    QString copyPath;    // where the original is kept; empty when no copy could be made
    QString copyError;   // why not, then
    QString reason;      // what was wrong, in a few words for a log

    // Keeps a copy of the file at `path` beside it, unless a copy of exactly these bytes is
    // there already (a file that stays damaged is met again by every read), and tells
    // where. An existing file is never written over: the name gets a "-2", "-3"...
    static HistoryDamage keepCopy(const QString& path, int recordsRead, const QString& reason);

    // What the user is told, two Russian sentences.
    QString message() const;
    // The error of an operation that would have rewritten the file, had its copy been made.
    QString notRewritten() const;

    friend bool operator==(const HistoryDamage&, const HistoryDamage&) = default;
};
