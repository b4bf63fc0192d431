#include "shell/FadeCurve.h"
#include "shell/UserKeyMask.h"
#include "shell/WindowSnap.h"

#include <QRandomGenerator>
#include <QTest>

class ShellMathTest : public QObject {
    Q_OBJECT
private slots:
    void snapping_data() {
        QTest::addColumn<QRect>("planned");
        QTest::addColumn<QPoint>("landed");
        // Work area (0, 0, 1000×700); the window is 210×400 unless the row says otherwise.
        QTest::newRow("8 from the left snaps") << QRect(8, 300, 210, 400) << QPoint(0, 300);
        QTest::newRow("11 from the left stays") << QRect(11, 300, 210, 400) << QPoint(11, 300);
        QTest::newRow("exactly 10 snaps") << QRect(-10, 300, 210, 400) << QPoint(0, 300);
        QTest::newRow("right edge") << QRect(785, 100, 210, 400) << QPoint(790, 100);
        QTest::newRow("top") << QRect(300, 9, 210, 400) << QPoint(300, 0);
        QTest::newRow("bottom") << QRect(300, 295, 210, 400) << QPoint(300, 300);
        QTest::newRow("11 from bottom stays") << QRect(300, 289, 210, 400) << QPoint(300, 289);
        QTest::newRow("as wide as the area: right wins")
            << QRect(3, 100, 1005, 400) << QPoint(-5, 100);
        QTest::newRow("as high as the area: bottom wins")
            << QRect(100, 2, 210, 705) << QPoint(100, -5);
    }
    void snapping() {
        QFETCH(QRect, planned);
        QFETCH(QPoint, landed);
        QCOMPARE(SnapToWorkArea(planned, QRect(0, 0, 1000, 700)), landed);
    }

    void snappingToAnOffsetWorkArea() {
        // A panel on the left and top: the work area starts at (48, 24).
        QCOMPARE(SnapToWorkArea(QRect(52, 30, 210, 400), QRect(48, 24, 952, 676)), QPoint(48, 24));
    }

    void maskKeepsTheEnds() {
        const QString key = QStringLiteral("0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF");
        QRandomGenerator random(7);
        bool changed = false;
        for (int round = 0; round < 20; ++round) {
            const QString masked = MaskUserKey(key, random);
            QCOMPARE(masked.size(), 48);
            QCOMPARE(masked.left(8), key.left(8));
            QCOMPARE(masked.right(10), key.right(10));
            for (QChar c : masked.mid(8, 30))
                QVERIFY((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'));
            changed |= masked.mid(8, 30) != key.mid(8, 30);
        }
        QVERIFY(changed);
        QCOMPARE(MaskUserKey(QStringLiteral("123456789012345678")),
                 QStringLiteral("123456789012345678"));
        const QString nineteen = QStringLiteral("ABCDEFGHIJKLMNOPQRS");
        QCOMPARE(MaskUserKey(nineteen, random).left(8), nineteen.left(8));
        QCOMPARE(MaskUserKey(nineteen, random).right(10), nineteen.right(10));
    }

    void fades_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("elapsed");
        QTest::addColumn<int>("duration");
        QTest::addColumn<int>("in");
        QTest::addColumn<int>("out");
        // "in" fades from start up to 255; "out" fades from 255 down to start.
        QTest::newRow("start") << 200 << 0 << 300 << 200 << 255;
        QTest::newRow("half way") << 200 << 150 << 300 << 228 << 228; // 227.5 → 228 (even)
        QTest::newRow("done") << 200 << 300 << 300 << 255 << 200;
        QTest::newRow("overdue is capped") << 100 << 900 << 300 << 255 << 100;
        QTest::newRow("zero duration steps by one") << 100 << 5 << 0 << 101 << 254;
    }
    void fades() {
        QFETCH(int, start);
        QFETCH(int, elapsed);
        QFETCH(int, duration);
        QFETCH(int, in);
        QFETCH(int, out);
        QCOMPARE(FadeCurve::fadeInValue(start, start, elapsed, duration), in);
        QCOMPARE(FadeCurve::fadeOutValue(255, start, 255, elapsed, duration), out);
    }

    void halvesToEven() {
        QCOMPARE(FadeCurve::roundHalfEven(2.5), 2);
        QCOMPARE(FadeCurve::roundHalfEven(3.5), 4);
        QCOMPARE(FadeCurve::roundHalfEven(-0.5), 0);
    }
};

QTEST_GUILESS_MAIN(ShellMathTest)
#include "ShellMathTest.moc"
