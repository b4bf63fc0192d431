#include "HeapSettings.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void HeapSettings::apply() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, kMmapThresholdBytes);
    mallopt(M_TRIM_THRESHOLD, kTrimThresholdBytes);
#endif
}
