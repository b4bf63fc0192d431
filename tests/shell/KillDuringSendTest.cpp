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

constexpr int kRecipients = 20;
// Enough for the killing to land in every step of a send, within about two minutes.
constexpr int kKills = 20;

struct Figures {
    int accepted = 0;
    int inHistory = 0;
    int inJournal = 0;
    int doubled = 0;
    int missing = 0;
};

} // namespace

// The real program, started against the real sandbox, is stopped at random moments of a group
// send: by SIGKILL, or by SIGTERM, which closes it the ordinary way after the send. After
// each stop, once the next start's takeover has run, every message the service accepted is
// in the history by its id or in the send journal by number and text — once.
class KillDuringSendTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    SandboxProcess m_sandbox;
    QRandomGenerator m_random{QRandomGenerator::global()->generate()};

    QJsonArray sandbox(const QString& what) const {
        return m_sandbox.admin("GET", QStringLiteral("/admin/") + what)[what].toArray();
    }
    bool journalHolds(const QString& text) const {
        const QList<SendJournal::Row> rows = SendJournal(Registry()).rows();
        return std::any_of(rows.cbegin(), rows.cend(),
                           [&](const SendJournal::Row& row) { return row.fullText() == text; });
    }
    // Until the service has carried out the send of `text`, or `timeoutMs` without it.
    void waitForService(const QString& text, int timeoutMs) const {
        const QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            for (const QJsonValue entry : sandbox(QStringLiteral("log"))) {
                if (entry[u"command"].toString() == u"SendSms" &&
                    entry[u"request"][u"text"].toString().contains(text))
                    return;
            }
            QTest::qWait(20);
        }
    }
    Figures check() const {
        SendJournal journal{Registry()};
        const HistoryFile history;
        UnknownOutcomes::recover(journal, history, 100000);
        QHash<qint32, int> recorded;
        for (const TMess& record : history.readAll())
            ++recorded[record.Id];
        QHash<QString, int> open; // text and number
        for (const SendJournal::Row& row : journal.rows()) {
            for (const QString& number : row.numbers)
                ++open[row.fullText() + QLatin1Char('\n') + number];
        }
        Figures figures;
        for (const QJsonValue message : sandbox(QStringLiteral("messages"))) {
            const int h = recorded.value(message[u"id"].toInt());
            const int j = open.value(message[u"text"].toString() + QLatin1Char('\n') +
                                     message[u"number"].toString());
            ++figures.accepted;
            figures.inHistory += h;
            figures.inJournal += j;
            figures.doubled += h + j > 1;
            figures.missing += h + j == 0;
        }
        return figures;
    }

private slots:
    void killsLoseAndDoubleNothing() {
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
        QVERIFY(!m_sandbox.createAccount({{"key", LoggedInProfile::kKey}, {"balance", "100000"}})
                     .isEmpty());
        QList<BookEntry> contacts;
        for (int i = 0; i < kRecipients; ++i)
            contacts << BookEntries::contact(QStringLiteral("Абонент %1").arg(i),
                                             QStringLiteral("+791610000%1").arg(i, 2, 10, QChar(u'0')));
        LoggedInProfile::write({BookEntries::group(QStringLiteral("Все"), contacts)},
                               m_sandbox.port());

        int terms = 0;
        Figures figures;
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
            QVERIFY(program.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(journalHolds(text), 30000);

            // Half of the stops around the reply's arrival, where most steps are taken.
            QTest::qWait(m_random.bounded(2) ? delayMs + m_random.bounded(-30, 60)
                                             : m_random.bounded(delayMs + 100));
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
            waitForService(text, delayMs + 1000);
            m_sandbox.admin("DELETE", QStringLiteral("/admin/faults"));
            figures = check();
            QVERIFY2(figures.missing == 0 && figures.doubled == 0, qPrintable(text));
        }
        qInfo("kills %d (SIGTERM %d, SIGKILL %d); accepted %d, in history %d, in journal %d, "
              "doubled %d",
              kKills, terms, kKills - terms, figures.accepted, figures.inHistory,
              figures.inJournal, figures.doubled);
    }
};

QTEST_MAIN(KillDuringSendTest)
#include "KillDuringSendTest.moc"
