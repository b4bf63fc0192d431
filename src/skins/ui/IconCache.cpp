#include "IconCache.h"

#include <QPixmap>

QIcon IconCache::icon(const QImage& image) {
    if (image.isNull())
        return {};
    auto found = m_icons.constFind(image.cacheKey());
    if (found == m_icons.constEnd())
        found = m_icons.insert(image.cacheKey(), QIcon(QPixmap::fromImage(image)));
    return *found;
}
