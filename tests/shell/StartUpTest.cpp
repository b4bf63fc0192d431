#include "TestProfile.h"
#include "platform/Registry.h"
#include "platform/SingleInstance.h"
#include "shared/Settings.h"

#include <QProcess>
#include <QTest>

// The program itself: a second start hands over to the running copy and ends at once.
class StartUpTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

    static QProcessEnvironment environment() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }

private slots:
    void secondStartHandsOverAndEnds() {
        {
            Registry registry;
            Settings settings(registry);
            settings.runFirstStart({});
            settings.set(Setting::ShowSplash, false);
            settings.setStoredUserKey(
                QStringLiteral("0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF"));
        }
        // Another copy of this user's program would take the hand-over itself.
        if (SingleInstance().handOver(0, 0))
            QSKIP("a copy of the program already runs for this user");

        QProcess first;
        first.setProcessEnvironment(environment());
        first.start(QStringLiteral(VARNELO_PATH), {});
        QVERIFY(first.waitForStarted());
        // Up once it listens; message 0 is ignored by the running copy.
        QTRY_VERIFY_WITH_TIMEOUT(SingleInstance().handOver(0, 0), 20000);

        QProcess second;
        second.setProcessEnvironment(environment());
        second.start(QStringLiteral(VARNELO_PATH), {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        first.terminate();
        QVERIFY(first.waitForFinished(10000));
    }
};

QTEST_MAIN(StartUpTest)
#include "StartUpTest.moc"
