#include "InputBlock.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

bool isInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

} // namespace

InputBlock::InputBlock(QWidget* window, Qt::CursorShape cursor)
    : m_window(window) {
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(cursor);
}

InputBlock::~InputBlock() {
    QApplication::restoreOverrideCursor();
}

bool InputBlock::eventFilter(QObject* watched, QEvent* event) {
    if (m_window && watched->isWidgetType() && isInput(event->type())) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget == m_window || m_window->isAncestorOf(widget)) {
            // A close event that no handler sees stays accepted: the window would close.
            if (event->type() == QEvent::Close)
                event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
