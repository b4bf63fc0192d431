#include "SandboxProcess.h"
#include "ServiceFixture.h"
#include "StoreDamage.h"
#include "TestProfile.h"
#include "history/HistoryFile.h"
#include "messaging/SendJournal.h"
#include "messaging/ui/MessageEdit.h"
#include "messaging/ui/MySheet.h"
#include "messaging/ui/SendPages.h"
#include "messaging/ui/SendUnit.h"
#include "platform/Registry.h"
#include "platform/Sound.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"

#include <QCheckBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

const QString kNumber = QStringLiteral("+79161234567");
const QString kUnknown = QStringLiteral("Неизвестная ошибка!");
const QString kNoConnection = QStringLiteral("Невозможно установить соединение с сервером!");

} // namespace

// The send window's flow against the real sandbox service: every reply the service can give
// (the ones it does not give of itself are forced through its admin interface), group results,
// the notice, a missing account, and pages or the window going away while a send is out.
class SendFlowTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    ServiceFixture m_fixture{m_profile.root()};
    SandboxProcess m_sandbox;
    std::unique_ptr<TSendForm> m_form;
    QString m_key;
    QString m_soundOk;
    QString m_soundErr;
    QMutex m_callsLock;
    QStringList m_calls;

    TMySheet* page(const QString& number, const QString& text, const QString& sign = {},
                   const QString& name = QStringLiteral("Получатель")) {
        m_form->CreateNewPage(QStringLiteral("Varnelo"), name, number, sign, text, false, nullptr);
        return m_form->activePage();
    }
    void waitForSends(TSendForm* form = nullptr) {
        QTRY_COMPARE_WITH_TIMEOUT((form ? form : m_form.get())->sendsInFlight(), 0, 30000);
    }
    void send(TMySheet* target) {
        QVERIFY(target->sendButton()->isEnabled());
        target->sendButton()->click();
        QCOMPARE(m_form->statusText(), QStringLiteral("Установка соединения с сервером..."));
        QVERIFY(!target->sendButton()->isEnabled());
        waitForSends();
    }
    void forceReply(const QString& reply, int count = 1) {
        int status = 0;
        m_sandbox.admin("POST", QStringLiteral("/admin/faults"),
                        {{"mode", "reply"}, {"reply", reply}, {"count", count}}, &status);
        QCOMPARE(status, 200);
    }
    // What the window handed on to the main window, and the sounds played.
    QStringList mainWindowCalls() {
        // The sound plays on the worker, the rest on the window's thread: no order between.
        const QMutexLocker lock(&m_callsLock);
        QStringList calls = std::exchange(m_calls, {});
        calls.sort();
        return calls;
    }
    void record(const QString& call) {
        const QMutexLocker lock(&m_callsLock);
        m_calls.append(call);
    }
    QList<SendJournal::Row> journalRows() const { return SendJournal(m_fixture.registry()).rows(); }
    QList<TMess> history() const {
        QString error;
        const QList<TMess> records = HistoryFile().readAll(&error);
        return error.isEmpty() ? records : QList<TMess>();
    }
    QJsonArray sentMessages() const {
        return m_sandbox.admin("GET", QStringLiteral("/admin/messages"))
            .value(QLatin1String("messages"))
            .toArray();
    }

