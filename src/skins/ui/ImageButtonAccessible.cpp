#include "ImageButtonAccessible.h"

#include "ImageButton3.h"

ImageButtonAccessible::ImageButtonAccessible(TImageButton* button)
    : QAccessibleWidget(button, QAccessible::Button) {
}

TImageButton* ImageButtonAccessible::button() const {
    return static_cast<TImageButton*>(widget());
}

QString ImageButtonAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
        return widget()->toolTip();
    // The hint already is the name; said twice it only slows the reader down.
    if (t == QAccessible::Description && widget()->accessibleDescription().isEmpty())
        return {};
    return QAccessibleWidget::text(t);
}

QAccessible::State ImageButtonAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    if (button()->GroupIndex() > 0) {
        state.checkable = true;
        state.checked = button()->Down();
    }
    state.pressed = button()->visualState() == TImageButton::Pressed;
    return state;
}

QStringList ImageButtonAccessible::actionNames() const {
    QStringList names = QAccessibleWidget::actionNames();
    if (widget()->isEnabled())
        names.prepend(pressAction());
    return names;
}

void ImageButtonAccessible::doAction(const QString& actionName) {
    if (actionName == pressAction()) {
        if (widget()->isEnabled())
            button()->Click();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

QAccessibleInterface* ImageButtonAccessible::create(const QString& className, QObject* object) {
    if (className == QLatin1String("TImageButton") && object && object->isWidgetType())
        return new ImageButtonAccessible(static_cast<TImageButton*>(object));
    return nullptr;
}
