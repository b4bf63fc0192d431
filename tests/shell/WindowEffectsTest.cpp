#include "shell/WindowEffects.h"
#include "TestProfile.h"
#include "platform/Registry.h"
#include "shared/Settings.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>

namespace {

QtMessageHandler g_previousHandler = nullptr;

// The offscreen platform keeps the opacity but says at every change that it cannot show it.
void quietOpacityWarning(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.contains(QLatin1String("setting window opacity")))
        g_previousHandler(type, context, text);
}

const QPoint kInside(150, 200);
const QPoint kOutside(20, 20);

} // namespace

class WindowEffectsTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    Registry m_registry;
    Settings m_settings{m_registry};
    QPoint m_cursor = kOutside;

    // A translucent window at 100,100 sized 200 x 300, the watcher running.
    struct Scene {
        QWidget window;
        WindowEffects effects;
        int cursorLooks = 0; // how often the effects asked where the cursor is
        // Without a cursor point the real cursor is watched.
        Scene(Settings& settings, QPoint* cursor)
            : effects(&window, settings) {
            window.setWindowFlags(Qt::FramelessWindowHint); // as the main window: no frame
            window.setGeometry(100, 100, 200, 300);
            if (cursor) {
                effects.setCursorSource([this, cursor] {
                    ++cursorLooks;
                    return *cursor;
                });
            }
            effects.applyStoredTranslucency();
            window.show();
            effects.start();
        }
    };

    void configure(bool slowHide, bool onlyInactive, int showTime, int hideTime) {
        m_settings.set(Setting::UseAlphaBlend, true);
        m_settings.set(Setting::AlphaBlendValue, 100);
        m_settings.set(Setting::SlowHideOnClose, slowHide);
        m_settings.set(Setting::TransparentOnlyInActive, onlyInactive);
        m_settings.set(Setting::ShowTime, showTime);
        m_settings.set(Setting::HideTime, hideTime);
    }

    // The pointer moves to `point` and the window hears of it as from a real pointer: an
    // enter when the point is over the window, else a leave.
    void pointerTo(Scene& scene, QPoint point) {
        m_cursor = point;
        if (scene.window.frameGeometry().contains(point))
            pointerEnters(scene, point);
        else
            pointerLeaves(scene, point);
    }
    void pointerEnters(Scene& scene, QPoint point) {
        m_cursor = point;
        const QPointF local = scene.window.mapFromGlobal(QPointF(point));
        QEnterEvent enter(local, local, QPointF(point));
        QCoreApplication::sendEvent(&scene.window, &enter);
    }
    void pointerLeaves(Scene& scene, QPoint point) {
        m_cursor = point;
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&scene.window, &leave);
    }

    // Milliseconds until the alpha value reaches `value`, or -1 after `limitMs`.
    static qint64 timeUntil(const WindowEffects& effects, int value, int limitMs) {
        QElapsedTimer clock;
        clock.start();
        if (!QTest::qWaitFor([&] { return effects.alpha() == value; }, limitMs))
            return -1;
        return clock.elapsed();
    }

    // No fade runs and nothing polls: the alpha value stays until the pointer moves.
    static bool atRest(const WindowEffects& effects) {
        return !effects.fadeInRunning() && !effects.fadeOutRunning() &&
               !effects.hoverWatcherActive();
    }

