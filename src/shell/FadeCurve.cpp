#include "FadeCurve.h"

#include <algorithm>
#include <cmath>

namespace FadeCurve {

int roundHalfEven(double value) {
    return int(std::nearbyint(value)); // the default rounding mode rounds halves to even
}

int fadeInValue(int start, int previous, qint64 elapsedMs, int durationMs) {
    const int v = durationMs > 0
                      ? roundHalfEven(start + (255.0 - start) * double(elapsedMs) / durationMs)
                      : previous + 1;
    return std::min(255, v);
}

int fadeOutValue(int start, int target, int previous, qint64 elapsedMs, int durationMs) {
    const int v =
        durationMs > 0
            ? roundHalfEven(start - double(start - target) * double(elapsedMs) / durationMs)
            : previous - 1;
    return std::max(target, v);
}

} // namespace FadeCurve
