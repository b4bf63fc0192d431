#pragma once

class QObject;

// How the C library's allocator hands memory back. By default glibc raises its threshold for
// mapping a block on its own to the size of each large block freed, so that a history read
// or a window's backing store of yesterday's size is later carved from the heap and the pages
// around it stay with the process after it is freed. A fixed threshold maps every large block
// on its own and returns it whole when freed; a low trim threshold gives back the heap's free
// top. Called first thing at start, before any allocation worth the name.
namespace HeapSettings {

constexpr int kMmapThresholdBytes = 64 * 1024;
constexpr int kTrimThresholdBytes = 128 * 1024;

void apply();

// Free memory inside the heaps, between blocks still in use, is never given back by itself:
// a day of sends, history reads and pages leaves the heaps full of such holes, and RSS climbs
// though the live heap does not. Once a minute, when more than kReleaseAboveBytes lies free,
// their whole free pages go back to the system. Runs while `owner` lives.
constexpr int kReleaseIntervalMs = 60 * 1000;
constexpr long kReleaseAboveBytes = 1024 * 1024;

void releaseFreedPeriodically(QObject* owner);
// Gives back the free pages now, when enough lies free; true when it did.
bool releaseFreed();

} // namespace HeapSettings
