#pragma once

#include <QHash>
#include <QIcon>
#include <QImage>

// One icon per picture, for a window that makes the same buttons again and again (the send
// window, a page per recipient): an icon made afresh each time leaves copies of its scaled
// pictures in Qt's pixmap cache, and the program grows over a long day.
class IconCache {
public:
    QIcon icon(const QImage& image);

private:
    QHash<qint64, QIcon> m_icons; // by the picture's cache key
};
