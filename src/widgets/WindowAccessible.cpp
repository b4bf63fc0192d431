#include "WindowAccessible.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace WindowAccessible {

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(&WindowAccessible::create);
        return true;
    }();
    Q_UNUSED(installed);
}

QAccessibleInterface* create(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType() ||
        className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    const Qt::WindowType type = widget->windowType();
    if (!widget->isWindow() || (type != Qt::Window && type != Qt::Tool))
        return nullptr;
    // Only our own windows: the first Qt class they come from is QWidget itself.
    const QMetaObject* meta = object->metaObject();
    while (meta && !QByteArray(meta->className()).startsWith('Q'))
        meta = meta->superClass();
    if (!meta || meta != &QWidget::staticMetaObject)
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

} // namespace WindowAccessible
