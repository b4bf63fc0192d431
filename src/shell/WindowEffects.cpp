#include "WindowEffects.h"

#include "platform/Registry.h"
#include "shared/Settings.h"
#include "shell/FadeCurve.h"

#include <QCursor>
#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace {

// How often a running fade moves the opacity on; the value itself follows the clock, so
// this only sets the smoothness.
constexpr int kFadeStepMs = 10;

bool readBool(const Settings& settings, Setting::Bool setting) {
    try {
        return settings.get(setting);
    } catch (const RegistryError&) {
        return setting.fallback;
    }
}

} // namespace

WindowEffects::WindowEffects(QWidget* window, const Settings& settings, QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_settings(settings)
    , m_cursor([] { return QCursor::pos(); }) {
    m_hoverTimer.setInterval(kHoverIntervalMs);
    m_fadeInTimer.setInterval(kFadeStepMs);
    m_fadeOutTimer.setInterval(kFadeStepMs);
    m_fadeInTimer.setTimerType(Qt::PreciseTimer);
    m_fadeOutTimer.setTimerType(Qt::PreciseTimer);
    m_closingTimer.setInterval(kFadeStepMs);
    m_closingTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_hoverTimer, &QTimer::timeout, this, &WindowEffects::hoverPass);
    connect(&m_fadeInTimer, &QTimer::timeout, this, &WindowEffects::fadeInStep);
    connect(&m_fadeOutTimer, &QTimer::timeout, this, &WindowEffects::fadeOutStep);
    connect(&m_closingTimer, &QTimer::timeout, this, &WindowEffects::closingFadeStep);
    if (m_window)
        m_window->installEventFilter(this);
}

WindowEffects::~WindowEffects() {
    if (m_window)
        m_window->removeEventFilter(this);
}

void WindowEffects::applyStoredTranslucency() {
    m_alpha = alphaBlendValue();
    setAlphaBlend(readBool(m_settings, Setting::UseAlphaBlend));
}

void WindowEffects::setAlphaBlend(bool on) {
    m_alphaBlend = on;
    if (m_window)
        m_window->setWindowOpacity(on ? m_alpha / 255.0 : 1.0);
}

void WindowEffects::setAlpha(int alpha) {
    m_alpha = std::clamp(alpha, 0, 255);
    if (m_alphaBlend && m_window)
        m_window->setWindowOpacity(m_alpha / 255.0);
}

void WindowEffects::start() {
    m_watcherStarted = true;
    hoverPass();
}

void WindowEffects::stop() {
    stopFadeOut();
    stopFadeIn();
    m_watcherStarted = false;
    m_hoverTimer.stop();
}

bool WindowEffects::closingFade(std::function<void()> then) {
    stop();
    if (!m_alphaBlend || !slowHideOnClose() || m_alpha == 0)
        return false;
    m_afterClosing = std::move(then);
    m_closingStart = m_alpha;
    m_closingClock.start();
    m_closingTimer.start();
    return true;
}

void WindowEffects::closingFadeStep() {
    setAlpha(FadeCurve::fadeOutValue(m_closingStart, 0, m_alpha, m_closingClock.elapsed(),
                                     kClosingFadeMs));
    if (m_alpha > 0)
        return;
    m_closingTimer.stop();
    // Taken out before it runs: closing the window may end this object.
    const std::function<void()> then = std::exchange(m_afterClosing, nullptr);
    then();
}

void WindowEffects::windowActivated() {
    if (!readBool(m_settings, Setting::UseAlphaBlend) || !transparentOnlyWhenInactive())
        return;
    stopFadeIn();
    stopFadeOut();
    setAlpha(255);
    m_hoverPaused = true;
    m_hoverTimer.stop();
}

void WindowEffects::windowDeactivated() {
    if (!readBool(m_settings, Setting::UseAlphaBlend) || !transparentOnlyWhenInactive())
        return;
    m_hoverPaused = false;
    if (slowHideOnClose()) {
        stopFadeIn();
        m_cursorInside = false;
        startFadeOut();
    } else {
        setAlpha(alphaBlendValue());
    }
    // The cursor may have come in while the window was active: catch up with it.
    hoverPass();
}

