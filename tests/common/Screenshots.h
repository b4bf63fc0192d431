#pragma once

#include <QRect>
#include <QString>

class QImage;
class QWidget;

// Pictures of windows for a person to look at, taken only when VARNELO_SCREENSHOTS names a
// folder; a run without it takes none.
namespace Screenshots {

bool wanted();

// Saves `widget` (only `area` of it, when given) as <folder>/<name>.png, showing it first
// when it is hidden. False when the picture was wanted and could not be saved.
bool save(QWidget* widget, const QString& name, const QRect& area = {});
bool save(const QImage& picture, const QString& name);

} // namespace Screenshots
