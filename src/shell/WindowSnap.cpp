#include "WindowSnap.h"

#include <cstdlib>

QPoint SnapToWorkArea(const QRect& planned, const QRect& workArea, int distance) {
    // Right and bottom edges as the window system counts them: one past the last pixel.
    const int left = workArea.left();
    const int top = workArea.top();
    const int right = workArea.left() + workArea.width();
    const int bottom = workArea.top() + workArea.height();
    const int w = planned.width();
    const int h = planned.height();
    int x = planned.x();
    int y = planned.y();
    if (std::abs(left - x) <= distance)
        x = left;
    if (std::abs((right - w) - x) <= distance)
        x = right - w;
    if (std::abs(top - y) <= distance)
        y = top;
    if (std::abs((bottom - h) - y) <= distance)
        y = bottom - h;
    return {x, y};
}
