#include "SandboxProcess.h"
#include "StorageSteps.h"
#include "TestProfile.h"
#include "history/HistoryFile.h"
#include "messaging/TemplatesFile.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <memory>
#include <set>

using StorageSteps::Kind;

// Two real processes change one file at once; every change of both must be in it, once.
class StorageWritersTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

    static constexpr qint64 kEach = 300;
    static constexpr qint64 kSecondFrom = 100001;

    QString folder() const { return m_profile.dataFolder(); }

    // The numbers of the steps that are in the file, in file order.
    static QList<qint64> stepsInFile(Kind kind, const QString& path) {
        QList<qint64> steps;
        if (kind == Kind::History) {
            QString error;
            for (const TMess& record : HistoryFile(path).readAll(&error))
                steps.append(record.Id);
            if (!error.isEmpty())
                qWarning() << error;
        } else if (kind == Kind::Templates) {
            for (const QString& line : TemplatesFile(path).read())
                steps.append(line.section(QLatin1Char(' '), 1, 1)
                                 .section(QLatin1Char('|'), 0, 0)
                                 .toLongLong());
        } else {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly)) {
                for (const QByteArray& line : file.readAll().split('\n')) {
                    if (!line.isEmpty())
                        steps.append(line.split('\t').value(1).toLongLong(nullptr, 16));
                }
            }
        }
        return steps;
    }

private slots:
    void init() {
        QDir(folder()).removeRecursively();
        QDir().mkpath(folder());
    }

    void bothProcessesKeepEveryChange_data() {
        QTest::addColumn<Kind>("kind");
        QTest::newRow("appends to History.dat") << Kind::History;
        QTest::newRow("read-and-rewrites of Templates.dat") << Kind::Templates;
        QTest::newRow("appends to Vouchers.txt") << Kind::Vouchers;
    }
    void bothProcessesKeepEveryChange() {
        QFETCH(Kind, kind);
        const QString path = StorageSteps::targetPath(kind, folder());
        std::vector<std::unique_ptr<QProcess>> writers;
        for (const qint64 from : {qint64(1), kSecondFrom}) {
            auto& writer = writers.emplace_back(std::make_unique<QProcess>());
            writer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            writer->start(QStringLiteral(STORAGE_WRITER_EXE),
                          {StorageSteps::kindName(kind), path, QString::number(from),
                           QString::number(kEach)});
        }
        for (auto& writer : writers) {
            QVERIFY(writer->waitForFinished(120000));
            QCOMPARE(writer->exitStatus(), QProcess::NormalExit);
            QCOMPARE(writer->exitCode(), 0);
            QCOMPARE(writer->readAllStandardOutput().count("done "), kEach);
        }

        const QList<qint64> inFile = stepsInFile(kind, path);
        QList<qint64> first;
        QList<qint64> second;
        for (const qint64 step : inFile)
            (step < kSecondFrom ? first : second).append(step);
        QList<qint64> expectedFirst;
        QList<qint64> expectedSecond;
        for (qint64 i = 0; i < kEach; ++i) {
            expectedFirst.append(1 + i);
            expectedSecond.append(kSecondFrom + i);
        }
        QCOMPARE(inFile.size(), 2 * kEach);
        // Each process's changes, every one once and in the order it made them.
        QCOMPARE(first, expectedFirst);
        QCOMPARE(second, expectedSecond);
        QVERIFY(!QFile::exists(path + QStringLiteral(".lock")));
    }

    // A disk that fills up: the file size limit stops the writer at the first step that does
    // not fit, and the file holds every step done before it, whole.
    void fullDiskKeepsTheLastWholeFile_data() { bothProcessesKeepEveryChange_data(); }
    void fullDiskKeepsTheLastWholeFile() {
        QFETCH(Kind, kind);
        const QString path = StorageSteps::targetPath(kind, folder());
        QProcess shell;
        shell.start(QStringLiteral("bash"),
                    {QStringLiteral("-c"), QStringLiteral("trap '' XFSZ; ulimit -f 8; exec \"$@\""),
                     QStringLiteral("-"), QStringLiteral(STORAGE_WRITER_EXE),
                     StorageSteps::kindName(kind), path, QStringLiteral("1"),
                     QStringLiteral("2000")}); // far more than fits
        QVERIFY(shell.waitForFinished(120000));
        QCOMPARE(shell.exitCode(), 1);
        const qint64 done = shell.readAllStandardOutput().count("done ");
        QVERIFY(done > 0);
        QList<qint64> expected;
        for (qint64 step = 1; step <= done; ++step)
            expected.append(step);
        QCOMPARE(stepsInFile(kind, path), expected);
    }

    // As a user would: two shell loops of varnelo-cli send on one profile at once, against the
    // real service; every accepted message gets its history record.
    void twoCliSendLoopsKeepEveryRecord() {
        SandboxProcess sandbox;
        QVERIFY2(sandbox.start(), qPrintable(sandbox.errorString()));
        const QString key =
            sandbox.createAccount({{QStringLiteral("balance"), QStringLiteral("1000.00")}});
        const auto cli = [](const QStringList& arguments) {
            QProcess process;
            process.start(QStringLiteral(VARNELO_CLI_EXE), arguments);
            return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
                       ? process.exitCode()
                       : -1;
        };
        QCOMPARE(cli({"config", "set", "Host", sandbox.host()}), 0);
        QCOMPARE(cli({"config", "set", "Port", QString::number(sandbox.port()), "--integer"}), 0);
        QCOMPARE(cli({"config", "set", "@", key}), 0);

        constexpr int kSends = 30;
        const QString loop = QStringLiteral(
            "for i in $(seq 1 %1); do \"$0\" send --to +7916123456$1 --text \"$1 $i\" || exit 1; "
            "done");
        std::vector<std::unique_ptr<QProcess>> loops;
        for (const char* name : {"1", "2"}) {
            auto& shell = loops.emplace_back(std::make_unique<QProcess>());
            shell->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            shell->start(QStringLiteral("sh"),
                         {QStringLiteral("-c"), loop.arg(kSends), QStringLiteral(VARNELO_CLI_EXE),
                          QString::fromLatin1(name)});
        }
        for (auto& shell : loops) {
            QVERIFY(shell->waitForFinished(120000));
            QCOMPARE(shell->exitCode(), 0);
        }

        QString error;
        const QList<TMess> records = HistoryFile().readAll(&error);
        QCOMPARE(error, QString());
        std::set<QString> texts;
        std::set<qint32> ids;
        for (const TMess& record : records) {
            texts.insert(record.Text);
            ids.insert(record.Id);
        }
        QCOMPARE(records.size(), 2 * kSends);
        QCOMPARE(int(texts.size()), 2 * kSends);
        QCOMPARE(int(ids.size()), 2 * kSends);
    }
};

QTEST_GUILESS_MAIN(StorageWritersTest)
#include "StorageWritersTest.moc"
