#include "platform/SingleInstance.h"
#include "TestProfile.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTest>

class SingleInstanceTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

private slots:
    void secondCopyHandsOver() {
        const QString name =
            QStringLiteral("varnelo-test-%1").arg(QCoreApplication::applicationPid());
        SingleInstance first(name);
        QVERIFY(!first.handOver(255, 255)); // nobody runs yet
        QVERIFY(first.listen());
        QSignalSpy received(&first, &SingleInstance::messageReceived);

        // The second copy runs on its own thread in real life; here the event loop of the
        // first must turn while the second waits, so hand over from a worker thread.
        bool handed = false;
        QThread* worker =
            QThread::create([&] { handed = SingleInstance(name).handOver(255, 255); });
        worker->start();
        QTRY_COMPARE(received.count(), 1);
        worker->wait();
        delete worker;
        QVERIFY(handed);
        QCOMPARE(received.at(0).at(0).toInt(), 255);
        QCOMPARE(received.at(0).at(1).toInt(), 255);
    }

    // Each session and each profile has its own copy; the socket sits in the user's private
    // runtime folder.
    void defaultNameIsInTheRuntimeFolder() {
        const QString name = SingleInstance::defaultName();
        QVERIFY2(name.startsWith(m_profile.root() + QStringLiteral("/runtime/Varnelo-")),
                 qPrintable(name));
        SingleInstance copy;
        QVERIFY(copy.listen());
        QVERIFY(QFileInfo(name).exists());
    }

    // XDG_CONFIG_HOME of a second profile beside the test's, and the test's own.
    void onePerProfile_data() {
        QTest::addColumn<QString>("config");
        QTest::addColumn<bool>("same");
        QTest::newRow("other profile") << QStringLiteral("/other") << false;
        QTest::newRow("same, spelled otherwise") << QStringLiteral("/config/../config/") << true;
    }

    void onePerProfile() {
        QFETCH(QString, config);
        QFETCH(bool, same);
        QVERIFY(QDir().mkpath(m_profile.root() + config));
        SingleInstance own;
        QVERIFY(own.listen());
        qputenv("XDG_CONFIG_HOME", (m_profile.root() + config).toLocal8Bit());
        const QString name = SingleInstance::defaultName();
        qputenv("XDG_CONFIG_HOME", m_profile.configFolder().toLocal8Bit());
        QCOMPARE(name == SingleInstance::defaultName(), same);
        // A second start of the other profile finds no copy: none of its own runs.
        QCOMPARE(SingleInstance(name).handOver(0, 0), same);
    }

    void staleSocketIsTakenOver() {
        const QString name =
            QStringLiteral("varnelo-stale-%1").arg(QCoreApplication::applicationPid());
        {
            // A server that dies without cleaning up leaves its socket file behind.
            QLocalServer crashed;
            QVERIFY(crashed.listen(name));
            crashed.setParent(nullptr);
        }
        SingleInstance copy(name);
        QVERIFY(!copy.handOver(255, 255));
        QVERIFY(copy.listen());
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
