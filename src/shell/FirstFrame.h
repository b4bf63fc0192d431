#pragma once

#include <functional>

class QWidget;

// Work that nobody sees at start waits until the window has drawn its first frame, so that
// the window comes up sooner.
namespace FirstFrame {

// A window that is never drawn (covered on a desktop without compositing) gets the work this
// long after the call at the latest.
inline constexpr int kLatestMs = 1000;

// Runs `work` once, right after the window's first frame, or after kLatestMs; never after the
// window is gone.
void then(QWidget& window, std::function<void()> work);

} // namespace FirstFrame
