#include "BookEntries.h"
#include "SandboxProcess.h"
#include "ServiceFixture.h"
#include "TestProfile.h"
#include "contacts/ContactBook.h"
#include "history/HistoryFile.h"
#include "messaging/ui/SendUnit.h"
#include "messaging/ui/UnknownOutcomeDialog.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceState.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

namespace {

const QString kFirst = QStringLiteral("+79160000001");
const QString kSecond = QStringLiteral("+79160000002");
const QDateTime kMoment(QDate(2024, 3, 5), QTime(10, 20, 30));

} // namespace

// The dialog's three ways to settle a send of unknown outcome, against a real send journal in
// a temporary profile, and the real sandbox for sending again.
class UnknownOutcomeDialogTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    ServiceFixture m_fixture{m_profile.root()};
    SandboxProcess m_sandbox;
    ContactBook m_book;
    std::unique_ptr<TSendForm> m_form;

    qint64 unknownRow(const QStringList& numbers, const QList<SendOutcome::Accepted>& given = {}) {
        SendJournal::Row row;
        row.moment = kMoment.toUTC();
        row.numbers = numbers;
        row.message = QStringLiteral("Привет");
        row.sign = QStringLiteral("Вася");
        row.sender = QStringLiteral("Varnelo");
        const qint64 id = m_form->journal().begin(row);
        if (!given.isEmpty())
            m_form->journal().recordAccepted(id, given);
        m_form->journal().markUnknown(id, QStringLiteral("ответ не получен"));
        return id;
    }
    static QList<TMess> history() { return HistoryFile().readAll(); }
    static QStringList shown(const UnknownOutcomeDialog& dialog) {
        QStringList rows;
        for (int row = 0; row < dialog.Table->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < dialog.Table->columnCount(); ++column)
                cells << dialog.Table->item(row, column)->text();
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }

private slots:
    void initTestCase() {
        Prompts::enableTestMode();
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
        m_book.setGroups(
            {BookEntries::group(QStringLiteral("Друзья"),
                                {BookEntries::contact(QStringLiteral("Аня"), kFirst)})});
    }
    void init() {
        QVERIFY(m_sandbox.reset());
        m_fixture.reset(m_sandbox.port());
        QFile::remove(HistoryFile::defaultPath());
        m_form = std::make_unique<TSendForm>(m_fixture.sharedRegistry());
        m_form->setContactBook(&m_book);
        Prompts::takeAsked();
    }
    void cleanup() { m_form.reset(); }

    // The id the reply gave reaches the history when the dialog opens; the number left open
    // is recorded as of unknown delivery.
    void countAsSent() {
        unknownRow({kFirst, kSecond}, {{77, kFirst}});
        UnknownOutcomeDialog dialog(*m_form);
        QCOMPARE(shown(dialog),
                 QStringList{QStringLiteral("2024-03-05 10:20:30|%1|Привет Вася").arg(kSecond)});
        QSignalSpy changed(&dialog, &UnknownOutcomeDialog::HistoryChanged);
        dialog.CountAsSentButton->click();
        const QList<TMess> records = history();
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0].Id, 77);
        QCOMPARE(records[0].Status, TMess::kStatusSent);
        QCOMPARE(records[1].Number, kSecond);
        QCOMPARE(records[1].Status, TMess::kStatusOutcomeUnknown);
        QCOMPARE(records[1].moment(), kMoment);
        QCOMPARE(changed.count(), 1);
        QVERIFY(m_form->journal().rows().isEmpty());
        QCOMPARE(dialog.Table->rowCount(), 0);
        QVERIFY(!dialog.CountAsSentButton->isEnabled() && !dialog.RemoveButton->isEnabled());
    }

    void removeAsksFirst_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << int(QMessageBox::Yes);
        QTest::newRow("no") << int(QMessageBox::No);
    }
    void removeAsksFirst() {
        QFETCH(int, answer);
        unknownRow({kFirst});
        UnknownOutcomeDialog dialog(*m_form);
        QCOMPARE(shown(dialog).value(0).section(QLatin1Char('|'), 1, 1),
                 QStringLiteral("Аня ") + kFirst);
        Prompts::queueAnswer(answer);
        dialog.RemoveButton->click();
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].caption, QStringLiteral("Подтверждение"));
        const int left = answer == QMessageBox::Yes ? 0 : 1;
        QCOMPARE(m_form->journal().rows().size(), left);
        QCOMPARE(dialog.Table->rowCount(), left);
        QVERIFY(history().isEmpty());
    }

    // The open numbers go once more; the row goes from the list at once, so a second press
    // cannot send them twice.
    void sendAgain() {
        ServiceState::UserKey.set(m_sandbox.createAccount());
        unknownRow({kFirst, kSecond});
        UnknownOutcomeDialog dialog(*m_form);
        dialog.SendAgainButton->click();
        QCOMPARE(dialog.Table->rowCount(), 0);
        QVERIFY(!dialog.SendAgainButton->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(m_form->sendsInFlight(), 0, 30000);

        const QJsonArray sent =
            m_sandbox.admin("GET", QStringLiteral("/admin/messages"))[u"messages"].toArray();
        const QList<TMess> records = history();
        QCOMPARE(sent.size(), 2);
        QCOMPARE(records.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(sent[i][u"text"].toString(), QStringLiteral("Привет Вася"));
            QCOMPARE(records[i].Id, sent[i][u"id"].toInt());
            QCOMPARE(records[i].Number, i == 0 ? kFirst : kSecond);
        }
        QVERIFY(m_form->journal().rows().isEmpty());
        QCOMPARE(dialog.StatusLine->text(), m_form->statusText());
    }
};

QTEST_MAIN(UnknownOutcomeDialogTest)
#include "UnknownOutcomeDialogTest.moc"