private slots:
    void initTestCase() {
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
        m_soundOk = m_profile.root() + QStringLiteral("/ok.wav");
        m_soundErr = m_profile.root() + QStringLiteral("/err.wav");
        for (const QString& path : {m_soundOk, m_soundErr}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }

    void init() {
        QVERIFY(m_sandbox.reset());
        m_fixture.reset(m_sandbox.port());
        m_fixture.settings().set(Setting::SoundSentOK, m_soundOk);
        m_fixture.settings().set(Setting::SoundSentErr, m_soundErr);
        m_key = m_sandbox.createAccount();
        QVERIFY(!m_key.isEmpty());
        m_fixture.client().setUserKey(m_key);
        QFile::remove(HistoryFile::defaultPath());
        m_form = std::make_unique<TSendForm>(m_fixture.sharedClient());
        mainWindowCalls();
        Sound::setPlayerForTests([this](const QString& path) { record("sound " + path); });
        connect(m_form.get(), &TSendForm::ConnectionFailed, this,
                [this] { record(QStringLiteral("ConnectTimeOutTimer")); });
        connect(m_form.get(), &TSendForm::ServiceNotice, this,
                [this](const QString& text) { record("254 " + text); });
    }

    void cleanup() {
        if (m_form)
            waitForSends();
        m_form.reset();
    }

    void acceptedMessage_data() {
        QTest::addColumn<bool>("translit");
        QTest::addColumn<QString>("sentText");
        QTest::addColumn<QString>("storedText");
        QTest::addColumn<QString>("storedSign");
        QTest::newRow("as typed") << false << QStringLiteral("Привет\r\nмир Вася")
                                  << QStringLiteral("Привет мир") << QStringLiteral("Вася");
        QTest::newRow("transliterated") << true << QStringLiteral("Privet\r\nmir Vasja")
                                        << QStringLiteral("Privet mir") << QStringLiteral("Vasja");
    }
    void acceptedMessage() {
        QFETCH(bool, translit);
        QFETCH(QString, sentText);
        QFETCH(QString, storedText);
        QFETCH(QString, storedSign);
        QSignalSpy changed(m_form.get(), &TSendForm::HistoryChanged);
        TMySheet* target = page(kNumber, QStringLiteral("Привет\r\nмир"), QStringLiteral("Вася"));
        target->translitBox()->setChecked(translit);
        send(target);

        const QJsonArray sent = sentMessages();
        QCOMPARE(sent.size(), 1);
        const QJsonObject message = sent.first().toObject();
        const int id = message.value(QLatin1String("id")).toInt();
        QVERIFY(id > 0);
        QCOMPARE(message.value(QLatin1String("text")).toString(), sentText);
        QCOMPARE(message.value(QLatin1String("sender")).toString(), QStringLiteral("Varnelo"));
        QCOMPARE(message.value(QLatin1String("delay")).toInt(), 0);

        QCOMPARE(m_form->statusText(),
                 QStringLiteral("Сообщение с идентификатором %1 отправлено").arg(id));
        QCOMPARE(target->messageEdit()->text(), QString());
        QVERIFY(!target->sendButton()->isEnabled());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(mainWindowCalls(), QStringList{QStringLiteral("sound ") + m_soundOk});

        const QList<TMess> records = history();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].Id, id);
        QCOMPARE(records[0].Status, TMess::kStatusSent);
        QCOMPARE(records[0].Number, kNumber);
        QCOMPARE(records[0].Sender, QStringLiteral("Varnelo"));
        QCOMPARE(records[0].Text, storedText);
        QCOMPARE(records[0].Sign, storedSign);
        QVERIFY(qAbs(records[0].moment().secsTo(QDateTime::currentDateTime())) < 600);
    }

    void replyCodes_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("sound"); // "ok", "err" or none
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("extra"); // "252", "timer" or none
        const QString err = QStringLiteral("err");
        const auto row = [&](const char* reply, const QString& status, const QString& sound,
                             bool enabled = true, const QString& extra = {}) {
            QTest::newRow(reply) << QString::fromLatin1(reply) << status << sound << enabled
                                 << extra;
        };
        row("0", QStringLiteral("Пользователь не зарегистрирован!"), err);
        row("-1", QStringLiteral("Внутренняя ошибка сервера! Повторите попытку позже"), err);
        row("-2", QStringLiteral("На Вашем балансе недостаточно средств!"), err, true,
            QStringLiteral("252"));
        row("-3", QStringLiteral("Абонент отказался от услуг Varnelo"), err);
        row("-4", QStringLiteral("Неверный номер абонента!"), err);
        row("-5", QStringLiteral("Пользователь не активирован!"), err);
        row("-6", kUnknown, err);
        row("-7", QStringLiteral("Привилегия админа выполнена."), QStringLiteral("ok"));
        row("-8", QStringLiteral("Привилегия админа НЕ выполнена!!!"), err);
        row("-9", QStringLiteral("Spam detected!!!"), err);
        row("-10", kUnknown, err);
        row("-11", kUnknown, err);
        row("-12", QStringLiteral("Недопустимый отправитель!"), QString());
        row("-13", kUnknown, err);
        row("-14", kUnknown, err);
        row("-15", QStringLiteral("Оператор адресата запретил СМС с подменой номера"), QString());
        row("-16", QStringLiteral("Непроверенный отправитель (для оператора адресата)"), QString());
        row("-17", QStringLiteral("Недопустимый отправитель (для оператора адресата)"), QString());
        row("-18", QStringLiteral("Недопустимый текст сообщения!"), err);
        row("-19", QStringLiteral("Оператор не поддерживается"), err);
        row("-20", kUnknown, err);
        row("-2147483647", kUnknown, err);
        row("-2147483648", kNoConnection, err, true, QStringLiteral("timer"));
        row("", kNoConnection, err, true, QStringLiteral("timer"));
        row("abc", SendOutcome::kUnreadReply, err);
        row("12abc", SendOutcome::kUnreadReply, err);
        row("99999999999", SendOutcome::kUnreadReply, err);
    }
    void replyCodes() {
        QFETCH(QString, reply);
        QFETCH(QString, status);
        QFETCH(QString, sound);
        QFETCH(bool, enabled);
        QFETCH(QString, extra);
        QSignalSpy lowBalance(m_form.get(), &TSendForm::LowBalance);
        QSignalSpy changed(m_form.get(), &TSendForm::HistoryChanged);
        TMySheet* target = page(kNumber, QStringLiteral("текст"));
        forceReply(reply);
        send(target);

        QCOMPARE(m_form->statusText(), status);
        QCOMPARE(target->sendButton()->isEnabled(), enabled);
        // The message stays for another try.
        QCOMPARE(target->messageEdit()->text(), QStringLiteral("текст"));
        QCOMPARE(history().size(), 0);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(lowBalance.count(), extra == QLatin1String("252") ? 1 : 0);
        QStringList expected;
        if (extra == QLatin1String("timer"))
            expected << QStringLiteral("ConnectTimeOutTimer");
        if (!sound.isEmpty())
            expected << QStringLiteral("sound ") +
                            (sound == QLatin1String("ok") ? m_soundOk : m_soundErr);
        QCOMPARE(mainWindowCalls(), expected);
        // An unreadable reply may hide a taken message: it stays in the journal.
        QCOMPARE(journalRows().size(), status == SendOutcome::kUnreadReply ? 1 : 0);
    }

    void serviceRefusals_data() {
        QTest::addColumn<QString>("arrange");
        QTest::addColumn<QString>("status");
        QTest::newRow("unknown key")
            << QStringLiteral("key") << QStringLiteral("Пользователь не зарегистрирован!");
        QTest::newRow("balance short") << QStringLiteral("balance")
                                       << QStringLiteral("На Вашем балансе недостаточно средств!");
        QTest::newRow("refused number")
            << QStringLiteral("refusal") << QStringLiteral("Абонент отказался от услуг Varnelo");
        QTest::newRow("bad number")
            << QStringLiteral("number") << QStringLiteral("Неверный номер абонента!");
        QTest::newRow("not activated")
            << QStringLiteral("inactive") << QStringLiteral("Пользователь не активирован!");
        QTest::newRow("bad sender")
            << QStringLiteral("sender") << QStringLiteral("Недопустимый отправитель!");
        QTest::newRow("text too long")
            << QStringLiteral("long") << QStringLiteral("Недопустимый текст сообщения!");
    }
    void serviceRefusals() {
        QFETCH(QString, arrange);
        QFETCH(QString, status);
        QString number = kNumber;
        QString text = QStringLiteral("текст");
        if (arrange == QLatin1String("key"))
            m_fixture.client().setUserKey(QString(48, QLatin1Char('0')));
        else if (arrange == QLatin1String("balance"))
            QVERIFY(m_sandbox.changeAccount(m_key, {{"balance", "0.00"}}));
        else if (arrange == QLatin1String("refusal"))
            m_sandbox.admin("POST", QStringLiteral("/admin/refusals"), {{"number", kNumber}});
        else if (arrange == QLatin1String("number"))
            number = QStringLiteral("12345");
        else if (arrange == QLatin1String("inactive"))
            QVERIFY(m_sandbox.changeAccount(m_key, {{"activated", false}}));
        else if (arrange == QLatin1String("long"))
            text = QString(5001, QLatin1Char('a'));
        TMySheet* target = page(number, text);
        if (arrange == QLatin1String("sender"))
            target->SetSender(QStringLiteral("a!b"));
        send(target);
        QCOMPARE(m_form->statusText(), status);
        QCOMPARE(target->messageEdit()->text(), text);
        QCOMPARE(history().size(), 0);
    }

    // A request that never left is "no connection"; one whose reply was lost after it went
    // out may have been charged: it says so and stays in the journal as an unknown outcome.
    void failedConnection_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("status");
        QTest::newRow("nobody listens") << QString() << kNoConnection;
        QTest::newRow("http 500") << QStringLiteral("http500") << SendOutcome::kLostReply;
        QTest::newRow("connection closed") << QStringLiteral("close") << SendOutcome::kLostReply;
    }
    void failedConnection() {
        QFETCH(QString, mode);
        QFETCH(QString, status);
        if (mode.isEmpty())
            m_fixture.settings().set(Setting::Port, qint32(1));
        else
            QVERIFY(m_sandbox.failNext(2, mode));
        QSignalSpy unknown(m_form.get(), &TSendForm::UnknownOutcome);
        TMySheet* target = page(kNumber, QStringLiteral("текст"));
        send(target);
        QCOMPARE(m_form->statusText(), status);
        QVERIFY(target->sendButton()->isEnabled());
        const bool lost = status == SendOutcome::kLostReply;
        QCOMPARE(mainWindowCalls(),
                 lost ? QStringList{"sound " + m_soundErr}
                      : QStringList({"ConnectTimeOutTimer", "sound " + m_soundErr}));
        QCOMPARE(unknown.count(), lost ? 1 : 0);
        const QList<SendJournal::Row> rows = journalRows();
        QCOMPARE(rows.size(), lost ? 1 : 0);
        if (lost) {
            QCOMPARE(rows[0].state, SendJournal::State::Unknown);
            QCOMPARE(rows[0].numbers, QStringList{kNumber});
            QCOMPARE(rows[0].message, QStringLiteral("текст"));
        }
    }

    // Pages come and go all day; their buttons share one set of pictures, or every page
    // would leave its own scaled copies in the pixmap cache.
    void pagesShareTheirButtonPictures() {
        TMySheet* first = page(QStringLiteral("+79160000001"), QStringLiteral("a"));
        TMySheet* second = page(QStringLiteral("+79160000002"), QStringLiteral("b"));
        QVERIFY(first != second);
        for (auto button : {&TMySheet::sendButton, &TMySheet::closeButton, &TMySheet::historyButton,
                            &TMySheet::templatesButton}) {
            QVERIFY(!(first->*button)()->icon().isNull());
            QCOMPARE((first->*button)()->icon().cacheKey(), (second->*button)()->icon().cacheKey());
        }
    }

    // A settings store that fails under the send's worker: its error in the status bar,
    // nothing sent, the page ready to send again, and the program still running. A store
    // whose send journal cannot be written sends nothing at all.
    void storeFailureUnderTheWorker_data() {
        QTest::addColumn<int>("damage");
        QTest::addColumn<QString>("status");
        QTest::newRow("tables dropped") << int(StoreDamage::Kind::TablesDropped) << QString();
        QTest::newRow("corrupted") << int(StoreDamage::Kind::Corrupted)
                                   << QStringLiteral("Сообщение не отправлено: не удалось "
                                                     "записать журнал отправки. ");
    }
    void storeFailureUnderTheWorker() {
        QFETCH(int, damage);
        QFETCH(QString, status);
        TMySheet* target = page(kNumber, QStringLiteral("текст"));
        QVERIFY(StoreDamage::apply(StoreDamage::Kind(damage), m_fixture.registry().filePath()));
        send(target);
        // The store's own sentence, after what became of the send when it says so.
        const QString text = m_form->statusText();
        QVERIFY2(
            text.startsWith(status) &&
                StoreDamage::isReported(text.mid(status.size()), m_fixture.registry().filePath()),
            qPrintable(text));
        QVERIFY(target->sendButton()->isEnabled());
        QCOMPARE(target->messageEdit()->text(), QStringLiteral("текст"));
        QCOMPARE(sentMessages().size(), 0);
        QVERIFY(history().isEmpty());
    }

    void noAccountMakesNoRequest() {
        m_fixture.client().setUserKey(QString());
        TMySheet* target = page(kNumber, QStringLiteral("текст"));
        send(target);
        QCOMPARE(m_form->statusText(), kNoConnection);
        QCOMPARE(m_sandbox.log().size(), 0);
        QCOMPARE(mainWindowCalls(), QStringList({QStringLiteral("ConnectTimeOutTimer"),
                                                 QStringLiteral("sound ") + m_soundErr}));
    }

    void serviceNotice() {
        QVERIFY(m_sandbox.changeAccount(m_key, {{"notice", "Работы на сервере\nдо утра"}}));
        TMySheet* target = page(kNumber, QStringLiteral("текст"));
        send(target);
        QCOMPARE(mainWindowCalls(),
                 QStringList{QStringLiteral("254 Работы на сервере\r\nдо утра")});
        QCOMPARE(m_form->statusText(), QString());
        QVERIFY(target->sendButton()->isEnabled());
        QCOMPARE(target->messageEdit()->text(), QStringLiteral("текст"));
        QCOMPARE(history().size(), 0);
        QCOMPARE(sentMessages().size(), 0);
    }

    void groupResults_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("sound");
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QStringList>("unknown");
        const QString unmatched = QStringLiteral("Сервер принял %1 из 3 — результат остальных "
                                                 "неизвестен");
        QTest::newRow("two of three")
            << QStringLiteral("11|0|12") << QStringLiteral("2 из 3 SMS отправлено") << m_soundOk
            << QList<int>{11, 12} << QStringList{"+7900001", "+7900003"} << QStringList{};
        QTest::newRow("none, final bar")
            << QStringLiteral("0|-4|") << unmatched.arg(0) << m_soundErr << QList<int>{}
            << QStringList{} << QStringList{"+7900003"};
        QTest::newRow("more pieces, the extra refused")
            << QStringLiteral("0|-1|-3|-4") << QStringLiteral("0 из 4 SMS отправлено") << m_soundErr
            << QList<int>{} << QStringList{} << QStringList{};
        QTest::newRow("more pieces, an extra accepted")
            << QStringLiteral("7|0|-1|5") << unmatched.arg(2) << m_soundOk << QList<int>{}
            << QStringList{} << QStringList{"+7900001"};
        QTest::newRow("a piece that is no number")
            << QStringLiteral("8|x|9") << unmatched.arg(2) << m_soundOk << QList<int>{8, 9}
            << QStringList{"+7900001", "+7900003"} << QStringList{"+7900002"};
        QTest::newRow("fewer pieces")
            << QStringLiteral("21|") << unmatched.arg(1) << m_soundOk << QList<int>{21}
            << QStringList{"+7900001"} << QStringList{"+7900002", "+7900003"};
        QTest::newRow("one id twice")
            << QStringLiteral("1|1|-4") << unmatched.arg(1) << m_soundOk << QList<int>{}
            << QStringList{} << QStringList{"+7900001", "+7900002"};
    }
    void groupResults() {
        QFETCH(QString, reply);
        QFETCH(QString, status);
        QFETCH(QString, sound);
        QFETCH(QList<int>, ids);
        QFETCH(QStringList, numbers);
        QFETCH(QStringList, unknown);
        TMySheet* target =
            page(QStringLiteral("+7900001|+7900002|+7900003"), QStringLiteral("всем"));
        forceReply(reply);
        send(target);
        QCOMPARE(m_form->statusText(), status);
        QCOMPARE(target->messageEdit()->text(), QStringLiteral("всем"));
        // After a reply that does not add up, the page may be sent again at once.
        const bool matched = !status.contains(QStringLiteral("неизвестен"));
        QCOMPARE(target->sendButton()->isEnabled(), !matched);
        const QList<SendJournal::Row> rows = journalRows();
        QCOMPARE(rows.isEmpty() ? QStringList() : rows[0].numbers, unknown);
        QCOMPARE(mainWindowCalls(),
                 sound.isEmpty() ? QStringList() : QStringList{QStringLiteral("sound ") + sound});
        const QList<TMess> records = history();
        QCOMPARE(records.size(), ids.size());
        for (int i = 0; i < ids.size(); ++i) {
            QCOMPARE(records[i].Id, ids[i]);
            QCOMPARE(records[i].Number, numbers[i]);
        }
        // Editing the text makes it sendable again.
        QTest::keyClicks(target->messageEdit(), QStringLiteral("!"));
        QVERIFY(target->sendButton()->isEnabled());
        Q_UNUSED(matched);
        QVERIFY(target->sendButton()->isEnabled());
    }

    void groupSendThroughTheService() {
        QSignalSpy changed(m_form.get(), &TSendForm::HistoryChanged);
        const QStringList numbers{"+79160000001", "+79160000002", "+79160000003"};
        TMySheet* target = page(numbers.join('|'), QStringLiteral("всем"));
        send(target);
        QCOMPARE(m_form->statusText(), QStringLiteral("3 из 3 SMS отправлено"));
        const QList<TMess> records = history();
        QCOMPARE(records.size(), 3);
        const QJsonArray sent = sentMessages();
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(records[i].Number, numbers[i]);
            QCOMPARE(records[i].Id, sent[i].toObject().value(QLatin1String("id")).toInt());
        }
        QCOMPARE(changed.count(), 1);
    }

    void delayFromTheMenu() {
        TMySheet* target = page(kNumber, QStringLiteral("позже"));
        m_form->sendActiveWithDelay(m_form->delayMenu()->actions().at(5)); // "...через 30 мин"
        waitForSends();
        QCOMPARE(sentMessages().first().toObject().value(QLatin1String("delay")).toInt(), 30);
        QCOMPARE(target->DelayMinutes, 30);
    }

    void pageClosedWhileSending() {
        QVERIFY(m_sandbox.failNext(1, QStringLiteral("delay"), 700));
        TMySheet* target = page(kNumber, QStringLiteral("текст"));
        page(QStringLiteral("+79160000009"), QString(), {}, QStringLiteral("другой"));
        m_form->pages()->setCurrentIndex(0);
        target->sendButton()->click();
        QPointer<TMySheet> gone(target);
        target->ClosePage();
        QTRY_VERIFY(gone.isNull());
        waitForSends();
        QCOMPARE(history().size(), 1);
        QVERIFY(m_form->statusText().startsWith(QStringLiteral("Сообщение с идентификатором ")));
    }

    void windowDestroyedWhileSending() {
        QVERIFY(m_sandbox.failNext(1, QStringLiteral("delay"), 700));
        TMySheet* target = page(kNumber, QStringLiteral("текст"));
        target->sendButton()->click();
        m_form.reset();
        QCOMPARE(history().size(), 1);
        QCOMPARE(sentMessages().size(), 1);
        QCOMPARE(journalRows().size(), 0);
    }

    void sendsAtOnce() {
        QVERIFY(m_sandbox.failNext(2, QStringLiteral("delay"), 500));
        QSignalSpy changed(m_form.get(), &TSendForm::HistoryChanged);
        TMySheet* first =
            page(QStringLiteral("+79160000001"), QStringLiteral("раз"), {}, QStringLiteral("a"));
        TMySheet* second =
            page(QStringLiteral("+79160000002"), QStringLiteral("два"), {}, QStringLiteral("b"));
        first->sendButton()->click();
        second->sendButton()->click();
        QCOMPARE(m_form->sendsInFlight(), 2);
        waitForSends();
        QCOMPARE(history().size(), 2);
        QCOMPARE(changed.count(), 2);
        QVERIFY(m_form->statusText().startsWith(QStringLiteral("Сообщение с идентификатором ")));
    }
};

QTEST_MAIN(SendFlowTest)
#include "SendFlowTest.moc"
