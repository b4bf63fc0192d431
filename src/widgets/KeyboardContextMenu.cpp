#include "KeyboardContextMenu.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

bool isMenuKey(const QKeyEvent* key) {
    return key->key() == Qt::Key_Menu ||
           (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
}

class MenuKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !isMenuKey(static_cast<QKeyEvent*>(event)))
            return QObject::eventFilter(watched, event);
        auto* window = static_cast<QWidget*>(watched);
        QWidget* focused = QApplication::focusWidget();
        if (!focused || focused->window() != window)
            focused = window;
        QWidget* receiver = KeyboardContextMenu::receiverOf(focused);
        const QPoint at = KeyboardContextMenu::anchorIn(focused);
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, receiver->mapToGlobal(at));
        QApplication::sendEvent(receiver, &menu);
        return true;
    }
};

} // namespace

namespace KeyboardContextMenu {

void enable(QWidget* window) {
    window->installEventFilter(new MenuKeyFilter(window));
}

QWidget* receiverOf(QWidget* widget) {
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget))
        return area->viewport();
    return widget;
}

QPoint anchorIn(QWidget* widget) {
    if (auto* view = qobject_cast<QAbstractItemView*>(widget)) {
        const QRect item = view->visualRect(view->currentIndex());
        if (item.isValid() && view->viewport()->rect().intersects(item))
            return item.center();
        return QPoint(1, 1);
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget))
        return plain->cursorRect().center();
    if (auto* rich = qobject_cast<QTextEdit*>(widget))
        return rich->cursorRect().center();
    return widget->rect().center();
}

} // namespace KeyboardContextMenu
