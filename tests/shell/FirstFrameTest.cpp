#include "shell/FirstFrame.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <memory>

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

// Runs what is posted to the event loop so far, such as work that a frame just drawn queued.
bool runPostedWork() {
    bool reached = false;
    QTimer::singleShot(0, [&reached] { reached = true; });
    return QTest::qWaitFor([&reached] { return reached; });
}

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
        const int paintsSoFar = counter.paints;
        window.update();
        QTRY_VERIFY(counter.paints > paintsSoFar);
        QVERIFY(runPostedWork());
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
        auto token = std::make_shared<int>();
        const std::weak_ptr<int> work = token;
        {
            QWidget window;
            FirstFrame::then(window, [&runs, token = std::move(token)] { ++runs; });
        }
        // Dropped with the window: it can never run.
        QVERIFY(work.expired());
        QCOMPARE(runs, 0);
    }
};

QTEST_MAIN(FirstFrameTest)
#include "FirstFrameTest.moc"
