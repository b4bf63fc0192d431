#include "SandboxProcess.h"
#include "ServiceFixture.h"
#include "TestProfile.h"
#include "contacts/ContactBook.h"
#include "history/HistoryFile.h"
#include "messaging/SendJournal.h"
#include "messaging/ui/MessageEdit.h"
#include "messaging/ui/MySheet.h"
#include "messaging/ui/SendReportDialog.h"
#include "messaging/ui/SendUnit.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

// Sends to a group of the book against the real sandbox: the group as it is at Send, texts
// filled per contact, the confirmation with the money in it, progress and stop, the report.
class GroupSendTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    ServiceFixture m_fixture{m_profile.root()};
    SandboxProcess m_sandbox;
    ContactBook m_book;
    std::unique_ptr<TSendForm> m_form;
    QStringList m_asked;
    bool m_answer = true;
    QPointer<SendReportDialog> m_report;

    // A group page for "Клиенты": Анна, Борис, one contact without a number, Вера.
    TMySheet* groupPage(const QString& text) {
        BookEntry group;
        group.caption = group.Name = QStringLiteral("Клиенты");
        const QModelIndex index = m_book.appendGroup(group);
        for (const auto& [name, number] : QList<std::pair<QString, QString>>{
                 {"Анна", "+79160000001"}, {"Борис", "+79160000002"}, {"Без номера", ""},
                 {"Вера", "+79160000003"}}) {
            BookEntry contact;
            contact.caption = contact.Name = name;
            contact.Number = number;
            m_book.appendContact(index, contact);
        }
        m_form->CreateNewPage(QStringLiteral("Varnelo"), group.Name, {}, {}, text, false,
                              m_book.entryPointer(index));
        return m_form->activePage();
    }
    void addContact(const QString& name, const QString& number) {
        BookEntry contact;
        contact.caption = contact.Name = name;
        contact.Number = number;
        m_book.appendContact(m_book.groupIndex(0), contact);
    }
    QStringList sentTexts() const {
        QStringList texts;
        const QJsonArray sent = m_sandbox.admin("GET", QStringLiteral("/admin/messages"))
                                    .value(QLatin1String("messages"))
                                    .toArray();
        for (const QJsonValue& one : sent)
            texts.append(one.toObject().value(QLatin1String("text")).toString());
        return texts;
    }
    QList<TMess> history() const {
        QString error;
        return HistoryFile().readAll(&error);
    }
    void finish() { QTRY_COMPARE_WITH_TIMEOUT(m_form->sendsInFlight(), 0, 30000); }

