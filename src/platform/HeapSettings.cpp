#include "HeapSettings.h"

#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void HeapSettings::apply() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, kMmapThresholdBytes);
    mallopt(M_TRIM_THRESHOLD, kTrimThresholdBytes);
#endif
}

bool HeapSettings::releaseFreed() {
#if defined(__GLIBC__)
    // Free chunks of every arena; the blocks mapped on their own are returned when freed.
    if (mallinfo2().fordblks <= size_t(kReleaseAboveBytes))
        return false;
    malloc_trim(0);
    return true;
#else
    return false;
#endif
}

void HeapSettings::releaseFreedPeriodically(QObject* owner) {
    auto* timer = new QTimer(owner);
    // A late minute changes nothing; a coarse timer lets the system batch the wake-up.
    timer->setTimerType(Qt::VeryCoarseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, [] { releaseFreed(); });
    timer->start(kReleaseIntervalMs);
}
