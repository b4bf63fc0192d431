#include "SandboxProcess.h"
#include "ServiceFixture.h"
#include "TestProfile.h"
#include "TinyProxy.h"
#include "platform/Ansi.h"
#include "service/ContactsPayload.h"
#include "service/LoginRoutine.h"
#include "service/SendReply.h"
#include "service/ServiceClient.h"
#include "service/ServiceError.h"
#include "service/StatusReply.h"
#include "shared/Settings.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLocale>
#include <QTest>

namespace {

const QString kConnecting = QStringLiteral("status Подключение...");
const QString kCheck = QStringLiteral("status Ошибка. Проверьте настройки.");

QByteArray hexBytes(const QJsonValue& value) {
    return QByteArray::fromHex(value.toObject().value(QLatin1String("hex")).toString().toLatin1());
}

} // namespace

// The client's commands and login against the real sandbox service over HTTP.
// The account commands as the settings page reads them: the reply's text, and the balance
// refresh each asks for in the fixture's record.
class AccountCommands {
public:
    explicit AccountCommands(ServiceFixture& fixture)
        : m_fixture(fixture) {}
    QString SaveSettingsOnServer(const QString& key, const QString& data) {
        return paid(m_fixture.client().SaveSettingsOnServer(key, data));
    }
    QString LoadSettingsFromServer(const QString& key) {
        return paid(m_fixture.client().LoadSettingsFromServer(key));
    }
    QString BuyVoucher(const QString& key, const QString& amount) {
        return paid(m_fixture.client().BuyVoucher(key, amount));
    }
    QString ActivateVoucher(const QString& key, const QString& serial) {
        return paid(m_fixture.client().ActivateVoucher(key, serial));
    }

private:
    QString paid(const ServiceClient::AccountReply& reply) {
        if (reply.refreshBalanceSoon)
            m_fixture.record().add(QStringLiteral("RestartBalanceTimer"));
        return reply.text;
    }
    ServiceFixture& m_fixture;
};

class SandboxTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    ServiceFixture m_fixture{m_profile.root()};
    SandboxProcess m_sandbox;
    QString m_key;
    AccountCommands m_accountCommands{m_fixture};

    AccountCommands& accountCommand() { return m_accountCommands; }

    // What the sandbox decoded from the last request it received, and the body as posted.
    QByteArray lastRequest() const {
        return hexBytes(m_sandbox.log().last().toObject().value(QLatin1String("request")));
    }
    QByteArray lastBody() const {
        return m_sandbox.log().last().toObject().value(QLatin1String("body")).toString().toLatin1();
    }
    QString balanceOnServer() const {
        return m_sandbox.account(m_key).value(QLatin1String("balance")).toString();
    }
    void useSystemPath(bool on) { m_fixture.settings().set(Setting::UseIESettings, on); }

