#include "widgets/WorkerCall.h"
#include "platform/FailureText.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QThread>

#include <atomic>
#include <stdexcept>

// The one way the program works off the user-interface thread.
class WorkerCallTest : public QObject {
    Q_OBJECT

private slots:
    void resultComesBackOnTheContextsThread() {
        QObject context;
        QThread* ranOn = nullptr;
        QThread* doneOn = nullptr;
        int result = 0;
        const WorkerCall call = runThenCallback<int>(
            &context,
            [&ranOn] {
                ranOn = QThread::currentThread();
                return 42;
            },
            [&](int value) {
                doneOn = QThread::currentThread();
                result = value;
            },
            [](const QString& failure) { QFAIL(qPrintable(failure)); });
        QVERIFY(call.wait());
        QCOMPARE(result, 0); // not before the loop runs
        QTRY_COMPARE(result, 42);
        QVERIFY(ranOn && ranOn != QThread::currentThread());
        QCOMPARE(doneOn, QThread::currentThread());
    }

    void anErrorBecomesItsText() {
        QObject context;
        QString failure;
        bool done = false;
        runThenCallback(
            &context, [] { throw std::runtime_error("broken"); }, [&done] { done = true; },
            [&failure](const QString& text) { failure = text; });
        QTRY_VERIFY(!failure.isEmpty());
        QVERIFY2(failure.startsWith(FailureText::kInternalError), qPrintable(failure));
        QVERIFY(failure.contains(QLatin1String("broken")));
        QVERIFY(!done);
    }

    // A context that goes first gets no callback, and its work is asked to stop.
    void aGoneContextStopsTheWork() {
        auto context = std::make_unique<QObject>();
        std::atomic<bool> started{false};
        bool called = false;
        const WorkerCall call = runThenCallback(
            context.get(),
            [&started] {
                started = true;
                while (!QThread::currentThread()->isInterruptionRequested())
                    QThread::yieldCurrentThread();
            },
            [&called] { called = true; }, [&called](const QString&) { called = true; });
        QTRY_VERIFY(started);
        QVERIFY(!call.wait(QDeadlineTimer(50)));
        context.reset();
        QVERIFY(call.wait(QDeadlineTimer(5000)));
        QTest::qWait(0);
        QVERIFY(!called);
    }

    // The window takes no input until the reply is in; the callback finds it free again.
    void inputStaysBlockedUntilTheCallback() {
        QWidget window;
        auto* edit = new QLineEdit(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        std::atomic<bool> release{false};
        bool freeInCallback = false;
        runWithInputBlocked<bool>(
            &window, Qt::WaitCursor,
            [&release] {
                while (!release)
                    QThread::yieldCurrentThread();
                return true;
            },
            [&](bool) { freeInCallback = QApplication::overrideCursor() == nullptr; },
            [](const QString& failure) { QFAIL(qPrintable(failure)); });
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QTest::keyClicks(edit, QStringLiteral("abc"));
        QVERIFY(!window.close());
        QCOMPARE(edit->text(), QString());
        release = true;
        QTRY_VERIFY(freeInCallback);
        QTest::keyClicks(edit, QStringLiteral("abc"));
        QCOMPARE(edit->text(), QStringLiteral("abc"));
    }
};

QTEST_MAIN(WorkerCallTest)
#include "WorkerCallTest.moc"
