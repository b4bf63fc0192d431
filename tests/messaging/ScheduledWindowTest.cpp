#include "messaging/ui/ScheduledWindow.h"
#include "BookEntries.h"
#include "Screenshots.h"
#include "TestProfile.h"
#include "contacts/ContactBook.h"
#include "messaging/ScheduledSends.h"
#include "messaging/ui/MessageEdit.h"
#include "messaging/ui/SendUnit.h"
#include "platform/Registry.h"
#include "platform/ToolkitRussian.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "skins/ui/SkinUnit.h"

#include <QDateTimeEdit>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace {
const QString kFirst = QStringLiteral("+79160000001");
const QString kSecond = QStringLiteral("+79160000002");
const QString kThird = QStringLiteral("+79160000003");
const QDateTime kNow = QDateTime(QDate(2027, 1, 10), QTime(12, 0));
const Tariff kTariff{1.5, 1.0, 70, 1000, true};

QDateTime at(int days, int hour, int minute = 0) {
    return QDateTime(kNow.date().addDays(days), QTime(hour, minute));
}
} // namespace

// The window of the messages waiting for their moment, over a real journal in a temporary
// profile; the present is fixed, so the moments in words are known.
class ScheduledWindowTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    std::unique_ptr<SendJournal> m_journal;
    ContactBook m_book;
    QPointer<ScheduledWindow> m_window;
    qint64 m_today = 0;
    qint64 m_tomorrow = 0;
    QList<qint64> m_sentNow;

    qint64 schedule(SendJournal& journal, const QStringList& numbers, const QString& message,
                    const QString& sign, const QDateTime& local) {
        SendJournal::Row row;
        row.numbers = numbers;
        row.message = message;
        row.sign = sign;
        return journal.schedule(row, local.toUTC());
    }
    void open(bool sendNowTakes = true) {
        ScheduledWindow::Hooks hooks;
        hooks.storeFile = m_profile.store().filePath();
        hooks.book = &m_book;
        hooks.tariff = [] { return kTariff; };
        hooks.sendNow = [this, sendNowTakes](qint64 id) {
            m_sentNow << id;
            return sendNowTakes && m_journal->claim(id);
        };
        hooks.clock = [] { return kNow.toUTC(); };
        m_window = new ScheduledWindow(*m_journal, std::move(hooks));
    }
    QString cell(int row, int column) const { return m_window->table()->item(row, column)->text(); }

