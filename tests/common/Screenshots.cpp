#include "Screenshots.h"

#include <QImage>
#include <QPixmap>
#include <QTest>
#include <QWidget>

namespace Screenshots {

namespace {

QString folder() {
    return qEnvironmentVariable("VARNELO_SCREENSHOTS");
}

QString fileFor(const QString& name) {
    return folder() + QLatin1Char('/') + name + QStringLiteral(".png");
}

} // namespace

bool wanted() {
    return !folder().isEmpty();
}

bool save(QWidget* widget, const QString& name, const QRect& area) {
    if (!wanted())
        return true;
    if (!widget->isVisible()) {
        widget->show();
        if (!QTest::qWaitForWindowExposed(widget))
            return false;
    }
    return (area.isValid() ? widget->grab(area) : widget->grab()).save(fileFor(name));
}

bool save(const QImage& picture, const QString& name) {
    return !wanted() || picture.save(fileFor(name));
}

} // namespace Screenshots
