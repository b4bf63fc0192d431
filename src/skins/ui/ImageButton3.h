#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

class QPainter;

// A push button drawn entirely from pictures, whose window takes the outline of the
// pictures' non-transparent pixels. It can also latch in a group where at most one button
// is down (the main window's toolbar).
class TImageButton : public QWidget {
    Q_OBJECT
public:
    enum TTransparentMode { tmAuto = 0, tmFixed = 1 };
    enum VisualState : quint8 { Normal = 0, MouseOver = 1, Pressed = 2 };

    explicit TImageButton(QWidget* parent = nullptr);

    void setNoneBitmap(const QImage& image);
    void setOverBitmap(const QImage& image);
    void setDownBitmap(const QImage& image);
    void setUpBitmap(const QImage& image);
    void setFocusedBitmap(const QImage& image);
    void setDisabledBitmap(const QImage& image);
    const QImage& NoneBitmap() const { return m_none; }
    const QImage& UpBitmap() const { return m_up; }

    QColor TransparentColor() const { return m_transparentColor; }
    void setTransparentColor(const QColor& color); // switches to tmFixed
    TTransparentMode TransparentMode() const { return m_mode; }
    void setTransparentMode(TTransparentMode mode);

    int GroupIndex() const { return m_groupIndex; }
    void setGroupIndex(int index);
    bool Down() const { return m_down; }
    void setDown(bool down);
    bool AllowAllUp() const { return m_allowAllUp; }
    void setAllowAllUp(bool allow);

    bool Default() const { return m_default; }
    void setDefault(bool value);
    bool Cancel() const { return m_cancel; }
    void setCancel(bool value) { m_cancel = value; }
    int ModalResult() const { return m_modalResult; }
    void setModalResult(int result) { m_modalResult = result; }

    VisualState visualState() const { return m_state; }
    // The picture as last composed for the current state (for painting and tests).
    const QImage& composed() const { return m_work; }
    int shapeUpdates() const { return m_shapeUpdates; }

    // Clicks as a press and release would (keyboard, Default/Cancel, code).
    void Click();

signals:
    void clicked();
    void OnMouseEnter();
    void OnMouseLeave();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr quint8 kShapeStale = 10;
    static constexpr int kFocusFrameWidth = 2;

    void Redraw();
    bool showsFocusFrame() const;
    void drawFocusFrame(QPainter& painter, const QSize& area) const;
    void announceToGroup();
    void groupButtonPressed(int groupIndex, TImageButton* sender);
    void takeAutoColor();
    bool canTakeFocus() const;
    void watchWindowKeys();

    QImage m_none, m_over, m_downImage, m_up, m_focused, m_disabled;
    QImage m_work;
    QColor m_transparentColor = Qt::black;
    TTransparentMode m_mode = tmAuto;
    int m_groupIndex = 0;
    bool m_down = false;
    bool m_allowAllUp = false;
    bool m_default = false;
    bool m_cancel = false;
    bool m_mouseInside = false;
    int m_modalResult = 0;
    VisualState m_state = Normal;
    quint8 m_shapedState = kShapeStale;
    int m_shapeUpdates = 0;
    QWidget* m_watchedWindow = nullptr;
};
