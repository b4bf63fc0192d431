#include "TestProfile.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <sqlite3.h>

#include <memory>

// The program's long-lived connection, short-lived handles beside it in the same process
// (the account dialogs make them), and the command-line tool in processes of its own, all on
// one store file.
class RegistryProcessesTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

    struct Run {
        int code = -1;
        QString out;
    };

    static Run cli(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral(VARNELO_CLI_EXE), arguments);
        Run run;
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
        return run;
    }

    // What another process reads, through SQLite, with an integrity check first.
    static QString integrity() {
        sqlite3* db = nullptr;
        QString result;
        if (sqlite3_open_v2(QFile::encodeName(AppPaths::registryFile()).constData(), &db,
                            SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* check = nullptr;
            if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr) ==
                    SQLITE_OK &&
                sqlite3_step(check) == SQLITE_ROW)
                result =
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)));
            sqlite3_finalize(check);
        } else {
            result = QString::fromUtf8(sqlite3_errmsg(db));
        }
        sqlite3_close(db);
        return result;
    }

private slots:
    void init() {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(AppPaths::registryFile() + QLatin1String(suffix));
    }

    void shortHandlesBesideTheProgram_data() {
        QTest::addColumn<bool>("handleWrites");
        QTest::newRow("handle only opened") << false;
        QTest::newRow("handle writes the key") << true;
    }

    // Every round: a handle made and dropped beside the program's connection, the tool
    // writing and ending, the program writing after it. Both sides must keep agreeing.
    void shortHandlesBesideTheProgram() {
        QFETCH(bool, handleWrites);
        auto program = std::make_unique<Registry>();
        program->writeString({}, QStringLiteral("Host"), QStringLiteral("localhost"));
        program->writeInteger({}, QStringLiteral("Port"), 3000);

        for (int round = 0; round < 3; ++round) {
            const QString fromTool = QStringLiteral("tool-%1").arg(round);
            const QString fromProgram = QStringLiteral("program-%1").arg(round);
            {
                Registry handle;
                if (handleWrites)
                    handle.writeString({}, {}, QStringLiteral("KEY%1").arg(round));
            }
            QCOMPARE(cli({"config", "set", "Sender", fromTool}).code, 0);
            program->writeString({}, QStringLiteral("Sign"), fromProgram);

            QCOMPARE(program->readString({}, QStringLiteral("Sender")), fromTool);
            const Run sign = cli({"config", "get", "Sign"});
            QCOMPARE(sign.code, 0);
            QCOMPARE(sign.out, fromProgram);
            if (handleWrites)
                QCOMPARE(cli({"config", "get", "@"}).out, QStringLiteral("KEY%1").arg(round));
            QCOMPARE(integrity(), QStringLiteral("ok"));
        }
        program.reset();
        QCOMPARE(integrity(), QStringLiteral("ok"));
        QCOMPARE(cli({"config", "get", "Sign"}).out, QStringLiteral("program-2"));
    }

    // The store and its journal files are private from their first byte.
    void newStoreIsPrivate() {
        QVERIFY(!QFile::exists(AppPaths::registryFile()));
        Registry program;
        program.writeString({}, QStringLiteral("Host"), QStringLiteral("x"));
        for (const char* suffix : {"", "-wal", "-shm"}) {
            const QString file = AppPaths::registryFile() + QLatin1String(suffix);
            QVERIFY2(QFile::exists(file), qPrintable(file));
            QCOMPARE(int(QFile::permissions(file) & 0x0077), 0);
        }
    }
};

QTEST_GUILESS_MAIN(RegistryProcessesTest)
#include "RegistryProcessesTest.moc"
