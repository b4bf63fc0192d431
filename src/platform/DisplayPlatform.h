#pragma once

#include <QByteArray>
#include <QString>

// Which of the desktop's display servers the program talks to. Under Xwayland (xcb) a
// window places itself, is dragged and snapped and fades; a native Wayland window is placed
// by the compositor alone, so the program then leaves positions to it.
namespace DisplayPlatform {

// The platform plugin list to hand Qt, from the environment's QT_QPA_PLATFORM, DISPLAY and
// WAYLAND_DISPLAY; empty leaves the choice to Qt. The user's own choice always stands.
QByteArray choose(const QByteArray& userChoice, const QByteArray& display,
                  const QByteArray& waylandDisplay);
// The same from this process's environment.
QByteArray chooseFromEnvironment();

// Whether a platform of that name (QGuiApplication::platformName()) is Wayland's.
bool isWayland(const QString& platformName);

} // namespace DisplayPlatform
