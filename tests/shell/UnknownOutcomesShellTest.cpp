#include "LoggedInProfile.h"
#include "SandboxProcess.h"
#include "TestProfile.h"
#include "history/HistoryFile.h"
#include "history/ui/HistoryUnit.h"
#include "messaging/ui/MySheet.h"
#include "messaging/ui/SendUnit.h"
#include "messaging/ui/UnknownOutcomeDialog.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "shell/ProgramWindows.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

// The joined windows and the sends of unknown outcome: one dialog at start and after a send
// that leaves one, the menu item, and a close while messages are out.
class UnknownOutcomesShellTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    SandboxProcess m_sandbox;
    std::unique_ptr<ProgramWindows> m_windows;
    std::unique_ptr<TMainForm> m_main;
    std::unique_ptr<TSendForm> m_send;
    std::unique_ptr<THistoryForm> m_history;

    void send(const QString& text) {
        m_send->CreateNewPage(QStringLiteral("Varnelo"), QStringLiteral("Аня"),
                              QStringLiteral("+79161234567"), {}, text, false, nullptr);
        m_send->activePage()->sendButton()->click();
    }
    bool menuOffersUnknownOutcomes() {
        emit m_main->trayMenu()->aboutToShow();
        return m_main->unknownOutcomesAction()->isVisible();
    }

private slots:
    void initTestCase() {
        Prompts::enableTestMode();
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
    }
    void init() {
        QVERIFY(m_sandbox.reset());
        QVERIFY(!m_sandbox.createAccount({{"key", LoggedInProfile::kKey}}).isEmpty());
        QFile::remove(HistoryFile::defaultPath());
        const auto client = LoggedInProfile::write({}, m_sandbox.port());
        m_windows = std::make_unique<ProgramWindows>(client);
        m_main =
            LoggedInProfile::start(client, QStringLiteral("varnelo-unknown"), m_windows->dialogs());
        m_send = std::make_unique<TSendForm>(m_main->serviceClient());
        m_history = std::make_unique<THistoryForm>(m_main->serviceClient());
        m_windows->join(*m_main, *m_send, *m_history);
        Prompts::takeAsked();
    }
    void cleanup() {
        m_send.reset();
        m_history.reset();
        m_main.reset();
        m_windows.reset();
    }

    void oneDialogAtStartAndAfterASend() {
        m_send->journal().markUnknown(m_send->journal().begin({}), QString());
        QVERIFY(menuOffersUnknownOutcomes());
        m_windows->recoverUnknownOutcomes();
        const QPointer<UnknownOutcomeDialog> dialog = m_windows->unknownOutcomeDialog();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->rows().size(), 1);

        // A reply lost after the request went out: the same dialog, one row more.
        QVERIFY(m_sandbox.failNext(2, QStringLiteral("close")));
        send(QStringLiteral("Второе"));
        QTRY_COMPARE_WITH_TIMEOUT(dialog->rows().size(), 2, 30000);
        QCOMPARE(m_windows->unknownOutcomeDialog(), dialog.data());

        dialog->close();
        QTRY_VERIFY(!dialog);
        m_main->unknownOutcomesAction()->trigger();
        QVERIFY(m_windows->unknownOutcomeDialog()->isVisible());
        for (const SendJournal::Row& row : m_send->journal().rows())
            m_send->journal().remove(row.id);
        QVERIFY(!menuOffersUnknownOutcomes());
    }

    // Run last: the sandbox still holds the request of the send that "Нет" leaves behind.
    void closeWithSendsOut_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("wait") << int(QMessageBox::Yes);
        QTest::newRow("close now") << int(QMessageBox::No);
    }
    void closeWithSendsOut() {
        QFETCH(int, answer);
        const bool wait = answer == QMessageBox::Yes;
        QVERIFY(m_sandbox.failNext(1, QStringLiteral("delay"), wait ? 1500 : 5000));
        send(QStringLiteral("Пока"));
        QSignalSpy closed(m_main.get(), &TMainForm::FormClosed);
        Prompts::queueAnswer(answer);
        m_main->close();
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text,
                 QStringLiteral("Идет отправка сообщений (1). Дождаться ответа сервера?"));
        QCOMPARE(asked[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(closed.count(), wait ? 0 : 1);
        if (wait) {
            QCOMPARE(m_main->statusText(), QStringLiteral("Ожидание ответа сервера..."));
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 20000);
            QVERIFY(!QGuiApplication::overrideCursor());
        } else {
            m_send.reset(); // waits three seconds, then lets the send go
        }
        const QList<SendJournal::Row> rows = SendJournal(*m_main->settingsStore()).rows();
        QCOMPARE(rows.size(), wait ? 0 : 1);
        QCOMPARE(HistoryFile().readAll().size(), wait ? 1 : 0);
        if (!wait) {
            QCOMPARE(rows[0].state, SendJournal::State::Unknown);
            QCOMPARE(rows[0].fullText(), QStringLiteral("Пока"));
        }
    }
};

QTEST_MAIN(UnknownOutcomesShellTest)
#include "UnknownOutcomesShellTest.moc"
