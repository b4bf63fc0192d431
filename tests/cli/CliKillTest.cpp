#include "SandboxProcess.h"
#include "TestProfile.h"
#include "history/HistoryFile.h"
#include "messaging/SendJournal.h"
#include "platform/Registry.h"
#include "shared/Settings.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

// varnelo-cli killed at random moments of group sends to a slow service: whatever the service
// took is afterwards in the history or in the send journal, and nothing is in both or twice.
class CliKillTest : public QObject {
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

    struct Seen {
        int accepted = 0;
        int inHistory = 0;
        int inJournal = 0;
    };

    // Every message of the service with `text` is found once: by id in the history, or in a
    // journal row with that text, by the id its reply gave or else by its number. A row may
    // still name ids the history has (a stop between the two writes): the next look at the
    // journal drops them, so only `settled` journals must have none.
    static void checkTraces(const QJsonArray& messages, const QString& text, bool settled,
                            Seen& seen) {
        QString error;
        const QList<TMess> history = HistoryFile().readAll(&error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QHash<qint32, int> historyIds;
        for (const TMess& record : history)
            ++historyIds[record.Id];
        QStringList openNumbers;
        QSet<qint32> journalIds;
        for (const SendJournal::Row& row : SendJournal(Registry()).rows()) {
            if (row.message != text)
                continue;
            QStringList numbers = row.numbers;
            for (const SendOutcome::Accepted& accepted : row.accepted) {
                numbers.removeOne(accepted.number);
                journalIds.insert(accepted.id);
            }
            openNumbers += numbers;
        }
        for (const QJsonValue& value : messages) {
            const QJsonObject message = value.toObject();
            if (message.value(QLatin1String("text")).toString() != text)
                continue;
            ++seen.accepted;
            const qint32 id = message.value(QLatin1String("id")).toInt();
            const bool recorded = historyIds.value(id) == 1;
            const bool journaled =
                openNumbers.removeOne(message.value(QLatin1String("number")).toString()) ||
                (journalIds.contains(id) && (settled || !recorded));
            QVERIFY2(historyIds.value(id) <= 1, qPrintable(QStringLiteral("id %1 twice").arg(id)));
            QVERIFY2(recorded != journaled,
                     qPrintable(QStringLiteral("message %1 recorded %2, journaled %3")
                                    .arg(id)
                                    .arg(recorded)
                                    .arg(journaled)));
            seen.inHistory += recorded;
            seen.inJournal += journaled;
        }
    }

private slots:
    void initTestCase() {
        QVERIFY2(m_sandbox.start({QStringLiteral("--status-step-ms"), QStringLiteral("100000"),
                                  QStringLiteral("--start-balance"), QStringLiteral("100000")}),
                 qPrintable(m_sandbox.errorString()));
        const QString key = m_sandbox.createAccount();
        QCOMPARE(key.size(), 48);
        QCOMPARE(cli({"config", "set", "Host", m_sandbox.host()}), 0);
        QCOMPARE(cli({"config", "set", "Port", QString::number(m_sandbox.port())}), 0);
        QCOMPARE(cli({"config", "set", "@", key}), 0);
    }

    void killsDuringGroupSends() {
        constexpr int kKills = 100;
        constexpr int kGroupSize = 20;
        constexpr int kServiceDelayMs = 150;
        QStringList numbers;
        for (int i = 0; i < kGroupSize; ++i)
            numbers << QStringLiteral("+7916%1").arg(i, 7, 10, QLatin1Char('0'));
        QRandomGenerator random(20261210);
        Seen seen;
        int killed = 0;
        qint64 lastId = 0;
        // Sends that end before their kill moment count for the traces, not for the kills.
        int round = 0;
        for (; killed < kKills && round < 4 * kKills; ++round) {
            QVERIFY(m_sandbox.failNext(1, QStringLiteral("delay"), kServiceDelayMs));
            const QString text = QStringLiteral("Проверка %1").arg(round);
            QProcess send;
            send.start(QStringLiteral(VARNELO_CLI_EXE),
                       {"send", "--to", numbers.join('|'), "--text", text});
            QVERIFY(send.waitForStarted());
            // The moment of the kill: anywhere from the start to just after the reply.
            if (!send.waitForFinished(int(random.bounded(kServiceDelayMs + 250)))) {
                send.kill();
                ++killed;
            }
            send.waitForFinished();
            // This round's messages only: the list comes a thousand at a time.
            const QJsonArray messages =
                m_sandbox.admin("GET", QStringLiteral("/admin/messages?after=%1").arg(lastId))
                    .value(QLatin1String("messages"))
                    .toArray();
            for (const QJsonValue& message : messages)
                lastId =
                    std::max(lastId, message.toObject().value(QLatin1String("id")).toInteger());
            checkTraces(messages, text, false, seen);
            if (QTest::currentTestFailed())
                return;
            // The outbox takes over what the killed tool left, and nothing doubles then either.
            QCOMPARE(cli({"outbox"}), 0);
            Seen after;
            checkTraces(messages, text, true, after);
            if (QTest::currentTestFailed())
                return;
            for (const SendJournal::Row& row : SendJournal(Registry()).rows())
                QCOMPARE(cli({"outbox", "resolve", QString::number(row.id), "--drop"}), 0);
        }
        qInfo("%d sends, %d killed: %d messages accepted, %d found in the history, %d in the "
              "journal",
              round, killed, seen.accepted, seen.inHistory, seen.inJournal);
        QCOMPARE(killed, kKills);
        QVERIFY(seen.accepted > 0);
    }
};

QTEST_MAIN(CliKillTest)
#include "CliKillTest.moc"
