#include "SandboxProcess.h"
#include "TestProfile.h"
#include "history/HistoryFile.h"
#include "messaging/SendJournal.h"
#include "platform/Registry.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

// Two `varnelo-cli outbox run` started together over the same due rows: every row reaches the
// service exactly once, whichever of them takes it.
class OutboxRunRaceTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    SandboxProcess m_sandbox;

    static int cli(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral(VARNELO_CLI_EXE), arguments);
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
                   ? process.exitCode()
                   : -1;
    }

private slots:
    void initTestCase() {
        QVERIFY2(m_sandbox.start({QStringLiteral("--start-balance"), QStringLiteral("100000")}),
                 qPrintable(m_sandbox.errorString()));
        QCOMPARE(cli({"config", "set", "Host", m_sandbox.host()}), 0);
        QCOMPARE(cli({"config", "set", "Port", QString::number(m_sandbox.port())}), 0);
        QCOMPARE(cli({"config", "set", "@", m_sandbox.createAccount()}), 0);
    }

    void twoRunsSendEachRowOnce() {
        constexpr int kRows = 200;
        {
            SendJournal journal{Registry()};
            const QDateTime due = QDateTime::currentDateTimeUtc().addSecs(-60);
            for (int i = 0; i < kRows; ++i) {
                SendJournal::Row row;
                row.numbers =
                    QStringList{QStringLiteral("+7916%1").arg(i, 7, 10, QLatin1Char('0'))};
                row.message = QStringLiteral("Напоминание %1").arg(i);
                row.sender = QStringLiteral("varnelo.ru");
                journal.schedule(row, due);
            }
        }
        QProcess runs[2];
        for (QProcess& run : runs)
            run.start(QStringLiteral(VARNELO_CLI_EXE), {"outbox", "run"});
        int lines[2] = {};
        for (int i = 0; i < 2; ++i) {
            QVERIFY(runs[i].waitForFinished(240000));
            QCOMPARE(runs[i].exitCode(), 0);
            lines[i] = int(runs[i].readAllStandardOutput().count('\n'));
        }
        QHash<QString, int> seen;
        for (const QJsonValue& message :
             m_sandbox.admin("GET", QStringLiteral("/admin/messages?limit=1000"))
                 .value(QLatin1String("messages"))
                 .toArray())
            ++seen[message.toObject().value(QLatin1String("text")).toString()];
        QCOMPARE(seen.size(), kRows);
        for (auto it = seen.cbegin(); it != seen.cend(); ++it)
            QVERIFY2(it.value() == 1, qPrintable(it.key()));
        QCOMPARE(lines[0] + lines[1], kRows);
        const QList<TMess> records = HistoryFile().readAll();
        QSet<qint32> ids;
        for (const TMess& record : records)
            ids.insert(record.Id);
        QCOMPARE(records.size(), kRows);
        QCOMPARE(ids.size(), kRows);
        SendJournal journal{Registry()};
        QCOMPARE(journal.scheduled().size(), 0);
        QCOMPARE(journal.rows().size(), 0);
        qInfo("%d rows sent once each: %d by one run, %d by the other", kRows, lines[0], lines[1]);
    }
};

QTEST_GUILESS_MAIN(OutboxRunRaceTest)
#include "OutboxRunRaceTest.moc"
