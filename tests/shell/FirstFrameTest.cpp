#include "shell/FirstFrame.h"

#include <QElapsedTimer>
#include <QTest>
#include <QWidget>

namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

// Work put off until a window's first frame.
class FirstFrameTest : public QObject {
    Q_OBJECT

private slots:
    void runsOnceRightAfterTheFirstFrame() {
        QWidget window;
        window.resize(100, 100);
        PaintCounter counter;
        window.installEventFilter(&counter);
        int runs = 0;
        int paintsBefore = 0;
        FirstFrame::then(window, [&] {
            ++runs;
            paintsBefore = counter.paints;
        });
        QCoreApplication::processEvents();
        QCOMPARE(runs, 0); // not shown: nothing drawn yet
        QElapsedTimer clock;
        clock.start();
        window.show();
        QCOMPARE(runs, 0); // never inside show()
        QTRY_COMPARE(runs, 1);
        QVERIFY2(clock.elapsed() < FirstFrame::kLatestMs / 2, QByteArray::number(clock.elapsed()));
        QVERIFY(paintsBefore > 0);
        window.update();
        QTest::qWait(50);
        QCOMPARE(runs, 1);
    }

    void aWindowNeverDrawnGetsItLater() {
        QWidget window;
        int runs = 0;
        QElapsedTimer clock;
        clock.start();
        FirstFrame::then(window, [&] { ++runs; });
        QTRY_COMPARE_WITH_TIMEOUT(runs, 1, 3 * FirstFrame::kLatestMs);
        QVERIFY(clock.elapsed() >= FirstFrame::kLatestMs - 50);
    }

    void nothingRunsOnceTheWindowIsGone() {
        int runs = 0;
        {
            QWidget window;
            FirstFrame::then(window, [&] { ++runs; });
        }
        QTest::qWait(FirstFrame::kLatestMs + 200);
        QCOMPARE(runs, 0);
    }
};

QTEST_MAIN(FirstFrameTest)
#include "FirstFrameTest.moc"
