#include "ImageButton3.h"

#include "ImageButtonAccessible.h"

#include <QAccessible>
#include <QBitmap>
#include <QDialog>
#include <QKeyEvent>
#include <QPainter>

namespace {

// A copy of the picture in which the given colour is see-through.
QImage withHoles(const QImage& image, const QColor& transparent) {
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb() | 0xFF000000u;
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if ((line[x] | 0xFF000000u) == key)
                line[x] = 0;
        }
    }
    return result;
}

} // namespace

TImageButton::TImageButton(QWidget* parent)
    : QWidget(parent) {
    // Screen readers learn of every image button through its own description.
    static const bool readable = [] {
        QAccessible::installFactory(&ImageButtonAccessible::create);
        return true;
    }();
    Q_UNUSED(readable);
    setFocusPolicy(Qt::StrongFocus);
    resize(35, 35);
    watchWindowKeys();
    Redraw();
}

void TImageButton::takeAutoColor() {
    if (m_mode == tmAuto && !m_none.isNull())
        m_transparentColor = m_none.pixelColor(0, m_none.height() - 1);
}

void TImageButton::setNoneBitmap(const QImage& image) {
    m_none = image;
    takeAutoColor();
    Redraw();
}

void TImageButton::setOverBitmap(const QImage& image) {
    m_over = image;
    Redraw();
}

void TImageButton::setDownBitmap(const QImage& image) {
    m_downImage = image;
    Redraw();
}

void TImageButton::setUpBitmap(const QImage& image) {
    m_up = image;
    Redraw();
}

void TImageButton::setFocusedBitmap(const QImage& image) {
    m_focused = image;
    Redraw();
}

void TImageButton::setDisabledBitmap(const QImage& image) {
    m_disabled = image;
    Redraw();
}

void TImageButton::setTransparentColor(const QColor& color) {
    m_transparentColor = color;
    m_mode = tmFixed;
    m_shapedState = kShapeStale;
    Redraw();
}

void TImageButton::setTransparentMode(TTransparentMode mode) {
    m_mode = mode;
    takeAutoColor();
    m_shapedState = kShapeStale;
    Redraw();
}

void TImageButton::setGroupIndex(int index) {
    if (index == m_groupIndex)
        return;
    announceToGroup();
    m_groupIndex = index;
    if (index == 0) {
        m_down = false;
        m_shapedState = kShapeStale;
        Redraw();
    }
    announceToGroup();
}

void TImageButton::setDown(bool down) {
    if (m_groupIndex == 0)
        down = false;
    if (down != m_down) {
        // A down button of a group cannot be released by itself.
        if (m_down && !m_allowAllUp)
            return;
        m_down = down;
        announceToGroup();
    }
    m_state = m_down ? Pressed : Normal;
    Redraw();
}

void TImageButton::setAllowAllUp(bool allow) {
    if (allow == m_allowAllUp)
        return;
    m_allowAllUp = allow;
    announceToGroup();
}

void TImageButton::setDefault(bool value) {
    m_default = value;
}

void TImageButton::announceToGroup() {
    if (m_groupIndex == 0 || !parentWidget())
        return;
    const auto siblings =
        parentWidget()->findChildren<TImageButton*>(QString(), Qt::FindDirectChildrenOnly);
    for (TImageButton* sibling : siblings)
        sibling->groupButtonPressed(m_groupIndex, this);
}

void TImageButton::groupButtonPressed(int groupIndex, TImageButton* sender) {
    if (groupIndex != m_groupIndex || sender == this)
        return;
    if (m_down && sender->m_down) {
        m_down = false;
        m_state = Normal;
        Redraw();
    }
    m_allowAllUp = sender->m_allowAllUp;
}

void TImageButton::Click() {
    if (m_modalResult != 0) {
        if (auto* dialog = qobject_cast<QDialog*>(window()))
            dialog->done(m_modalResult);
    }
    if (m_groupIndex == 0) {
        m_state = Normal;
    } else {
        // Through setDown, so that the rest of the group lets go.
        if (m_allowAllUp)
            setDown(!m_down);
        else
            setDown(true);
    }
    if (canTakeFocus())
        setFocus(Qt::OtherFocusReason);
    Redraw();
    emit clicked();
}