private slots:
    void initTestCase() { QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString())); }

    void init() {
        QVERIFY(m_sandbox.reset());
        m_fixture.reset(m_sandbox.port());
        m_fixture.client().setUserKey(m_sandbox.createAccount());
        m_fixture.login();
        QVERIFY(m_fixture.client().account().balanceKnown);
        QFile::remove(HistoryFile::defaultPath());
        m_book.clear();
        m_asked.clear();
        m_answer = true;
        m_form = std::make_unique<TSendForm>(m_fixture.sharedClient());
        m_form->setContactBook(&m_book);
        m_form->setQuestions({[this](const QString& text) {
                                  m_asked.append(text);
                                  return m_answer;
                              },
                              [this](const QString& text) {
                                  m_asked.append(text);
                                  return m_answer;
                              }});
        connect(m_form.get(), &TSendForm::ReportShown, this,
                [this](QWidget* report) { m_report = qobject_cast<SendReportDialog*>(report); });
    }
    void cleanup() {
        finish();
        delete m_report;
        m_form.reset();
    }

    void personalTextsGoOnePerContact() {
        QSignalSpy historyChanged(m_form.get(), &TSendForm::HistoryChanged);
        QSignalSpy desktopReport(m_form.get(), &TSendForm::SendReport);
        TMySheet* page = groupPage(QStringLiteral("Привет, {имя}!"));
        const QString price = ToolkitRussian::desktopLocale().toCurrencyString(
            3 * m_fixture.client().tariff().SmsPrice);
        QCOMPARE(page->totalLabel()->text(),
                 QStringLiteral("Получателей: 3 · Сумма: %1 · без номера: 1").arg(price));
        page->sendButton()->click();
        m_form->close(); // the user goes on elsewhere while it sends
        finish();
        QCOMPARE(sentTexts(), (QStringList{"Привет, Анна!", "Привет, Борис!", "Привет, Вера!"}));
        const QList<TMess> records = history();
        QCOMPARE(records.size(), 3);
        QCOMPARE(records[1].Text, QStringLiteral("Привет, Борис!"));
        QCOMPARE(historyChanged.count(), 1); // one rewrite for the batch
        QCOMPARE(m_form->statusText(), QStringLiteral("Принято 3 из 3; не принято 0"));
        QVERIFY(SendJournal(m_fixture.registry()).rows().isEmpty());
        QVERIFY(m_report);
        // The window is not in front: the summary goes to the desktop too.
        QCOMPARE(desktopReport.value(0).value(0).toString(), m_form->statusText());

        // A page of one number fills the fields from its own contact.
        m_form->CreateNewPage(QStringLiteral("Varnelo"), QStringLiteral("Вера"),
                              QStringLiteral("+79160000003"), {}, QStringLiteral("{Имя}, до встречи"),
                              false, nullptr);
        m_form->activePage()->sendButton()->click();
        finish();
        QCOMPARE(sentTexts().last(), QStringLiteral("Вера, до встречи"));
    }

    void aTextTooLongForOneContactWaits() {
        TMySheet* page = groupPage(QStringLiteral("{Имя} ") + QString(60, QLatin1Char('x')));
        QVERIFY(page->sendButton()->isEnabled());
        addContact(QStringLiteral("Очень-очень длинное имя"), QStringLiteral("+79160000009"));
        QTRY_VERIFY(page->totalLabel()->text().endsWith(QStringLiteral("длиннее допустимого: 1")));
        QVERIFY(!page->sendButton()->isEnabled());
    }

    void theGroupAsItIsAtSend() {
        TMySheet* page = groupPage(QStringLiteral("всем"));
        addContact(QStringLiteral("Галина"), QStringLiteral("+79160000004"));
        // Pressed before the page has counted the change: it shows the new count first.
        page->sendButton()->click();
        QCOMPARE(m_form->statusText(), QStringLiteral("Состав группы изменился: получателей "
                                                      "теперь 4. Проверьте сумму и отправьте "
                                                      "снова."));
        QVERIFY(page->totalLabel()->text().startsWith(QStringLiteral("Получателей: 4 ")));
        QCOMPARE(m_form->sendsInFlight(), 0);
        page->sendButton()->click();
        finish();
        QCOMPARE(sentTexts().size(), 4);
        m_book.removeRows(0, 5, m_book.groupIndex(0));
        QTRY_COMPARE(page->totalLabel()->text(), QStringLiteral("В группе нет номеров"));
        QVERIFY(!page->sendButton()->isEnabled());
    }

    void confirmationWithTheMoney_data() {
        QTest::addColumn<int>("threshold");
        QTest::addColumn<double>("balance");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<int>("sent");
        QTest::addColumn<int>("payment");
        QTest::newRow("below the threshold") << 5000 << 100.0 << false << QString() << 3 << 0;
        QTest::newRow("zero asks, cancelled") << 0 << 100.0 << false << "Отправить 3 сообщения"
                                              << 0 << 0;
        QTest::newRow("zero asks, sent") << 0 << 100.0 << true << "Отправить 3 сообщения" << 3
                                         << 0;
        QTest::newRow("short of money") << 5000 << 1.0 << true << "Сумма отправки" << 0 << 1;
    }
    void confirmationWithTheMoney() {
        QFETCH(int, threshold);
        QFETCH(double, balance);
        QFETCH(QString, asked);
        QFETCH(bool, answer);
        m_answer = answer;
        Settings(m_fixture.registry()).set(Setting::ConfirmAboveKopecks, threshold);
        AccountState account = m_fixture.client().account();
        account.balance = balance;
        m_fixture.client().setAccount(account);
        QSignalSpy payment(m_form.get(), &TSendForm::LowBalance);
        groupPage(QStringLiteral("всем"))->sendButton()->click();
        finish();
        QCOMPARE(m_asked.isEmpty() ? QString() : m_asked.first().left(asked.size()), asked);
        QTEST(int(sentTexts().size()), "sent");
        QTEST(int(payment.count()), "payment");
    }

    void stopLeavesTheRestOnThePage() {
        QVERIFY(m_sandbox.failNext(3, QStringLiteral("delay"), 300));
        TMySheet* page = groupPage(QStringLiteral("{Имя}, привет"));
        page->sendButton()->click();
        QVERIFY(m_form->stopButton()->isVisible());
        QTRY_COMPARE(m_form->statusText(), QStringLiteral("Отправлено 1 из 3"));
        m_form->stopButton()->click();
        finish();
        QVERIFY(!m_form->stopButton()->isVisible());
        // The request in flight when Stop was pressed still goes; the rest stay on the page.
        const qsizetype sent = sentTexts().size();
        QVERIFY(sent == 1 || sent == 2);
        QCOMPARE(m_form->statusText(), QStringLiteral("Принято %1 из 3; не принято 0; не "
                                                      "отправлено: %2")
                                           .arg(sent)
                                           .arg(3 - sent));
        const QStringList all{"+79160000001", "+79160000002", "+79160000003"};
        QCOMPARE(page->Number, all.mid(sent).join('|'));
        QVERIFY(page->totalLabel()->text().startsWith(QStringLiteral("Получателей: %1 ").arg(3 - sent)));
        QVERIFY(page->sendButton()->isEnabled());

        // Sending the rest replaces the first report rather than opening another window.
        const QPointer<SendReportDialog> first = m_report;
        QVERIFY(first);
        page->sendButton()->click();
        finish();
        QTRY_VERIFY(!first);
        QVERIFY(m_report);
    }

    void refusedNumbersInTheReport() {
        int status = 0;
        m_sandbox.admin("POST", QStringLiteral("/admin/faults"),
                        {{"mode", "reply"}, {"reply", "-4"}, {"count", 1}}, &status);
        QCOMPARE(status, 200);
        groupPage(QStringLiteral("{Имя}"));
        m_form->activePage()->sendButton()->click();
        finish();
        QCOMPARE(m_form->statusText(), QStringLiteral("Принято 2 из 3; не принято 1"));
        QVERIFY(m_report);
        QSignalSpy retry(m_report.data(), &SendReportDialog::retryRequested);
        m_report->retryButton()->click();
        QCOMPARE(retry.count(), 1);
        QCOMPARE(m_form->pageCount(), 2);
        QCOMPARE(m_form->activePage()->Number, QStringLiteral("+79160000001"));
        QCOMPARE(m_form->activePage()->messageEdit()->text(), QStringLiteral("{Имя}"));
    }
};

QTEST_MAIN(GroupSendTest)
#include "GroupSendTest.moc"
