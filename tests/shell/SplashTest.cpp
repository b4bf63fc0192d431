#include "TestProfile.h"
#include "shell/SplashUnit.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
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
        QCOMPARE(splash.Label1->text(), QStringLiteral("ver 3.1.6"));
        QCOMPARE(splash.size(), QSize(400, 250));
        QCOMPARE(splash.HideTimer->interval(), 5000);
        QTimer::singleShot(0, &splash, [&] {
            if (ending == QLatin1String("timer"))
                splash.HideTimer->setInterval(10), splash.HideTimer->start();
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
        splash.runModal();
        QCOMPARE(applied, 1);
        QVERIFY(!splash.HideTimer->isActive());
    }
};

QTEST_MAIN(SplashTest)
#include "SplashTest.moc"
