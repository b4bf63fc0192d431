#include "BookEntries.h"
#include "LoggedInProfile.h"
#include "SandboxProcess.h"
#include "TestProfile.h"
#include "history/HistoryFile.h"
#include "messaging/UnknownOutcomes.h"
#include "platform/Registry.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>

namespace {
// Enough for the stops to land in every step of a send, in well under two minutes here.
constexpr int kKills = 40;
} // namespace

// The real program, started against the real sandbox, is stopped at random moments of a group
// send of 20: by SIGKILL, or by SIGTERM, which closes it the ordinary way once the send is
// through. After each stop and the takeover that the next start runs, every message the
// service accepted is in the history by its id or in the send journal by number and text,
// and in one place only.
class KillDuringSendTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    SandboxProcess m_sandbox;
    QRandomGenerator m_random{QRandomGenerator::global()->generate()};

    QJsonArray sandbox(const QString& path, const QString& key) const {
        return m_sandbox.admin("GET", QStringLiteral("/admin/") + path)[key].toArray();
    }
    static bool journalHolds(const QString& text) {
        const QList<SendJournal::Row> rows = SendJournal(Registry()).rows();
        return std::any_of(rows.cbegin(), rows.cend(),
                           [&](const SendJournal::Row& row) { return row.fullText() == text; });
    }
    // A request the program no longer waits for is still carried out after its delay.
    bool serviceDone(const QString& text) const {
        const QJsonArray log = sandbox(QStringLiteral("log"), QStringLiteral("entries"));
        return std::any_of(log.begin(), log.end(), [&](const QJsonValue& entry) {
            return entry[u"command"].toString() == u"SendSms" &&
                   entry[u"request"][u"text"].toString().contains(text);
        });
    }

private slots:
    void killsLoseAndDoubleNothing() {
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
        QVERIFY(!m_sandbox.createAccount({{"key", LoggedInProfile::kKey}, {"balance", "100000"}})
                     .isEmpty());
        QList<BookEntry> contacts;
        for (int i = 10; i < 30; ++i)
            contacts << BookEntries::contact(QString::number(i),
                                             QStringLiteral("+79161000%1").arg(i));
        LoggedInProfile::write({BookEntries::group(QStringLiteral("Все"), contacts)},
                               m_sandbox.port());

        int terms = 0;
        QHash<QString, int> tally;
        for (int kill = 0; kill < kKills; ++kill) {
            const QString text = QStringLiteral("Проверка %1").arg(kill);
            const int delayMs = m_random.bounded(100, 700);
            QVERIFY(m_sandbox.failNext(50, QStringLiteral("delay"), delayMs));
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            environment.insert(QStringLiteral("VARNELO_TEST_SEND_TEXT"), text);
            QProcess program;
            program.setProcessEnvironment(environment);
            program.start(QStringLiteral(VARNELO_PATH), {});
            QVERIFY(QTest::qWaitFor([&] { return journalHolds(text); }, 30000));
            // Half of the stops as the reply goes out, where the most steps are taken; the
            // others at a random moment while the service holds the reply back.
            const bool atTheReply = m_random.bounded(2);
            const bool replied =
                QTest::qWaitFor([&] { return serviceDone(text); },
                                atTheReply ? delayMs + 30000 : m_random.bounded(delayMs));
            QVERIFY(replied || !atTheReply);
            const bool term = m_random.bounded(2);
            ::kill(pid_t(program.processId()), term ? SIGTERM : SIGKILL);
            QVERIFY(program.waitForFinished(30000));
            if (term) {
                ++terms;
                // The ordinary end: the send awaited, nothing left open.
                QCOMPARE(program.exitStatus(), QProcess::NormalExit);
                QCOMPARE(program.exitCode(), 0);
                QVERIFY(!journalHolds(text));
            }
            // Ends without it too: a request stopped before it left is never carried out.
            static_cast<void>(QTest::qWaitFor([&] { return serviceDone(text); }, delayMs + 2000));
            m_sandbox.admin("DELETE", QStringLiteral("/admin/faults"));

            SendJournal journal{Registry()};
            const HistoryFile history;
            UnknownOutcomes::recover(journal, history, 100000);
            QHash<qint32, int> recorded;
            for (const TMess& record : history.readAll())
                ++recorded[record.Id];
            QHash<QString, int> open; // by text and number
            for (const SendJournal::Row& row : journal.rows()) {
                for (const QString& number : row.numbers)
                    ++open[row.fullText() + u'\n' + number];
            }
            tally.clear();
            for (const QJsonValue message :
                 sandbox(QStringLiteral("messages"), QStringLiteral("messages"))) {
                const int inHistory = recorded.value(message[u"id"].toInt());
                const int inJournal =
                    open.value(message[u"text"].toString() + u'\n' + message[u"number"].toString());
                tally[QStringLiteral("accepted")] += 1;
                tally[QStringLiteral("in history")] += inHistory;
                tally[QStringLiteral("in journal")] += inJournal;
                QVERIFY2(inHistory + inJournal == 1, qPrintable(text));
            }
        }
        qInfo("kills %d (SIGTERM %d, SIGKILL %d): accepted %d, in history %d, in journal %d, "
              "none lost or doubled",
              kKills, terms, kKills - terms, tally[QStringLiteral("accepted")],
              tally[QStringLiteral("in history")], tally[QStringLiteral("in journal")]);
    }
};

QTEST_MAIN(KillDuringSendTest)
#include "KillDuringSendTest.moc"
