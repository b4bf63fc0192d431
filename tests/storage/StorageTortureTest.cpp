#include "StorageSteps.h"
#include "TestProfile.h"
#include "contacts/ContactStore.h"
#include "history/HistoryFile.h"
#include "messaging/TemplatesFile.h"
#include "platform/Registry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <sqlite3.h>

#include <exception>

using StorageSteps::Kind;

namespace {

// Kills per kind of write; four kinds.
constexpr int kKillsPerKind = 50;

// The last step a killed writer reported as done; `from` - 1 when it reported none.
qint64 lastDone(const QByteArray& output, qint64 from) {
    qint64 last = from - 1;
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith("done "))
            last = line.mid(5).toLongLong();
    }
    return last;
}

QString integrityOf(const QString& path) {
    sqlite3* db = nullptr;
    QString result;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        result = QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) ==
            SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW)
                result += QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        } else {
            result = QString::fromUtf8(sqlite3_errmsg(db));
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return result;
}

} // namespace

// Writers killed with SIGKILL at random moments of their writes: every file must afterwards
// hold the state from before the write that was cut off or from after it, whole, and the next
// writer must get going as if nothing had happened.
class StorageTortureTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    QRandomGenerator m_random;
    int m_kills = 0;
    // Kills that came while the writer held its lock file, in the middle of a read-and-rewrite.
    int m_killsHoldingLock = 0;

    QString folder() const { return m_profile.dataFolder(); }

    // Whether the file holds exactly the state after step n.
    static bool holdsState(Kind kind, const QString& path, qint64 n, QString* what) {
        switch (kind) {
        case Kind::History: {
            QString error;
            const QList<TMess> records = HistoryFile(path).readAll(&error);
            *what = error.isEmpty() ? QStringLiteral("%1 records").arg(records.size()) : error;
            return error.isEmpty() && records == StorageSteps::historyAfter(n);
        }
        case Kind::Templates: {
            QString error;
            const QStringList lines = TemplatesFile(path).read(&error);
            *what = error.isEmpty() ? QStringLiteral("%1 lines").arg(lines.size()) : error;
            return error.isEmpty() && lines == StorageSteps::templatesAfter(n);
        }
        case Kind::Vouchers: {
            QFile file(path);
            const QByteArray content =
                file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            *what = QStringLiteral("%1 bytes").arg(content.size());
            return content == StorageSteps::vouchersAfter(n);
        }
        case Kind::Contacts:
            try {
                const Registry registry(path);
                const QList<BookGroup> book = ContactStore::readBook(registry);
                *what = QStringLiteral("%1 groups").arg(book.size());
                return book == StorageSteps::bookAfter(n);
            } catch (const std::exception& e) {
                *what = QString::fromStdString(e.what());
                return false;
            }
        }
        return false;
    }

    // Starts a writer at step from, lets it get going, kills it at a random moment within
    // `window` milliseconds of its first finished step and returns the last step it finished.
    qint64 runAndKill(Kind kind, const QString& path, qint64 from, int window) {
        QProcess writer;
        writer.start(
            QStringLiteral(STORAGE_WRITER_EXE),
            {StorageSteps::kindName(kind), path, QString::number(from), QStringLiteral("0")});
        writer.waitForStarted();
        QByteArray output;
        QElapsedTimer waited;
        waited.start();
        // The writer after a kill must not be held up by anything the killed one left.
        while (!output.contains("done ") && writer.state() == QProcess::Running &&
               waited.elapsed() < 20000) {
            writer.waitForReadyRead(100);
            output += writer.readAllStandardOutput();
        }
        if (!output.contains("done ")) {
            writer.kill();
            writer.waitForFinished();
            qWarning().noquote() << "writer did not get going:" << writer.readAllStandardError();
            return -1;
        }
        // The kill's moment: a random one in the window, unless the writer ends before it.
        writer.waitForFinished(int(m_random.bounded(window + 1)));
        writer.kill();
        writer.waitForFinished();
        ++m_kills;
        if (QFile::exists(path + QStringLiteral(".lock")))
            ++m_killsHoldingLock;
        output += writer.readAllStandardOutput();
        return lastDone(output, from);
    }

    // The lock files and temporary files that killed writers left beside the data files.
    QStringList leftovers() const {
        QStringList names = QDir(folder()).entryList(QDir::Files);
        names.removeIf([](const QString& name) {
            return name == QLatin1String("History.dat") || name == QLatin1String("Templates.dat") ||
                   name == QLatin1String("Vouchers.txt") || name.startsWith("registry.db");
        });
        return names;
    }