bool TImageButton::canTakeFocus() const {
    return isVisible() && isEnabled();
}

void TImageButton::Redraw() {
    takeAutoColor();
    const QSize area = size();
    m_work = QImage(area.isEmpty() ? QSize(1, 1) : area, QImage::Format_ARGB32);
    m_work.fill(m_transparentColor);
    {
        QPainter painter(&m_work);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, m_none);
        if (m_state == MouseOver)
            painter.drawImage(0, 0, m_over);
        else if (m_state == Pressed)
            painter.drawImage(0, 0, m_downImage);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (!isEnabled())
            painter.drawImage(0, 0, withHoles(m_disabled, m_transparentColor));
        if (hasFocus() && !m_focused.isNull())
            painter.drawImage(0, 0, withHoles(m_focused, m_transparentColor));
        else if (showsFocusFrame())
            drawFocusFrame(painter, area);
    }
    // Rebuilding the outline is costly: only when the state changed or it was marked.
    if (m_state != m_shapedState) {
        m_shapedState = m_state;
        ++m_shapeUpdates;
        if (area.isEmpty()) {
            clearMask();
        } else {
            const QImage holes = withHoles(m_work, m_transparentColor);
            setMask(QBitmap::fromImage(holes.createAlphaMask()));
        }
        repaint();
        return;
    }
    update();
}

// Without a picture of its own for the focus, a button reached by the keyboard shows a frame
// like any other control; a click leaves none, as the desktop's buttons do.
bool TImageButton::showsFocusFrame() const {
    return hasFocus() && m_focused.isNull() && window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

void TImageButton::drawFocusFrame(QPainter& painter, const QSize& area) const {
    QColor ink = palette().color(QPalette::Highlight);
    // The frame is part of the outline, so it must never take the see-through colour.
    if (ink.rgb() == m_transparentColor.rgb())
        ink = palette().color(QPalette::WindowText);
    painter.setPen(QPen(ink, kFocusFrameWidth));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = kFocusFrameWidth / 2.0;
    painter.drawRect(
        QRectF(inset, inset, area.width() - kFocusFrameWidth, area.height() - kFocusFrameWidth));
}

void TImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, withHoles(m_work, m_transparentColor));
}

void TImageButton::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_shapedState = kShapeStale;
    Redraw();
}

void TImageButton::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    m_mouseInside = true;
    m_state = m_down ? Pressed : MouseOver;
    Redraw();
    emit OnMouseEnter();
}

void TImageButton::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    m_mouseInside = false;
    m_state = m_down ? Pressed : Normal;
    Redraw();
    emit OnMouseLeave();
}

void TImageButton::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    m_state = Pressed;
    Redraw();
}

void TImageButton::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    if (!m_down) {
        m_state = m_mouseInside || inside ? MouseOver : Normal;
        Redraw();
    }
    if (inside)
        Click();
}

void TImageButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        m_state = Pressed;
        Redraw();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && hasFocus()) {
        Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TImageButton::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        Click();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void TImageButton::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    m_shapedState = kShapeStale;
    Redraw();
}

void TImageButton::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    m_shapedState = kShapeStale;
    Redraw();
}

bool TImageButton::event(QEvent* event) {
    // A reader that already read the button hears of the hint that names it now.
    if (event->type() == QEvent::ToolTipChange && accessibleName().isEmpty()) {
        QAccessibleEvent nameChanged(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&nameChanged);
    }
    return QWidget::event(event);
}

void TImageButton::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        m_shapedState = kShapeStale;
        Redraw();
    } else if (event->type() == QEvent::ParentChange) {
        watchWindowKeys();
    }
}

// Enter and Escape that no other control took travel up to the window: that is where the
// Default and Cancel buttons hear them.
void TImageButton::watchWindowKeys() {
    QWidget* top = window();
    if (top == m_watchedWindow)
        return;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = top == this ? nullptr : top;
    if (m_watchedWindow)
        m_watchedWindow->installEventFilter(this);
}

bool TImageButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_watchedWindow && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && m_default && canTakeFocus()) {
            Click();
            return true;
        }
        if (key->key() == Qt::Key_Escape && m_cancel && canTakeFocus()) {
            Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
