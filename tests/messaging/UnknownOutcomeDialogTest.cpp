#include "messaging/ui/UnknownOutcomeDialog.h"
#include "BookEntries.h"
#include "SandboxProcess.h"
#include "ServiceFixture.h"
#include "TestProfile.h"
#include "contacts/ContactBook.h"
#include "history/HistoryFile.h"
#include "messaging/ui/SendUnit.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"

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

    void unknownRow(const QStringList& numbers, const QList<SendOutcome::Accepted>& given = {}) {
        SendJournal::Row row;
        row.moment = kMoment.toUTC();
        row.numbers = numbers;
        row.message = QStringLiteral("Привет");
        row.sign = QStringLiteral("Вася");
        row.sender = QStringLiteral("Varnelo");
        const qint64 id = m_form->journal().begin(row);
        m_form->journal().recordAccepted(id, given);
        m_form->journal().markUnknown(id, QStringLiteral("ответ не получен"));
    }
    QString cell(const UnknownOutcomeDialog& dialog, int row, int column) const {
        return dialog.table()->model()->index(row, column).data().toString();
    }

private slots:
    void initTestCase() {
        Prompts::enableTestMode();
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
        m_book.setGroups({BookEntries::group(
            QStringLiteral("Друзья"), {BookEntries::contact(QStringLiteral("Аня"), kFirst)})});
    }
    void init() {
        QVERIFY(m_sandbox.reset());
        m_fixture.reset(m_sandbox.port());
        QFile::remove(HistoryFile::defaultPath());
        m_form = std::make_unique<TSendForm>(m_fixture.sharedClient());
        m_form->setContactBook(&m_book);
    }
    void cleanup() { m_form.reset(); }

    // The id the reply gave reaches the history when the dialog opens; the number left open
    // is recorded as of unknown delivery.
    void countAsSent() {
        unknownRow({kSecond, kFirst}, {{77, kSecond}});
        UnknownOutcomeDialog dialog(*m_form);
        QCOMPARE(dialog.table()->model()->rowCount(), 1);
        QCOMPARE(cell(dialog, 0, 0), QStringLiteral("2024-03-05 10:20:30"));
        QCOMPARE(cell(dialog, 0, 1), QStringLiteral("Аня ") + kFirst);
        QCOMPARE(cell(dialog, 0, 2), QStringLiteral("Привет Вася"));
        QCOMPARE(dialog.table()->model()->index(0, 2).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("ответ не получен\n\nПривет Вася"));
        QSignalSpy changed(&dialog, &UnknownOutcomeDialog::HistoryChanged);
        dialog.countAsSentButton()->click();
        const QList<TMess> records = HistoryFile().readAll();
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0].Id, 77);
        QCOMPARE(records[0].Status, TMess::kStatusSent);
        QCOMPARE(records[1].Number, kFirst);
        QCOMPARE(records[1].Status, TMess::kStatusOutcomeUnknown);
        QCOMPARE(records[1].moment(), kMoment);
        QCOMPARE(changed.count(), 1);
        QVERIFY(m_form->journal().rows().isEmpty());
        QCOMPARE(dialog.table()->model()->rowCount(), 0);
        QVERIFY(!dialog.countAsSentButton()->isEnabled() && !dialog.removeButton()->isEnabled());
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
        Prompts::takeAsked();
        Prompts::queueAnswer(answer);
        dialog.removeButton()->click();
        QCOMPARE(Prompts::takeAsked().value(0).caption, QStringLiteral("Подтверждение"));
        const int left = answer == QMessageBox::Yes ? 0 : 1;
        QCOMPARE(m_form->journal().rows().size(), left);
        QCOMPARE(dialog.table()->model()->rowCount(), left);
        QVERIFY(HistoryFile().readAll().isEmpty());
    }

    // The open numbers go once more; the row leaves the list at once, so a second press
    // cannot send them twice.
    void sendAgain() {
        m_fixture.client().setUserKey(m_sandbox.createAccount());
        unknownRow({kFirst, kSecond});
        UnknownOutcomeDialog dialog(*m_form);
        dialog.sendAgainButton()->click();
        QCOMPARE(dialog.table()->model()->rowCount(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_form->sendsInFlight(), 0, 30000);
        const QJsonArray sent =
            m_sandbox.admin("GET", QStringLiteral("/admin/messages"))[u"messages"].toArray();
        const QList<TMess> records = HistoryFile().readAll();
        QCOMPARE(sent.size(), 2);
        QCOMPARE(records.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(sent[i][u"text"].toString(), QStringLiteral("Привет Вася"));
            QCOMPARE(records[i].Id, sent[i][u"id"].toInt());
        }
        QVERIFY(m_form->journal().rows().isEmpty());
        QCOMPARE(dialog.statusLine()->text(), m_form->statusText());
    }
};

QTEST_MAIN(UnknownOutcomeDialogTest)
#include "UnknownOutcomeDialogTest.moc"
