#pragma once

#include "settings/ui/OpacityPreview.h"
#include "shared/Settings.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include <functional>

class QWidget;

// The main window's opacity: fixed translucency, fading in while the cursor is over the
// window and out when it leaves, full opacity while it is active (TransparentOnlyInActive)
// and a short fade on closing. The alpha value 0..255 is kept whether or not blending is
// on; it shows only while it is.
class WindowEffects : public QObject, public OpacityPreview {
    Q_OBJECT

public:
    static constexpr int kHoverIntervalMs = 50;
    static constexpr int kClosingFadeMs = 100;

    // settings: a handle on the settings store, kept for the object's life.
    WindowEffects(QWidget* window, const Settings& settings, QObject* parent = nullptr);
    ~WindowEffects() override;

    // Blending from UseAlphaBlend, alpha from AlphaBlendValue: at creation, and to undo
    // a preview of the settings dialog.
    void applyStoredTranslucency() override;
    void setAlphaBlend(bool on) override;
    bool alphaBlend() const { return m_alphaBlend; }
    void setAlpha(int alpha) override;
    int alpha() const { return m_alpha; }

    // The hover watcher, until stop(). It looks at the cursor when the pointer enters or
    // leaves the window, and polls only while its state lags the cursor (a fade held it back,
    // or a pointer grab sent a leave while the cursor stayed over the window); at rest, and
    // while the window is hidden or active with TransparentOnlyInActive, nothing polls.
    void start();
    // Ends both fades and the hover watcher for good.
    void stop();
    // Part of closing: stops everything, then with blending on and SlowHideOnClose starts
    // the fade to 0 in 100 ms and returns true; `then` runs once the fade is over. False,
    // and `then` never runs, when there is nothing to fade.
    bool closingFade(std::function<void()> then);
    bool closingFadeRunning() const { return m_closingTimer.isActive(); }

    // The window became active or inactive; the window's own activation events call these.
    void windowActivated();
    void windowDeactivated();

    bool cursorInside() const { return m_cursorInside; }
    bool hoverPaused() const { return m_hoverPaused; }
    bool fadeInRunning() const { return m_fadeInRunning; }
    bool fadeOutRunning() const { return m_fadeOutRunning; }
    // Whether the watcher is polling the cursor now.
    bool hoverWatcherActive() const { return m_hoverTimer.isActive(); }

    // Where the cursor is, in global coordinates; QCursor::pos() unless replaced.
    void setCursorSource(std::function<QPoint()> source);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void hoverPass();
    // Polls on while the state lags the cursor at `inside`; stops otherwise.
    void keepFollowing(bool inside);
    void startFadeIn();
    void startFadeOut();
    void fadeInStep();
    void fadeOutStep();
    void closingFadeStep();
    void stopFadeIn();
    void stopFadeOut();
    bool slowHideOnClose() const;
    bool transparentOnlyWhenInactive() const;
    int alphaBlendValue() const;

    QPointer<QWidget> m_window;
    Settings m_settings;
    std::function<QPoint()> m_cursor;

    QTimer m_hoverTimer;
    QTimer m_fadeInTimer;
    QTimer m_fadeOutTimer;
    QTimer m_closingTimer;
    QElapsedTimer m_fadeInClock;
    QElapsedTimer m_fadeOutClock;
    QElapsedTimer m_closingClock;
    int m_fadeInStart = 0;
    int m_fadeInDuration = 0;
    int m_fadeOutStart = 0;
    int m_fadeOutTarget = 0;
    int m_fadeOutDuration = 0;
    int m_closingStart = 0;
    std::function<void()> m_afterClosing;

    int m_alpha = 255;
    bool m_alphaBlend = false;
    bool m_watcherStarted = false;
    bool m_cursorInside = false;
    bool m_leaveSeen = false; // the pointer left the window and has not entered it since
    bool m_hoverPaused = false;
    bool m_fadeInRunning = false;
    bool m_fadeOutRunning = false;
};