void WindowEffects::setCursorSource(std::function<QPoint()> source) {
    m_cursor = std::move(source);
}

bool WindowEffects::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Enter:
            m_leaveSeen = false;
            hoverPass();
            break;
        case QEvent::Leave:
            m_leaveSeen = true;
            hoverPass();
            break;
        case QEvent::Show:
        case QEvent::Hide:
            hoverPass();
            break;
        case QEvent::ActivationChange:
            if (m_window->isActiveWindow())
                windowActivated();
            else
                windowDeactivated();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void WindowEffects::hoverPass() {
    // Nothing to watch while the window sits in the tray: the idle cost stays at zero.
    if (!m_watcherStarted || m_hoverPaused || !m_window || !m_window->isVisible()) {
        m_hoverTimer.stop();
        return;
    }
    // The right and bottom edges lie outside, as QRect::contains has it.
    const QRect area = m_window->frameGeometry();
    if (area.contains(m_cursor()) && !m_cursorInside && !m_fadeInRunning) {
        m_cursorInside = true;
        stopFadeOut();
        if (slowHideOnClose())
            startFadeIn();
    } else if (m_cursorInside && !m_fadeOutRunning && !area.contains(m_cursor())) {
        m_cursorInside = false;
        stopFadeIn();
        if (slowHideOnClose())
            startFadeOut();
    }
    keepFollowing(area.contains(m_cursor()));
}

void WindowEffects::keepFollowing(bool inside) {
    if (inside != m_cursorInside || (m_leaveSeen && inside)) {
        if (!m_hoverTimer.isActive())
            m_hoverTimer.start();
    } else {
        m_hoverTimer.stop();
    }
}

void WindowEffects::startFadeIn() {
    try {
        m_fadeInDuration = m_settings.showTime();
    } catch (const RegistryError&) {
        m_fadeInDuration = Setting::ShowTime.fallback;
    }
    m_fadeInStart = m_alpha;
    m_fadeInRunning = true;
    m_fadeInClock.start();
    m_fadeInTimer.start();
    fadeInStep();
}

void WindowEffects::startFadeOut() {
    try {
        m_fadeOutDuration = m_settings.hideTime();
    } catch (const RegistryError&) {
        m_fadeOutDuration = Setting::HideTime.fallback;
    }
    m_fadeOutTarget = alphaBlendValue();
    m_fadeOutStart = m_alpha;
    m_fadeOutRunning = true;
    m_fadeOutClock.start();
    m_fadeOutTimer.start();
    fadeOutStep();
}

void WindowEffects::fadeInStep() {
    if (m_alpha < 255)
        setAlpha(FadeCurve::fadeInValue(m_fadeInStart, m_alpha, m_fadeInClock.elapsed(),
                                        m_fadeInDuration));
    if (m_alpha >= 255) {
        m_fadeInTimer.stop();
        m_fadeInRunning = false;
    }
}

void WindowEffects::fadeOutStep() {
    if (m_alpha > m_fadeOutTarget)
        setAlpha(FadeCurve::fadeOutValue(m_fadeOutStart, m_fadeOutTarget, m_alpha,
                                         m_fadeOutClock.elapsed(), m_fadeOutDuration));
    if (m_alpha <= m_fadeOutTarget) {
        setAlpha(m_fadeOutTarget);
        m_fadeOutTimer.stop();
        m_fadeOutRunning = false;
    }
}

void WindowEffects::stopFadeIn() {
    m_fadeInTimer.stop();
    m_fadeInRunning = false;
}

void WindowEffects::stopFadeOut() {
    m_fadeOutTimer.stop();
    m_fadeOutRunning = false;
}

bool WindowEffects::slowHideOnClose() const {
    return readBool(m_settings, Setting::SlowHideOnClose);
}

bool WindowEffects::transparentOnlyWhenInactive() const {
    return readBool(m_settings, Setting::TransparentOnlyInActive);
}

int WindowEffects::alphaBlendValue() const {
    try {
        return m_settings.alphaBlendValue();
    } catch (const RegistryError&) {
        return Setting::AlphaBlendValue.fallback;
    }
}
