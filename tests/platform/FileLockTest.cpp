#include "platform/FileLock.h"
#include "TestProfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

// The lock around read-and-rewrites of the data files, within one process and against others.
class FileLockTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    QRecursiveMutex m_mutex;

    QString dataFile() const { return m_profile.dataFolder() + QStringLiteral("/Data.dat"); }
    QString lockFile() const { return FileLock::lockFilePath(dataFile()); }

    // The lock file a process leaves when it is killed while holding the lock: written as a
    // real holder writes it, naming a process that no longer runs.
    void leaveDeadHoldersLockFile() {
        QProcess gone;
        gone.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(gone.waitForStarted());
        const qint64 pid = gone.processId();
        gone.kill();
        QVERIFY(gone.waitForFinished());

        QByteArray content;
        {
            QLockFile own(lockFile());
            QVERIFY(own.tryLock(0));
            QFile written(lockFile());
            QVERIFY(written.open(QIODevice::ReadOnly));
            content = written.readAll();
        }
        QVERIFY(!QFile::exists(lockFile()));
        QList<QByteArray> lines = content.split('\n');
        QVERIFY(lines.size() >= 3);
        lines[0] = QByteArray::number(pid);
        lines[1] = "sleep";
        QFile left(lockFile());
        QVERIFY(left.open(QIODevice::WriteOnly));
        left.write(lines.join('\n'));
    }

    // Milliseconds until this thread has the lock.
    qint64 timeToLock(QString* error) {
        QElapsedTimer timer;
        timer.start();
        const FileLock lock(m_mutex, dataFile());
        *error = lock.errorString();
        return timer.elapsed();
    }

private slots:
    void init() {
        QDir().mkpath(m_profile.dataFolder());
        QFile::remove(lockFile());
    }

    void holdsALockFileUntilTheOutermostRelease() {
        {
            const FileLock outer(m_mutex, dataFile());
            QCOMPARE(outer.errorString(), QString());
            QVERIFY(QFile::exists(lockFile()));
            {
                // A lock file is not re-entrant: the nested holder must not wait for itself.
                QElapsedTimer timer;
                timer.start();
                const FileLock inner(m_mutex, dataFile());
                QCOMPARE(inner.errorString(), QString());
                QVERIFY(timer.elapsed() < 1000);
            }
            QVERIFY(QFile::exists(lockFile()));
        }
        QVERIFY(!QFile::exists(lockFile()));
    }

    void aDeadHoldersLockIsTakenOverAtOnce() {
        leaveDeadHoldersLockFile();
        QString error;
        QVERIFY(timeToLock(&error) < 1000);
        QCOMPARE(error, QString());
        QVERIFY(!QFile::exists(lockFile()));
    }

    // A holder killed after making the file but before writing who it is.
    void aTornLockFileIsTakenOverAfterTheStaleTime() {
        QFile empty(lockFile());
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        QString error;
        const qint64 waited = timeToLock(&error);
        QCOMPARE(error, QString());
        QVERIFY2(waited >= FileLock::kStaleMs - 500 && waited < FileLock::kStaleMs + 3000,
                 qPrintable(QString::number(waited)));
    }

    // Another holder that is alive keeps its lock, also past the stale time.
    void aLiveHolderIsWaitedFor() {
        auto other = std::make_unique<QLockFile>(lockFile());
        QVERIFY(other->tryLock(0));
        std::atomic<bool> locked = false;
        std::unique_ptr<QThread> waiter(QThread::create([&] {
            const FileLock lock(m_mutex, dataFile());
            locked = lock.errorString().isEmpty();
        }));
        waiter->start();
        QTest::qWait(FileLock::kStaleMs + 1500);
        QVERIFY(!locked);
        QVERIFY(QFile::exists(lockFile()));
        other->unlock();
        QVERIFY(waiter->wait(5000));
        QVERIFY(locked);
        QVERIFY(!QFile::exists(lockFile()));
    }
};

QTEST_GUILESS_MAIN(FileLockTest)
#include "FileLockTest.moc"
