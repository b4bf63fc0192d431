#include "BookEntries.h"
#include "SandboxProcess.h"
#include "Screenshots.h"
#include "ServiceFixture.h"
#include "TestProfile.h"
#include "contacts/ContactBook.h"
#include "history/HistoryFile.h"
#include "messaging/ScheduledSends.h"
#include "messaging/ui/ScheduleDialog.h"
#include "messaging/ui/ScheduledTimer.h"
#include "messaging/ui/SendUnit.h"
#include "platform/ui/Prompts.h"
#include "skins/ui/SkinUnit.h"

#include <QAction>
#include <QDateTimeEdit>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace {
// Local time, as the user types it.
const QDateTime kNow(QDate(2027, 1, 14), QTime(10, 0, 30));
const QDate kToday = kNow.date();
const QDate kYesterday = kToday.addDays(-1);
const QString kFirst = QStringLiteral("+79160000001");
const QString kSecond = QStringLiteral("+79160000002");
QDateTime tomorrowAt9() {
    return QDateTime(QDate::currentDate().addDays(1), QTime(9, 0)).toUTC();
}
} // namespace

// Messages that wait in the send journal: the dialog of the moment, scheduling from a page,
// the timer that sends them on time, and the question about those missed while not running.
class ScheduledSendTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    ServiceFixture m_fixture{m_profile.root()};
    SandboxProcess m_sandbox;
    ContactBook m_book;
    std::unique_ptr<TSendForm> m_form;

    int sentCount() const { return m_sandbox.logCount(QStringLiteral("SendSms")); }
    qint64 scheduleRow(const QDateTime& due) {
        SendJournal::Row row;
        row.numbers = {kFirst};
        row.message = QStringLiteral("Напоминание");
        row.sender = QStringLiteral("Varnelo");
        return m_form->journal().schedule(row, due);
    }

