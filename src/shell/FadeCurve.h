#pragma once

#include <QtGlobal>

// The opacity values of the main window's fades. Values are rounded to the nearest integer
// with halves going to the even one, and never pass their target. A duration of zero or
// less cannot be divided by: the value then moves one step past the previous one.
namespace FadeCurve {

// From `start` up to 255 over `durationMs`.
int fadeInValue(int start, int previous, qint64 elapsedMs, int durationMs);
// From `start` down to `target` over `durationMs`.
int fadeOutValue(int start, int target, int previous, qint64 elapsedMs, int durationMs);

// Nearest integer, halves to the even one.
int roundHalfEven(double value);

} // namespace FadeCurve