private slots:
    void initTestCase() {
        Prompts::enableTestMode();
        QVERIFY(SkinUnit::active().loadActiveSkin(m_profile.store()));
        m_journal = std::make_unique<SendJournal>(m_profile.store());
        m_book.setGroups({BookEntries::group(
            QStringLiteral("Друзья"), {BookEntries::contact(QStringLiteral("Аня"), kFirst)})});
    }
    void init() {
        for (const SendJournal::Row& row : m_journal->scheduled())
            m_journal->remove(row.id);
        // Given out of order: the list shows the soonest first.
        m_tomorrow = schedule(*m_journal, {kFirst, kSecond, kThird},
                              QStringLiteral("Встреча\r\n") + QString(71, u'x'), {}, at(1, 9));
        m_today = schedule(*m_journal, {kFirst}, QStringLiteral("Привет"), QStringLiteral("Вася"),
                           at(0, 18, 30));
        m_sentNow.clear();
        Prompts::takeAsked();
    }
    void cleanup() { delete m_window; }

    void listsRows() {
        open();
        QVERIFY(Screenshots::save(m_window, QStringLiteral("scheduled")));
        const QLocale money = ToolkitRussian::desktopLocale();
        const QList<QStringList> rows = {{"10.01.2027 18:30", "сегодня в 18:30", "Аня",
                                          "Привет Вася", "1", money.toCurrencyString(1.5)},
                                         {"11.01.2027 09:00", "завтра в 09:00", "3 номера",
                                          "Встреча " + QString(71, u'x'), "2",
                                          money.toCurrencyString(7.5)}};
        QCOMPARE(m_window->table()->rowCount(), rows.size());
        for (int row = 0; row < rows.size(); ++row) {
            for (int column = 0; column < rows[row].size(); ++column)
                QCOMPARE(cell(row, column), rows[row][column]);
        }
        QCOMPARE(m_window->selectedRow(), m_today);
        QCOMPARE(m_window->textEditor()->text(), QStringLiteral("Привет"));
        QCOMPARE(m_window->momentLabel()->text(), QStringLiteral("сегодня в 18:30"));
    }

    // A text or moment that cannot be taken leaves the row's own, and says why.
    void edits_data() {
        QTest::addColumn<QString>("text"); // null: the moment is edited
        QTest::addColumn<QDateTime>("local");
        QTest::addColumn<QString>("status");
        const QDateTime old = at(0, 18, 30);
        const auto error = [](const QDateTime& local) {
            return ScheduledSends::check(local, kNow.toUTC()).error;
        };
        QTest::newRow("new text") << "Пока\r\nдо встречи" << old << "";
        QTest::newRow("line breaks only") << "\r\n" << old << "Текст сообщения пуст.";
        QTest::newRow("past") << QString() << at(0, 11) << error(at(0, 11));
        QTest::newRow("over a year") << QString() << at(400, 9) << error(at(400, 9));
        QTest::newRow("tomorrow") << QString() << at(1, 10) << "";
    }
    void edits() {
        QFETCH(QString, text);
        QFETCH(QDateTime, local);
        QFETCH(QString, status);
        open();
        const bool taken = status.isEmpty();
        QCOMPARE(text.isNull() ? m_window->saveMoment(local) : m_window->saveText(text), taken);
        const SendJournal::Row row = *m_journal->row(m_today);
        QCOMPARE(row.message, taken && !text.isNull() ? text : QStringLiteral("Привет"));
        QCOMPARE(row.due, (taken ? local : at(0, 18, 30)).toUTC());
        QCOMPARE(m_window->statusLine()->text(), status);
        QCOMPARE(m_window->selectedRow(), m_today);
        QCOMPARE(cell(m_window->table()->currentRow(), 1), ScheduledSends::inWords(row.due, kNow));
    }

    // Both editors at once: the save of one must not lose what was typed in the other.
    void saveButtonTakesBoth() {
        open();
        m_window->textEditor()->setText(QStringLiteral("Новый"));
        m_window->momentEditor()->setDateTime(at(2, 8));
        QCOMPARE(m_window->momentLabel()->text(), QStringLiteral("послезавтра в 08:00"));
        m_window->saveButton()->click();
        QCOMPARE(m_journal->row(m_today)->message, QStringLiteral("Новый"));
        QCOMPARE(m_journal->row(m_today)->due, at(2, 8).toUTC());
        QCOMPARE(m_window->selectedRow(), m_today);
        QCOMPARE(m_window->table()->currentRow(), 1);
    }

    void removeAsks_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("byKey");
        QTest::newRow("button, yes") << int(QMessageBox::Yes) << false;
        QTest::newRow("button, no") << int(QMessageBox::No) << false;
        QTest::newRow("Delete, yes") << int(QMessageBox::Yes) << true;
    }
    void removeAsks() {
        QFETCH(int, answer);
        QFETCH(bool, byKey);
        open();
        Prompts::queueAnswer(answer);
        if (byKey)
            QTest::keyClick(m_window->table(), Qt::Key_Delete);
        else
            m_window->removeButton()->click();
        const Prompts::Asked asked = Prompts::takeAsked().value(0);
        QCOMPARE(asked.caption, QStringLiteral("Подтверждение"));
        QCOMPARE(asked.text, QStringLiteral("Удалить запланированное сообщение?"));
        const bool removed = answer == QMessageBox::Yes;
        QCOMPARE(m_journal->row(m_today).has_value(), !removed);
        QCOMPARE(m_window->table()->rowCount(), removed ? 1 : 2);
        QCOMPARE(m_window->selectedRow(), removed ? m_tomorrow : m_today);
    }

    void sendNowCallsTheHook_data() {
        QTest::addColumn<bool>("takes");
        QTest::newRow("claimed") << true;
        QTest::newRow("gone elsewhere") << false;
    }
    void sendNowCallsTheHook() {
        QFETCH(bool, takes);
        open(takes);
        m_window->selectRow(m_tomorrow);
        m_window->sendNowButton()->click();
        QCOMPARE(m_sentNow, QList<qint64>{m_tomorrow});
        QCOMPARE(m_window->table()->rowCount(), takes ? 1 : 2);
        QCOMPARE(m_window->statusLine()->isHidden(), takes);
    }

    void keyboard() {
        open();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QTest::keyClick(m_window->table(), Qt::Key_Return);
        QVERIFY(m_window->textEditor()->hasFocus());
        QTest::keyClick(m_window->table(), Qt::Key_Escape);
        QTRY_VERIFY(!m_window || !m_window->isVisible());
    }

    // One window, on the send window's journal, whose book names the numbers.
    void oneWindowFromTheSendWindow() {
        TSendForm sendForm(std::make_shared<ServiceClient>(m_profile.sharedStore()));
        sendForm.setContactBook(&m_book);
        QPointer<ScheduledWindow> window;
        ScheduledWindow* first = ScheduledWindow::open(window, sendForm, nullptr);
        QCOMPARE(ScheduledWindow::open(window, sendForm, nullptr), first);
        QVERIFY(first->isVisible());
        QCOMPARE(first->rows().size(), 2);
        QCOMPARE(first->table()->item(0, 2)->text(), QStringLiteral("Аня"));
        delete first;
    }

    // Another program's writes reach the open window through the store's file; the selection
    // and what is being typed stay, unless that very row changed.
    void followsOtherPrograms() {
        open();
        m_window->selectRow(m_tomorrow);
        m_window->textEditor()->setText(QStringLiteral("печатаю"));
        SendJournal other(m_profile.store());
        schedule(other, {kSecond}, QStringLiteral("Раньше"), {}, at(0, 13));
        QTRY_COMPARE(m_window->table()->rowCount(), 3);
        QCOMPARE(m_window->selectedRow(), m_tomorrow);
        QCOMPARE(m_window->textEditor()->text(), QStringLiteral("печатаю"));
        QVERIFY(other.rewrite(m_tomorrow, QStringLiteral("Изменено"), {}));
        QTRY_COMPARE(m_window->textEditor()->text(), QStringLiteral("Изменено"));
    }
};

QTEST_MAIN(ScheduledWindowTest)
#include "ScheduledWindowTest.moc"