private slots:
    void initTestCase() {
        Prompts::enableTestMode();
        QVERIFY(SkinUnit::active().loadActiveSkin(m_profile.store()));
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
    }
    void init() {
        QVERIFY(m_sandbox.reset());
        m_fixture.reset(m_sandbox.port());
        m_fixture.client().setUserKey(m_sandbox.createAccount());
        QFile::remove(HistoryFile::defaultPath());
        m_book.setGroups({BookEntries::group(
            QStringLiteral("Клиенты"), {BookEntries::contact(QStringLiteral("Анна"), kFirst),
                                        BookEntries::contact(QStringLiteral("Борис"), kSecond)})});
        m_form = std::make_unique<TSendForm>(m_fixture.sharedClient());
        m_form->setContactBook(&m_book);
        Prompts::takeAsked();
    }
    void cleanup() {
        QTRY_COMPARE_WITH_TIMEOUT(m_form->sendsInFlight(), 0, 30000);
        m_form.reset();
    }

    void dialogChecksTheMoment_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QDateTime>("typed"); // invalid: the default left as it is
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("error");
        QTest::newRow("default") << kNow << QDateTime() << "сегодня в 11:00" << QString();
        QTest::newRow("default, an hour later when too near")
            << QDateTime(kToday, QTime(10, 59, 30)) << QDateTime() << "сегодня в 12:00"
            << QString();
        QTest::newRow("tomorrow") << kNow << QDateTime(kToday.addDays(1), QTime(9, 0))
                                  << "завтра в 09:00" << QString();
        QTest::newRow("in a year") << kNow << QDateTime(kToday.addYears(1), QTime(10, 0))
                                   << "14.01.2028 в 10:00" << QString();
        QTest::newRow("past") << kNow << QDateTime(kToday, QTime(9, 0)) << "сегодня в 09:00"
                              << "Это время уже прошло";
        QTest::newRow("under a minute")
            << kNow << QDateTime(kToday, QTime(10, 1)) << "сегодня в 10:01"
            << "Время должно быть хотя бы на минуту позже текущего";
        QTest::newRow("over a year")
            << kNow << QDateTime(kToday.addYears(1).addDays(1), QTime(10, 0))
            << "15.01.2028 в 10:00"
            << "Время не может быть позже чем через год";
    }
    void dialogChecksTheMoment() {
        QFETCH(QDateTime, now);
        QFETCH(QDateTime, typed);
        QFETCH(QString, error);
        ScheduleDialog dialog(nullptr, [now] { return now.toUTC(); });
        dialog.show();
        if (typed.isValid()) {
            // Typed digit by digit, each part going on to the next as it fills.
            dialog.dateEdit()->setSelectedSection(QDateTimeEdit::DaySection);
            QTest::keyClicks(dialog.dateEdit(), typed.toString(QStringLiteral("ddMMyyyy")));
            dialog.timeEdit()->setSelectedSection(QDateTimeEdit::HourSection);
            QTest::keyClicks(dialog.timeEdit(), typed.toString(QStringLiteral("HHmm")));
        }
        QTEST(dialog.wordsLabel()->text().remove(QStringLiteral("Отправка: ")), "words");
        dialog.okButton()->click();
        QCOMPARE(dialog.isVisible(), !error.isEmpty()); // refused: it stays open
        QCOMPARE(dialog.errorLabel()->isVisible() ? dialog.errorLabel()->text() : QString(), error);
        QCOMPARE(dialog.chosenUtc().isValid(), error.isEmpty());
        QVERIFY(Screenshots::save(&dialog, QStringLiteral("schedule-") + QTest::currentDataTag()));
    }

    // ОК writes the page's message to the journal and closes the page; nothing reaches the
    // service. A moment refused keeps the page.
    void schedulingLeavesThePage_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("group");
        QTest::addColumn<int>("days");
        QTest::addColumn<QStringList>("rows"); // numbers:text
        QTest::newRow("one number") << "Привет" << false << 1 << QStringList{"+79160000001:Привет"};
        QTest::newRow("group, one text")
            << "Всем привет" << true << 1 << QStringList{"+79160000001|+79160000002:Всем привет"};
        QTest::newRow("group, fields")
            << "Привет, {имя}!" << true << 1
            << QStringList{"+79160000001:Привет, Анна!", "+79160000002:Привет, Борис!"};
        QTest::newRow("past moment") << "Привет" << false << -1 << QStringList{};
    }
    void schedulingLeavesThePage() {
        QFETCH(QString, text);
        QFETCH(bool, group);
        QFETCH(int, days);
        QFETCH(QStringList, rows);
        m_form->CreateNewPage(QStringLiteral("Varnelo"), QStringLiteral("Клиенты"),
                              group ? QString() : kFirst, {}, text, false,
                              group ? m_book.entryPointer(m_book.groupIndex(0)) : nullptr);
        QVERIFY(Screenshots::save(m_form->delayMenu(), QStringLiteral("delay-menu")));
        m_form->scheduleItem()->trigger();
        auto* dialog = m_form->findChild<ScheduleDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        const QDateTime due = tomorrowAt9().addDays(days - 1);
        dialog->setMoment(due.toLocalTime());
        dialog->okButton()->click();

        QStringList written;
        for (const SendJournal::Row& row : m_form->journal().scheduled()) {
            QCOMPARE(row.due, due);
            written.append(row.numbers.join(u'|') + u':' + row.fullText());
        }
        QCOMPARE(written, rows);
        QCOMPARE(m_form->pageCount(), rows.isEmpty() ? 1 : 0);
        QCOMPARE(m_form->statusText(),
                 rows.isEmpty() ? QString() : "Сообщение запланировано на завтра в 09:00");
        QCOMPARE(sentCount(), 0);
    }

    // The timer waits for the nearest row, follows a new moment and sends the row once.
    void timerSendsOnTimeOnce() {
        const qint64 id = scheduleRow(tomorrowAt9());
        auto* timer = new ScheduledTimer(*m_form);
        QCOMPARE(timer->armedFor(), tomorrowAt9());
        QList<QDateTime> sentAt;
        connect(timer, &ScheduledTimer::rowSent, this,
                [&sentAt] { sentAt.append(QDateTime::currentDateTimeUtc()); });
        const QDateTime due = QDateTime::currentDateTimeUtc().addMSecs(1500);
        QVERIFY(m_form->journal().reschedule(id, due));
        emit m_form->ScheduledChanged();
        QCOMPARE(timer->armedFor(), due);
        QTRY_COMPARE_WITH_TIMEOUT(sentAt.size(), 1, 10000);
        QVERIFY(sentAt[0] >= due);
        QTRY_COMPARE_WITH_TIMEOUT(m_form->sendsInFlight(), 0, 30000);
        QCOMPARE(sentCount(), 1);
        QCOMPARE(HistoryFile().readAll().size(), 1);
        QVERIFY(m_form->journal().scheduled().isEmpty() && m_form->journal().rows().isEmpty());
        QVERIFY(!timer->isArmed()); // nothing left to send again
    }

    // Rows missed while the program was not running wait for the user's answer.
    void missedRowsAsk_data() {
        QTest::addColumn<QList<QDateTime>>("moments"); // local
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("question");
        const auto at = [](const QDate& date, int hour, int minute) {
            return QDateTime(date, QTime(hour, minute));
        };
        QTest::newRow("three today, Отправить")
            << QList{at(kToday, 9, 0), at(kToday, 10, 0), at(kToday, 9, 30)}
            << int(QMessageBox::Yes)
            << "3 запланированных сообщения не были отправлены вовремя (с 09:00 до 10:00). "
               "Отправить сейчас?";
        QTest::newRow("one, Открыть список")
            << QList{at(kToday, 9, 0)} << int(QMessageBox::Open)
            << "1 запланированное сообщение не было отправлено вовремя (в 09:00). Отправить "
               "сейчас?";
        QTest::newRow("five since yesterday, Позже")
            << QList{at(kYesterday, 9, 0), at(kYesterday, 9, 0), at(kYesterday, 9, 5),
                     at(kYesterday, 11, 0), at(kToday, 0, 30)}
            << int(QMessageBox::Cancel)
            << "5 запланированных сообщений не были отправлены вовремя (с 13.01.2027 09:00 до "
               "00:30). Отправить сейчас?";
    }
    void missedRowsAsk() {
        QFETCH(QList<QDateTime>, moments);
        QFETCH(int, button);
        for (const QDateTime& moment : moments)
            scheduleRow(moment.toUTC());
        auto* timer = new ScheduledTimer(*m_form, [] { return kNow.toUTC(); });
        QVERIFY(!timer->isArmed()); // never sent blind
        int listShown = 0;
        Prompts::queueAnswer(button);
        timer->askAboutMissed(nullptr, [&listShown] { ++listShown; });
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QTEST(asked[0].text, "question");
        QCOMPARE(asked[0].labels, (QStringList{"Отправить", "Открыть список", "Позже"}));
        QTRY_COMPARE_WITH_TIMEOUT(m_form->sendsInFlight(), 0, 30000);
        const int sent = button == QMessageBox::Yes ? int(moments.size()) : 0;
        QCOMPARE(sentCount(), sent);
        QCOMPARE(listShown, button == QMessageBox::Open ? 1 : 0);
        QCOMPARE(timer->missed().size(), moments.size() - sent);
        QVERIFY(!timer->isArmed());
    }
};

QTEST_MAIN(ScheduledSendTest)
#include "ScheduledSendTest.moc"