private slots:
    void initTestCase() {
        quint32 seed = QRandomGenerator::global()->generate();
        if (qEnvironmentVariableIsSet("VARNELO_TORTURE_SEED"))
            seed = qEnvironmentVariableIntValue("VARNELO_TORTURE_SEED");
        qInfo("random seed %u (VARNELO_TORTURE_SEED repeats a run)", seed);
        m_random.seed(seed);
        QDir().mkpath(folder());
    }

    void killedWritesLeaveWholeFiles_data() {
        QTest::addColumn<Kind>("kind");
        // Where the state of each kind starts, and how long after its first step a kill comes:
        // a few steps' time, so that most kills fall in the middle of a later write.
        QTest::addColumn<qint64>("start");
        QTest::addColumn<int>("window");
        QTest::newRow("History.dat of 3000 records")
            << Kind::History << qint64(StorageSteps::kHistoryLimit) << 80;
        QTest::newRow("book of 5000 contacts in the settings store")
            << Kind::Contacts << qint64(1) << 600;
        QTest::newRow("Templates.dat") << Kind::Templates << qint64(200) << 30;
        QTest::newRow("Vouchers.txt") << Kind::Vouchers << qint64(200) << 30;
    }
    void killedWritesLeaveWholeFiles() {
        QFETCH(Kind, kind);
        QFETCH(qint64, start);
        QFETCH(int, window);
        const QString path = StorageSteps::targetPath(kind, folder());
        QElapsedTimer timer;
        timer.start();
        m_killsHoldingLock = 0;

        QCOMPARE(StorageSteps::writeState(kind, path, start), QString());
        qint64 state = start;
        QString what;
        QVERIFY2(holdsState(kind, path, state, &what), qPrintable(what));

        for (int kill = 0; kill < kKillsPerKind; ++kill) {
            const qint64 done = runAndKill(kind, path, state + 1, window);
            QVERIFY2(done >= state, "the writer after a kill did not get going");
            if (holdsState(kind, path, done, &what))
                state = done;
            else if (holdsState(kind, path, done + 1, &what))
                state = done + 1;
            else
                QFAIL(qPrintable(QStringLiteral("after kill %1 the file is neither as before step "
                                                "%2 nor as after it: %3")
                                     .arg(kill + 1)
                                     .arg(done + 1)
                                     .arg(what)));
            if (kind == Kind::Contacts)
                QCOMPARE(integrityOf(path), QStringLiteral("ok"));
        }

        // A writer after all those kills runs to its end and leaves no lock file behind.
        QProcess last;
        last.start(
            QStringLiteral(STORAGE_WRITER_EXE),
            {StorageSteps::kindName(kind), path, QString::number(state + 1), QStringLiteral("1")});
        QVERIFY(last.waitForFinished(30000));
        QCOMPARE(last.exitCode(), 0);
        QVERIFY2(holdsState(kind, path, state + 1, &what), qPrintable(what));
        QVERIFY(!QFile::exists(path + QStringLiteral(".lock")));
        qInfo().noquote() << QStringLiteral("%1: %2 kills (%3 holding the lock file), %4 steps "
                                            "done, %5 ms; left beside the files: %6")
                                 .arg(StorageSteps::kindName(kind))
                                 .arg(kKillsPerKind)
                                 .arg(m_killsHoldingLock)
                                 .arg(state + 1 - start)
                                 .arg(timer.elapsed())
                                 .arg(leftovers().join(QLatin1Char(' ')));
    }

    void cleanupTestCase() { qInfo("%d kills in all", m_kills); }
};

QTEST_GUILESS_MAIN(StorageTortureTest)
#include "StorageTortureTest.moc"
