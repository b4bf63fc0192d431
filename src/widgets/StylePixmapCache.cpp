#include "StylePixmapCache.h"

#include <QPixmapCache>

void StylePixmapCache::bound() {
    QPixmapCache::setCacheLimit(kLimitKb);
}
