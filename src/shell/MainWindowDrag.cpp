#include "MainUnit.h"

#include "WindowSnap.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>
#include <QWindow>

// Moving the frameless main window by its header and sizing it by the grip, both snapping to
// the work area, and the status bar's click.

QPoint TMainForm::snappedPosition(const QPoint& planned) const {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return planned;
    return SnapToWorkArea(QRect(planned, frameGeometry().size()), screen->availableGeometry());
}

QRect TMainForm::sizedGeometry(const QRect& from, int heightChange) const {
    QRect planned = from;
    planned.setHeight(qMax(minimumHeight(), from.height() + heightChange));
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen)
        planned.moveTopLeft(SnapToWorkArea(planned, screen->availableGeometry()));
    return planned;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    const auto mouse = [event] { return static_cast<QMouseEvent*>(event); };
    if (watched == m_headerImage) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (mouse()->button() == Qt::LeftButton) {
                // Only the compositor moves a Wayland window, and it snaps as it likes.
                if (!placesItself() && windowHandle() && windowHandle()->startSystemMove())
                    return true;
                m_dragging = true;
                m_dragOffset = mouse()->globalPosition().toPoint() - frameGeometry().topLeft();
                return true;
            }
            break;
        case QEvent::MouseMove:
            if (m_dragging) {
                move(snappedPosition(mouse()->globalPosition().toPoint() - m_dragOffset));
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (mouse()->button() == Qt::LeftButton && m_dragging) {
                m_dragging = false;
                return true;
            }
            break;
        default:
            break;
        }
    } else if (watched == m_sizeGrip && m_sizeGrip) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (mouse()->button() == Qt::LeftButton) {
                if (!placesItself() && windowHandle() &&
                    windowHandle()->startSystemResize(Qt::BottomEdge))
                    return true;
                m_sizing = true;
                m_sizingStart = mouse()->globalPosition().toPoint();
                m_sizingFrom = frameGeometry();
            }
            return true;
        case QEvent::MouseMove:
            if (m_sizing) {
                const QRect planned = sizedGeometry(
                    m_sizingFrom, mouse()->globalPosition().toPoint().y() - m_sizingStart.y());
                move(planned.topLeft());
                resize(width(), planned.height());
            }
            return true;
        case QEvent::MouseButtonRelease:
            if (mouse()->button() == Qt::LeftButton)
                m_sizing = false;
            return true;
        default:
            break;
        }
    } else if ((watched == m_statusBar || watched == m_statusLabel) &&
               event->type() == QEvent::MouseButtonRelease && mouse()->button() == Qt::LeftButton) {
        statusBarClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
