#include "Screenshots.h"
#include "TestProfile.h"
#include "shell/SplashUnit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class SplashTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

private slots:
    void skinAppliedExactlyOnce_data() {
        QTest::addColumn<QString>("ending");
        QTest::newRow("timer") << "timer";
        QTest::newRow("click") << "click";
        QTest::newRow("key") << "key";
        QTest::newRow("closed before activation") << "close";
    }
    void skinAppliedExactlyOnce() {
        QFETCH(QString, ending);
        int applied = 0;
        TSplashForm splash([&applied] { ++applied; });
        QCOMPARE(splash.versionLabel()->text(), QStringLiteral("ver 3.1.6"));
        QCOMPARE(splash.size(), QSize(400, 250));
        QCOMPARE(splash.hideTimer()->interval(), 5000);
        QTimer::singleShot(0, &splash, [&] {
            if (ending == QLatin1String("timer"))
                splash.hideTimer()->setInterval(10), splash.hideTimer()->start();
            else if (ending == QLatin1String("click")) {
                QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(10, 10),
                                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(&splash, &press);
            } else if (ending == QLatin1String("key")) {
                QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
                QApplication::sendEvent(&splash, &key);
            } else
                splash.reject();
        });
        QSignalSpy finished(&splash, &QDialog::finished);
        splash.showModal();
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(!splash.isVisible());
        QCOMPARE(applied, 1);
        QVERIFY(!splash.hideTimer()->isActive());
    }

    // Title and subtitle lie whole inside the window, clear of the version label, in the
    // desktop's font and in wide ones.
    void textsLieInsideTheWindow_data() {
        QTest::addColumn<QString>("family");
        QTest::newRow("desktop font") << QString();
        QTest::newRow("DejaVu Sans") << QStringLiteral("DejaVu Sans");
        QTest::newRow("DejaVu Sans Mono") << QStringLiteral("DejaVu Sans Mono");
        QTest::newRow("DejaVu Serif") << QStringLiteral("DejaVu Serif");
    }
    void textsLieInsideTheWindow() {
        QFETCH(QString, family);
        TSplashForm splash({});
        if (!family.isEmpty())
            splash.setFont(QFont(family));
        QList<QRect> taken{splash.versionLabel()->geometry()};
        const QList<TSplashForm::PaintedText> texts = splash.paintedTexts();
        QCOMPARE(texts.size(), 2);
        for (const TSplashForm::PaintedText& text : texts) {
            const QRect drawn =
                QFontMetrics(text.font, &splash).boundingRect(text.area, text.flags, text.text);
            QVERIFY2(text.area.contains(drawn), qPrintable(text.text));
            QVERIFY(splash.rect().contains(text.area));
            for (const QRect& other : std::as_const(taken))
                QVERIFY2(!drawn.intersects(other), qPrintable(text.text));
            taken << drawn;
        }
        QVERIFY(Screenshots::save(&splash, QStringLiteral("splash.") + QTest::currentDataTag()));
    }
};

QTEST_MAIN(SplashTest)
#include "SplashTest.moc"
