#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

// Every fsync and fdatasync this process makes, counted and timed by the folder of the file
// it flushes. The program that links this defines both calls, so SQLite's and QSaveFile's
// flushes pass through here on their way to the C library.
namespace DiskSyncs {

enum Kind { Store, History, Other, kKinds };

struct Figures {
    std::array<qint64, kKinds> count{};
    std::array<qint64, kKinds> nanoseconds{};

    double ms(Kind kind) const { return double(nanoseconds[kind]) / 1e6; }
    Figures operator-(const Figures& earlier) const;
};

// The folders whose files count as the settings store's (the journal lives there) and the
// history's. Set once, before any thread flushes a file.
void watch(const QString& storeFolder, const QString& historyFolder);
Figures now();

} // namespace DiskSyncs
