#pragma once

#include <QPoint>
#include <QRect>

// How close (pixels) an edge of the main window must come to an edge of the work area to
// stick to it.
inline constexpr int SnapDistance = 10;

// Where a window planned at `planned` lands: each edge within `distance` of the work
// area's edge snaps to it. Left, then right, then top, then bottom, so on a window as wide
// as the work area the right edge wins, and the bottom wins over the top.
QPoint SnapToWorkArea(const QRect& planned, const QRect& workArea, int distance = SnapDistance);
