#include "DisplayPlatform.h"

#include <QtGlobal>

QByteArray DisplayPlatform::choose(const QByteArray& userChoice, const QByteArray& display,
                                   const QByteArray& waylandDisplay) {
    if (!userChoice.isEmpty() || display.isEmpty())
        return {};
    // Wayland only when the X server cannot be reached after all.
    return waylandDisplay.isEmpty() ? QByteArrayLiteral("xcb") : QByteArrayLiteral("xcb;wayland");
}

QByteArray DisplayPlatform::chooseFromEnvironment() {
    return choose(qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"));
}

bool DisplayPlatform::isWayland(const QString& platformName) {
    return platformName.startsWith(QLatin1String("wayland"));
}