private slots:
    void initTestCase() {
        QVERIFY2(m_sandbox.start({QStringLiteral("--status-step-ms"), QStringLiteral("100000")}),
                 qPrintable(m_sandbox.errorString()));
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }

    void init() {
        QVERIFY(m_sandbox.reset());
        m_fixture.reset(m_sandbox.port());
        m_key = m_sandbox.createAccount({{QStringLiteral("email"), QStringLiteral("a@example.org")},
                                         {QStringLiteral("balance"), QStringLiteral("100.00")}});
        QCOMPARE(m_key.size(), 48);
        m_fixture.client().setUserKey(m_key);
    }

    void formLineRuleOnTheWire_data() {
        QTest::addColumn<bool>("systemPath");
        QTest::addColumn<QString>("ending");
        QTest::newRow("direct") << false << "=%3D";
        QTest::newRow("system settings") << true << "==";
    }
    void formLineRuleOnTheWire() {
        QFETCH(bool, systemPath);
        QFETCH(QString, ending);
        useSystemPath(systemPath);
        // ";" and one digit: two bytes, whose Base64 ends in "=", the next id in "==".
        m_fixture.client().QueryMessageStatus(7);
        QCOMPARE(lastRequest(), QByteArray(";7"));
        QVERIFY(lastBody().endsWith("=") && !lastBody().endsWith("=="));
        m_fixture.client().QueryMessageStatus(77);
        QCOMPARE(lastRequest(), QByteArray(";77"));
        m_fixture.client().QueryMessageStatus(777);
        QCOMPARE(lastRequest(), QByteArray(";777"));
        QVERIFY2(lastBody().endsWith(ending.toLatin1()), lastBody().constData());
    }

    void loginRequestAndBalance() {
        m_fixture.login();
        QCOMPARE(lastRequest(), "?" + m_key.toLatin1() +
                                    "\x01"
                                    "3.1.6");
        const QStringList calls = m_fixture.record().calls();
        QCOMPARE(calls.value(0), kConnecting);
        QCOMPARE(calls.value(1), QStringLiteral("ServerContacts shown"));
        QCOMPARE(calls.value(2), QStringLiteral("status Баланс: 100,00\u00a0₽"));
        QCOMPARE(m_fixture.client().tariff().SmsPrice, 1.5);
        QCOMPARE(m_fixture.client().tariff().PartLength, 70);
    }

    void loginOutcomes_data() {
        QTest::addColumn<QJsonObject>("account");
        QTest::addColumn<bool>("showBalance");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("fault");
        QTest::newRow("message count") << QJsonObject{} << false << "status SMS: 67" << QString();
        QTest::newRow("not activated") << QJsonObject{{QStringLiteral("activated"), false}} << true
                                       << "status Не активирован" << QString();
        QTest::newRow("server answers 500") << QJsonObject{} << true << kCheck << "http500";
        QTest::newRow("server drops the connection") << QJsonObject{} << true << kCheck << "close";
        QTest::newRow("server answers garbage") << QJsonObject{} << true << kCheck << "garbage";
    }
    void loginOutcomes() {
        QFETCH(QJsonObject, account);
        QFETCH(bool, showBalance);
        QFETCH(QString, status);
        QFETCH(QString, fault);
        QVERIFY(m_sandbox.changeAccount(m_key, account));
        m_fixture.settings().set(Setting::ShowBalance, showBalance);
        if (!fault.isEmpty())
            QVERIFY(m_sandbox.failNext(1, fault));
        m_fixture.login();
        QVERIFY2(m_fixture.record().calls().contains(status),
                 qPrintable(m_fixture.record().calls().join(QLatin1Char('|'))));
    }

    void unknownKeyClearsItAndOffersRegistration() {
        m_fixture.client().setUserKey(QString(48, QLatin1Char('F')));
        m_fixture.login();
        QCOMPARE(m_fixture.record().calls(), (QStringList{kConnecting, QStringLiteral("253")}));
        QVERIFY(m_fixture.client().userKey().isEmpty());
        QVERIFY(m_fixture.routine().lastConnectFailed());
    }

    void noticeAtLoginAndAtSend() {
        QVERIFY(m_sandbox.changeAccount(
            m_key, {{QStringLiteral("notice"), QStringLiteral("Плановые работы\nв 23:00")}}));
        m_fixture.login();
        QVERIFY(
            m_fixture.record().calls().contains(QStringLiteral("254 Плановые работы\r\nв 23:00")));
        m_fixture.record().take();
        const QString reply =
            m_fixture.sendSms(m_key, QStringLiteral("Varnelo"), QStringLiteral("Hi"),
                              QStringLiteral("+79161234567"), 0);
        const SendReply read = SendReply::read(reply);
        QCOMPARE(read.kind, SendReply::Kind::Notice);
        QCOMPARE(read.notice, QStringLiteral("Плановые работы\r\nв 23:00"));
        QCOMPARE(m_fixture.record().calls(), QStringList());
    }

    void sendAndStatus() {
        const QString reply =
            m_fixture.sendSms(m_key + QStringLiteral("\x01"), QStringLiteral("Olga\x01"),
                              QStringLiteral("Привет\x01, мир"),
                              QStringLiteral("+7916\x01"
                                             "1234567"),
                              5);
        QCOMPARE(lastRequest(), "B" + m_key.toLatin1() + "\x01" +
                                    Ansi::fromUnicode(QStringLiteral("Привет, мир")) +
                                    "\x01+79161234567\x01Olga\x01\x01"
                                    "5");
        // The sender went out as typed, with its 0x01, which shifted the delay field.
        QCOMPARE(SendReply::read(reply).code, std::optional<qint32>(-1));
        QCOMPARE(m_fixture.record().take(), QStringList{QStringLiteral("RestartBalanceTimer")});

        const QString sent =
            m_fixture.sendSms(m_key, QStringLiteral("Olga"), QStringLiteral("Привет"),
                              QStringLiteral("+79161234567"), 0);
        const std::optional<qint32> id = SendReply::read(sent).code;
        QVERIFY2(id && *id > 0, qPrintable(sent));
        QCOMPARE(balanceOnServer(), QStringLiteral("98.50"));

        const QString group =
            m_fixture.sendSms(m_key, QStringLiteral("Olga"), QStringLiteral("Всем"),
                              QStringLiteral("+79161111111|bad|+79162222222"), 0);
        const SendReply groupRead = SendReply::read(group);
        QCOMPARE(groupRead.kind, SendReply::Kind::Group);
        QCOMPARE(groupRead.results.size(), 3);
        QCOMPARE(groupRead.results[1], std::optional<qint32>(-4));

        QCOMPARE(StatusReply::readCodes(
                     m_fixture.client().QueryMessagesStatus({*id, *groupRead.results[0]}), 2),
                 (QList<quint8>{10, 10}));
        QCOMPARE(lastRequest(), "4" + QByteArray::number(*id) + "\x01" +
                                    QByteArray::number(*groupRead.results[0]) + "\x01");
        QVERIFY(m_sandbox.setMessageStatus(*id, 11));
        QCOMPARE(StatusReply::readCode(m_fixture.client().QueryMessageStatus(*id)), quint8(11));
        QCOMPARE(lastRequest(), ";" + QByteArray::number(*id));
    }

    void contactsRoundTrip() {
        TContacts contacts;
        QVERIFY(m_fixture.client().LoadContactsFromServer(contacts));
        QVERIFY(contacts.isEmpty()); // nothing stored yet

        BookGroup family;
        family.entry.caption = QStringLiteral("Семья");
        family.entry.expanded = true;
        BookEntry mother;
        mother.caption = QStringLiteral("Мама, которую зовут очень длинным именем");
        mother.Number = QStringLiteral("+79161111111");
        mother.Sender = QStringLiteral("lost");
        mother.Translit = true;
        family.contacts << mother;
        BookGroup work;
        work.entry.caption = QStringLiteral("Работа");
        QVERIFY(m_fixture.client().SaveContactsOnServer(ContactsPayload::build({family, work})));
        QCOMPARE(lastRequest().left(51), "=" + m_key.toLatin1() + "\x01\x02");

        QVERIFY(m_fixture.client().LoadContactsFromServer(contacts));
        QCOMPARE(lastRequest(), ">" + m_key.toLatin1());
        QCOMPARE(contacts.size(), 3);
        QCOMPARE(contacts[0], TContactEntry::make(QStringLiteral("Семья"), {}, {}, true, 1));
        QCOMPARE(contacts[1].Name, mother.caption.left(30));
        QCOMPARE(contacts[1].Number, mother.Number);
        QCOMPARE(contacts[1].Flag, 1);
        QCOMPARE(contacts[2], TContactEntry::make(QStringLiteral("Работа"), {}, {}, true, 0));

        QVERIFY(m_sandbox.changeAccount(m_key, {{QStringLiteral("serverContacts"), false}}));
        QVERIFY(!m_fixture.client().SaveContactsOnServer(QString()));
        QVERIFY(!m_fixture.client().LoadContactsFromServer(contacts));
        QCOMPARE(contacts.size(), 3);
    }

    void accountDataAndVouchers() {
        QCOMPARE(accountCommand().SaveSettingsOnServer(m_key, QStringLiteral("111\x05"
                                                                             "222\x05"
                                                                             "0")),
                 "1");
        QCOMPARE(lastRequest(), "0" + m_key.toLatin1() +
                                    "\x01\x04"
                                    "111\x05"
                                    "222\x05"
                                    "0");
        const QByteArray data =
            QByteArray::fromBase64(accountCommand().LoadSettingsFromServer(m_key).toLatin1());
        const QList<QByteArray> lines = data.split('\x01');
        QCOMPARE(lines.value(6), QByteArray("111"));
        QCOMPARE(lines.value(7), QByteArray("222"));
        QCOMPARE(lines.value(9), QByteArray("100.00"));

        const QString serial = accountCommand().BuyVoucher(m_key, QStringLiteral("20"));
        QCOMPARE(serial.size(), 32);
        QCOMPARE(lastRequest(), "," + m_key.toLatin1() +
                                    "\x01\x03\x01"
                                    "20");
        const QString friendKey = m_sandbox.createAccount({});
        QCOMPARE(accountCommand().ActivateVoucher(friendKey, serial), QStringLiteral("20"));
        QCOMPARE(lastRequest(), "," + friendKey.toLatin1() + "\x01\x04\x01" + serial.toLatin1());
        QCOMPARE(accountCommand().ActivateVoucher(friendKey, serial), QStringLiteral("-1"));
        QCOMPARE(accountCommand().BuyVoucher(m_key, QStringLiteral("1000")), QStringLiteral("-1"));
        // Every one of these asked for a balance refresh on the direct path.
        QCOMPARE(m_fixture.record().calls().count(QStringLiteral("RestartBalanceTimer")), 6);
    }

    void registrationAndRestore_data() {
        QTest::addColumn<bool>("systemPath");
        QTest::newRow("direct") << false;
        QTest::newRow("system settings") << true;
    }
    void registrationAndRestore() {
        QFETCH(bool, systemPath);
        useSystemPath(systemPath);
        const QString key = m_fixture.client().RegisterUser(
            QStringLiteral("Иван\x01 Петров"), QStringLiteral("+79161234567"),
            QStringLiteral("Москва"), QStringLiteral("01.02.1990"),
            QStringLiteral("ivan@example.org"), QString());
        QCOMPARE(key.size(), 48);
        QCOMPARE(lastRequest(), "1" + Ansi::fromUnicode(QStringLiteral("Иван Петров")) +
                                    "\x01+79161234567\x01" +
                                    Ansi::fromUnicode(QStringLiteral("Москва")) +
                                    "\x01"
                                    "01.02.1990\x01ivan@example.org\x01");
        QCOMPARE(m_fixture.client().RegisterUser(QStringLiteral("Другой"), QString(), QString(),
                                                 QString(), QStringLiteral("ivan@example.org"),
                                                 QString()),
                 QStringLiteral("-1"));

        const QString letter =
            m_fixture.client().RestoreAccount(QStringLiteral("ivan@example.org"));
        QCOMPARE(lastRequest(), systemPath ? QByteArray("7\x03ivan@example.org")
                                           : QByteArray("7ivan@example.org"));
        QVERIFY(letter.contains(key));
        QVERIFY(letter.contains(QStringLiteral("\r\n")));
        QCOMPARE(m_fixture.client().RestoreAccount(QStringLiteral("nobody@example.org")),
                 QString());
    }

    void throughAnAuthenticatingProxy() {
        TinyProxy proxy;
        QVERIFY2(proxy.start(QStringLiteral("alice"), QStringLiteral("s3cret")),
                 qPrintable(proxy.errorString()));
        Settings settings = m_fixture.settings();
        settings.set(Setting::UseProxy, true);
        settings.set(Setting::ProxyServer, QStringLiteral("127.0.0.1"));
        settings.set(Setting::ProxyPort, proxy.port());
        settings.set(Setting::ProxyAuthentication, true);
        settings.set(Setting::ProxyUserName, QStringLiteral("alice"));
        settings.setProxyPassword(QStringLiteral("s3cret"));
        m_fixture.login();
        QCOMPARE(m_fixture.record().calls().value(2),
                 QStringLiteral("status Баланс: 100,00\u00a0₽"));

        settings.set(Setting::ProxyAuthentication, false);
        m_fixture.record().take();
        m_fixture.login();
        QCOMPARE(m_fixture.record().calls().value(1), kCheck);
    }

    void cleanupTestCase() { QCOMPARE(m_sandbox.stop(), 0); }
};

QTEST_GUILESS_MAIN(SandboxTest)
#include "SandboxTest.moc"