private slots:
    void initTestCase() { g_previousHandler = qInstallMessageHandler(quietOpacityWarning); }

    void init() {
        m_registry.deleteKeyTree(QString());
        m_cursor = kOutside;
    }

    void translucencyAtCreation() {
        configure(false, false, 300, 1000);
        Scene scene(m_settings, &m_cursor);
        QCOMPARE(scene.effects.alpha(), 100);
        QCOMPARE(scene.window.windowOpacity(), 100 / 255.0);
        scene.effects.setAlphaBlend(false);
        QCOMPARE(scene.window.windowOpacity(), 1.0);
        scene.effects.setAlpha(50); // kept, but not shown while blending is off
        QCOMPARE(scene.window.windowOpacity(), 1.0);
        scene.effects.setAlphaBlend(true);
        QCOMPARE(scene.window.windowOpacity(), 50 / 255.0);
    }

    void hoverWithoutFadesChangesNothing() {
        configure(false, false, 50, 50);
        Scene scene(m_settings, &m_cursor);
        pointerTo(scene, kInside);
        QTRY_VERIFY(scene.effects.cursorInside());
        QVERIFY(atRest(scene.effects));
        QCOMPARE(scene.effects.alpha(), 100);
        pointerTo(scene, kOutside);
        QTRY_VERIFY(!scene.effects.cursorInside());
        QVERIFY(atRest(scene.effects));
        QCOMPARE(scene.effects.alpha(), 100);
        QCOMPARE(scene.window.windowOpacity(), 100 / 255.0);
    }

    void followsTheRealCursor() {
        QCursor::setPos(kOutside);
        if (QCursor::pos() != kOutside)
            QSKIP("this platform cannot move the cursor");
        configure(true, false, 50, 50);
        Scene scene(m_settings, nullptr);
        // The offscreen platform moves the cursor without telling the window under it; a
        // display server sends the enter and the leave itself.
        const bool tellsWindows = QGuiApplication::platformName() != QLatin1String("offscreen");
        QCursor::setPos(kInside);
        if (!tellsWindows)
            pointerEnters(scene, kInside);
        QTRY_COMPARE(scene.effects.alpha(), 255);
        QCursor::setPos(kOutside);
        if (!tellsWindows)
            pointerLeaves(scene, kOutside);
        QTRY_COMPARE(scene.effects.alpha(), 100);
    }

    void rightAndBottomEdgesAreOutside_data() {
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<bool>("inside");
        QTest::newRow("top left") << QPoint(100, 100) << true;
        QTest::newRow("last pixel") << QPoint(299, 399) << true;
        QTest::newRow("right edge") << QPoint(300, 200) << false;
        QTest::newRow("bottom edge") << QPoint(200, 400) << false;
    }
    void rightAndBottomEdgesAreOutside() {
        QFETCH(QPoint, cursor);
        QFETCH(bool, inside);
        configure(false, false, 50, 50);
        Scene scene(m_settings, &m_cursor);
        // Whatever the pointer reports, the window's rectangle decides.
        pointerEnters(scene, cursor);
        QCOMPARE(scene.effects.cursorInside(), inside);
        QVERIFY(!scene.effects.hoverWatcherActive());
    }

    void fadeInThenOut() {
        configure(true, false, 300, 400);
        Scene scene(m_settings, &m_cursor);
        // Timed from the pointer's entering.
        pointerTo(scene, kInside);
        const qint64 fadeIn = timeUntil(scene.effects, 255, 3000);
        QVERIFY2(fadeIn >= 295 && fadeIn < 1500, QByteArray::number(fadeIn));
        QTRY_VERIFY(!scene.effects.fadeInRunning());
        QCOMPARE(scene.window.windowOpacity(), 1.0);

        pointerTo(scene, kOutside);
        const qint64 fadeOut = timeUntil(scene.effects, 100, 3000);
        QVERIFY2(fadeOut >= 395 && fadeOut < 1600, QByteArray::number(fadeOut));
        QTRY_VERIFY(!scene.effects.fadeOutRunning());
        QCOMPARE(scene.window.windowOpacity(), 100 / 255.0);
    }

    void leavingDuringFadeInFadesOutFromThere() {
        configure(true, false, 1000, 300);
        Scene scene(m_settings, &m_cursor);
        pointerTo(scene, kInside);
        QTRY_VERIFY(scene.effects.fadeInRunning());
        QTRY_VERIFY(scene.effects.alpha() > 140);
        pointerTo(scene, kOutside);
        QTRY_VERIFY(scene.effects.fadeOutRunning());
        QVERIFY(!scene.effects.fadeInRunning());
        const int stoodAt = scene.effects.alpha();
        QVERIFY2(stoodAt < 255, QByteArray::number(stoodAt));
        int previous = stoodAt;
        bool rose = false;
        QVERIFY(QTest::qWaitFor([&] {
            rose = rose || scene.effects.alpha() > previous;
            previous = scene.effects.alpha();
            return !scene.effects.fadeOutRunning();
        }));
        QVERIFY(!rose);
        QCOMPARE(scene.effects.alpha(), 100);
    }

    void missingDurationsAreWrittenBack() {
        configure(true, false, 0, 0);
        m_registry.deleteValue(QString(), QStringLiteral("ShowTime"));
        m_registry.deleteValue(QString(), QStringLiteral("HideTime"));
        Scene scene(m_settings, &m_cursor);
        pointerTo(scene, kInside);
        QTRY_VERIFY(scene.effects.fadeInRunning());
        QCOMPARE(m_settings.find(Setting::ShowTime), std::optional<qint32>(300));
        QTRY_VERIFY(scene.effects.alpha() > 150); // something to fade out from
        pointerTo(scene, kOutside);
        QTRY_VERIFY(scene.effects.fadeOutRunning());
        QCOMPARE(m_settings.find(Setting::HideTime), std::optional<qint32>(1000));
    }

    void activation_data() {
        QTest::addColumn<bool>("slowHide");
        QTest::newRow("slow hide") << true;
        QTest::newRow("no slow hide") << false;
    }
    void activation() {
        QFETCH(bool, slowHide);
        configure(slowHide, true, 1000, 200);
        Scene scene(m_settings, &m_cursor);
        QWidget other;
        other.setGeometry(500, 500, 50, 50);
        other.show();
        other.activateWindow();
        QTRY_VERIFY(!scene.window.isActiveWindow());
        pointerTo(scene, kInside);
        if (slowHide)
            QTRY_VERIFY(scene.effects.fadeInRunning());

        scene.window.activateWindow();
        QTRY_VERIFY(scene.window.isActiveWindow());
        QCOMPARE(scene.effects.alpha(), 255);
        QVERIFY(!scene.effects.fadeInRunning());
        QVERIFY(scene.effects.hoverPaused());
        // Hovering starts no fade while the window is active.
        pointerTo(scene, kOutside);
        QVERIFY(atRest(scene.effects));
        QCOMPARE(scene.effects.alpha(), 255);

        other.activateWindow();
        QTRY_VERIFY(!scene.window.isActiveWindow());
        QVERIFY(!scene.effects.hoverPaused());
        if (slowHide) {
            QVERIFY(scene.effects.fadeOutRunning());
            QVERIFY(scene.effects.alpha() > 100);
            QVERIFY(timeUntil(scene.effects, 100, 2000) >= 0);
        } else {
            QCOMPARE(scene.effects.alpha(), 100);
        }
    }

    void activationNeedsBothSettings() {
        configure(false, false, 300, 300);
        Scene scene(m_settings, &m_cursor);
        scene.effects.windowActivated();
        QCOMPARE(scene.effects.alpha(), 100);
        QVERIFY(!scene.effects.hoverPaused());
    }

    void closingFade_data() {
        QTest::addColumn<bool>("slowHide");
        QTest::addColumn<bool>("alphaBlend");
        QTest::addColumn<int>("expected");
        QTest::newRow("fades") << true << true << 0;
        QTest::newRow("no slow hide") << false << true << 100;
        QTest::newRow("no blending") << true << false << 100;
    }
    void closingFade() {
        QFETCH(bool, slowHide);
        QFETCH(bool, alphaBlend);
        QFETCH(int, expected);
        configure(slowHide, false, 300, 5000);
        Scene scene(m_settings, &m_cursor);
        scene.effects.setAlphaBlend(alphaBlend);
        QElapsedTimer clock;
        clock.start();
        qint64 took = -1;
        const bool fades = scene.effects.closingFade([&] { took = clock.elapsed(); });
        QCOMPARE(fades, expected == 0);
        QVERIFY(!scene.effects.hoverWatcherActive());
        if (fades) {
            // The window is still there while it fades.
            QVERIFY(scene.effects.closingFadeRunning());
            QVERIFY(scene.effects.alpha() > 0);
            QTRY_VERIFY(took >= 0);
            QVERIFY2(took >= 95 && took < 1000, QByteArray::number(took));
            QCOMPARE(scene.window.windowOpacity(), 0.0);
        }
        QCOMPARE(took >= 0, fades);
        QVERIFY(!scene.effects.closingFadeRunning());
        QCOMPARE(scene.effects.alpha(), expected);
    }

    void nothingPollsAtRest_data() {
        QTest::addColumn<bool>("slowHide");
        QTest::newRow("fades on") << true;
        QTest::newRow("fades off") << false;
    }
    void nothingPollsAtRest() {
        QFETCH(bool, slowHide);
        configure(slowHide, false, 50, 50);
        Scene scene(m_settings, &m_cursor);
        QVERIFY(!scene.effects.hoverWatcherActive());
        pointerTo(scene, kInside);
        QVERIFY(scene.effects.cursorInside());
        QVERIFY(!scene.effects.hoverWatcherActive());
        if (slowHide)
            QTRY_COMPARE(scene.effects.alpha(), 255);
        QTRY_VERIFY(atRest(scene.effects));
        pointerTo(scene, kOutside);
        QVERIFY(!scene.effects.cursorInside());
        QVERIFY(!scene.effects.hoverWatcherActive());
        QTRY_COMPARE(scene.effects.alpha(), 100);
    }

    // A menu that grabs the pointer makes the window hear a leave with the cursor still over
    // it: the watcher then looks until the cursor really goes.
    void aLeaveOverTheWindowIsFollowedUntilTheCursorGoes() {
        configure(true, false, 50, 50);
        Scene scene(m_settings, &m_cursor);
        pointerTo(scene, kInside);
        QTRY_COMPARE(scene.effects.alpha(), 255);
        pointerLeaves(scene, kInside);
        QVERIFY(scene.effects.hoverWatcherActive());
        const int looks = scene.cursorLooks;
        QTRY_VERIFY(scene.cursorLooks >= looks + 2); // the watcher has looked, twice
        QVERIFY(scene.effects.cursorInside());
        QCOMPARE(scene.effects.alpha(), 255);
        m_cursor = kOutside; // no event: the pointer is still grabbed
        QTRY_VERIFY(!scene.effects.cursorInside());
        QTRY_COMPARE(scene.effects.alpha(), 100);
        QVERIFY(!scene.effects.hoverWatcherActive());
    }

    void catchesUpWithACursorThatCameInWhileActive() {
        configure(true, true, 50, 50);
        Scene scene(m_settings, &m_cursor);
        scene.effects.windowActivated();
        pointerTo(scene, kInside); // heard, but paused while active
        QVERIFY(!scene.effects.cursorInside());
        scene.effects.windowDeactivated();
        QTRY_VERIFY(scene.effects.cursorInside());
        QTRY_COMPARE(scene.effects.alpha(), 255);
        QVERIFY(!scene.effects.hoverWatcherActive());
    }

    void watcherIdlesWhileHidden() {
        configure(true, false, 300, 300);
        m_cursor = kInside;
        Scene scene(m_settings, &m_cursor);
        QVERIFY(scene.effects.cursorInside()); // shown under the cursor
        scene.window.hide();
        pointerLeaves(scene, kOutside);
        QVERIFY(scene.effects.cursorInside());
        QVERIFY(!scene.effects.hoverWatcherActive());
        scene.window.show();
        QVERIFY(!scene.effects.cursorInside()); // caught up when shown again
        scene.effects.stop();
        scene.window.hide();
        m_cursor = kInside;
        scene.window.show();
        QVERIFY(!scene.effects.cursorInside());
        QVERIFY(!scene.effects.hoverWatcherActive());
    }
};

QTEST_MAIN(WindowEffectsTest)
#include "WindowEffectsTest.moc"
