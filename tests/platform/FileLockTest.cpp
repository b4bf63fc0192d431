#include "platform/FileLock.h"
#include "TestProfile.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
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
    static constexpr int kShortStaleMs = 300;

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
    qint64 timeToLock(QString* error, int staleMs = FileLock::kStaleMs) {
        QElapsedTimer timer;
        timer.start();
        const FileLock lock(m_mutex, dataFile(), FileLock::kWaitMs, staleMs);
        *error = lock.errorString();
        return timer.elapsed();
    }

    qint64 lockFileAgeMs() const {
        return QFileInfo(lockFile()).lastModified().msecsTo(QDateTime::currentDateTime());
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
        const qint64 waited = timeToLock(&error, kShortStaleMs);
        QCOMPARE(error, QString());
        QVERIFY2(waited >= kShortStaleMs - 150 && waited < kShortStaleMs + 3000,
                 qPrintable(QString::number(waited)));
    }

    // Another holder that is alive keeps its lock, also past the stale time.
    void aLiveHolderIsWaitedFor() {
        auto other = std::make_unique<QLockFile>(lockFile());
        QVERIFY(other->tryLock(0));
        // A waiter that gives up after several stale times: it was kept out all along.
        QString refused;
        std::unique_ptr<QThread> impatient(QThread::create([&] {
            const FileLock lock(m_mutex, dataFile(), 3 * kShortStaleMs, kShortStaleMs);
            refused = lock.errorString();
        }));
        impatient->start();
        QVERIFY(impatient->wait(10000));
        QCOMPARE(refused,
                 QStringLiteral("Файл %1 занят другой программой")
                     .arg(QDir::toNativeSeparators(QFileInfo(dataFile()).absoluteFilePath())));

        std::atomic<bool> started = false;
        std::atomic<bool> locked = false;
        std::unique_ptr<QThread> waiter(QThread::create([&] {
            started = true;
            const FileLock lock(m_mutex, dataFile(), FileLock::kWaitMs, kShortStaleMs);
            locked = lock.errorString().isEmpty();
        }));
        waiter->start();
        QTRY_VERIFY(started && lockFileAgeMs() > 2 * kShortStaleMs);
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
