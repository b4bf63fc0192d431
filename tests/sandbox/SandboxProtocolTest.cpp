#include "SandboxProcess.h"
#include "SandboxRequests.h"

#include <QDate>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTest>

using namespace Requests;

// Every command of the protocol against the real service, over HTTP.
class SandboxProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void registerIssuesKey();
    void registerRefusesTakenEmail();
    void registerRefusesRequestWithoutEmail();
    void userInfoTellsTariff();
    void userInfoFollowsSettings();
    void unknownKey();
    void accountWaitingForActivation();
    void sendChecks_data();
    void sendChecks();
    void sendCharges_data();
    void sendCharges();
    void sendRefusesWhenBalanceShort();
    void groupSendAnswersPerNumber();
    void groupOfOneStaysAGroup();
    void idsAscendAcrossAccounts();
    void delayIsKept();
    void statusesMoveOn();
    void statusQueriesKeepOrderAndUnknownIdsAreZero();
    void adminSetStatusWins();
    void restoreShowsKey();
    void accountDataRoundTrip();
    void accountDataUnknownKey();
    void vouchers();
    void voucherRefusals();
    void contacts();
    void contactsRefusedWhenNotAllowed();
    void noticeIsAnsweredOnceByEachCommand();
    void bothTransportsAnswerAlike();
    void badBodies_data();
    void badBodies();
    void hugeBodies();
    void paymentPage();
    void qtClientReadsReply();

private:
    QByteArray newAccount(const QJsonObject& fields = {});
    QByteArray send(const QByteArray& key, const QByteArray& number,
                    const QByteArray& text = "Hello");
    QString balance(const QByteArray& key);

    SandboxProcess m_sandbox;
};

void SandboxProtocolTest::initTestCase() {
    QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
}

void SandboxProtocolTest::init() {
    QVERIFY(m_sandbox.reset());
}

QByteArray SandboxProtocolTest::newAccount(const QJsonObject& fields) {
    return m_sandbox.createAccount(fields).toLatin1();
}

QByteArray SandboxProtocolTest::send(const QByteArray& key, const QByteArray& number,
                                     const QByteArray& text) {
    return m_sandbox.ask(sendSms(key, text, number));
}

QString SandboxProtocolTest::balance(const QByteArray& key) {
    return m_sandbox.account(QString::fromLatin1(key)).value(QLatin1String("balance")).toString();
}

void SandboxProtocolTest::registerIssuesKey() {
    const QByteArray key = m_sandbox.ask(registerUser(QStringLiteral("ivan@example.org")));
    QCOMPARE(key.size(), 48);
    for (char c : key)
        QVERIFY2((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'), key.constData());
    const QJsonObject account = m_sandbox.account(QString::fromLatin1(key));
    QCOMPARE(account.value(QLatin1String("name")).toString(), QStringLiteral("Иван Петров"));
    QCOMPARE(account.value(QLatin1String("city")).toString(), QStringLiteral("Москва"));
    QCOMPARE(account.value(QLatin1String("balance")).toString(), QStringLiteral("100.00"));
    QCOMPARE(account.value(QLatin1String("activated")).toBool(), true);

    const QByteArray second = m_sandbox.ask(registerUser(QStringLiteral("other@example.org")));
    QCOMPARE(second.size(), 48);
    QVERIFY(second != key);
}

void SandboxProtocolTest::registerRefusesTakenEmail() {
    QCOMPARE(m_sandbox.ask(registerUser(QStringLiteral("ivan@example.org"))).size(), 48);
    QCOMPARE(m_sandbox.ask(registerUser(QStringLiteral("Ivan@Example.org"))), QByteArray("-1"));
}

void SandboxProtocolTest::registerRefusesRequestWithoutEmail() {
    QCOMPARE(m_sandbox.ask(registerUser(QStringLiteral(""))), QByteArray("ERROR"));
    QCOMPARE(m_sandbox.ask("1" + cp1251(QStringLiteral("Иван"))), QByteArray("ERROR"));
}

void SandboxProtocolTest::userInfoTellsTariff() {
    const QByteArray key = newAccount();
    const QList<QByteArray> expected = {"100.00", "1.50", "1.50", "70", "70", "1", "0", " "};
    QCOMPARE(lines(m_sandbox.ask(getUserInfo(key))), expected);
    // The version field is not needed to answer.
    QCOMPARE(lines(m_sandbox.ask("?" + key)), expected);
}

void SandboxProtocolTest::userInfoFollowsSettings() {
    QVERIFY(m_sandbox.changeSettings({{"smsPrice", "2.25"},
                                      {"extraPartPrice", 1},
                                      {"partLength", 160},
                                      {"maxMessageLength", 480},
                                      {"serverContacts", false},
                                      {"extraOption", true}}));
    const QByteArray key = newAccount({{"balance", "12.5"}});
    const QList<QByteArray> expected = {"12.50", "2.25", "1.00", "160", "480", "0", "1", " "};
    QCOMPARE(lines(m_sandbox.ask(getUserInfo(key))), expected);

    QVERIFY(m_sandbox.changeAccount(QString::fromLatin1(key),
                                    {{"serverContacts", true}, {"extraOption", false}}));
    QCOMPARE(lines(m_sandbox.ask(getUserInfo(key))).mid(5, 2), (QList<QByteArray>{"1", "0"}));
}

void SandboxProtocolTest::unknownKey() {
    const QByteArray stranger(48, 'A');
    QCOMPARE(m_sandbox.ask(getUserInfo(stranger)), QByteArray("-2"));
    QCOMPARE(send(stranger, "+79161234567"), QByteArray("0"));
}

void SandboxProtocolTest::accountWaitingForActivation() {
    QVERIFY(m_sandbox.changeSettings({{"autoActivate", false}}));
    const QByteArray key = m_sandbox.ask(registerUser(QStringLiteral("late@example.org")));
    QCOMPARE(key.size(), 48);
    QCOMPARE(m_sandbox.ask(getUserInfo(key)), QByteArray("-1"));
    QCOMPARE(send(key, "+79161234567"), QByteArray("-5"));
    QCOMPARE(m_sandbox.ask(activateVoucher(key, QByteArray(32, 'A'))), QByteArray("-2"));

    QVERIFY(m_sandbox.changeAccount(QString::fromLatin1(key), {{"activated", true}}));
    QCOMPARE(lines(m_sandbox.ask(getUserInfo(key))).value(0), QByteArray("100.00"));
    QVERIFY(send(key, "+79161234567").toInt() > 0);
}

void SandboxProtocolTest::sendChecks_data() {
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<QByteArray>("sender");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("delay");
    QTest::addColumn<QByteArray>("reply"); // "id" for a message id

    QTest::newRow("accepted") << QByteArray("+79161234567") << QByteArray("Varnelo")
                              << QByteArray("Hi") << QByteArray("0") << QByteArray("id");
    QTest::newRow("digits as sender") << QByteArray("+79161234567") << QByteArray("79161234567")
                                      << QByteArray("Hi") << QByteArray("0") << QByteArray("id");
    QTest::newRow("number without plus") << QByteArray("79161234567") << QByteArray("Varnelo")
                                         << QByteArray("Hi") << QByteArray("0") << QByteArray("-4");
    QTest::newRow("number too short") << QByteArray("+123456789") << QByteArray("Varnelo")
                                      << QByteArray("Hi") << QByteArray("0") << QByteArray("-4");
    QTest::newRow("number too long") << QByteArray("+1234567890123456") << QByteArray("Varnelo")
                                     << QByteArray("Hi") << QByteArray("0") << QByteArray("-4");
    QTest::newRow("sender too long") << QByteArray("+79161234567") << QByteArray("VarneloVarne")
                                     << QByteArray("Hi") << QByteArray("0") << QByteArray("-12");
    QTest::newRow("sender with plus") << QByteArray("+79161234567") << QByteArray("+7916")
                                      << QByteArray("Hi") << QByteArray("0") << QByteArray("-12");
    QTest::newRow("empty sender") << QByteArray("+79161234567") << QByteArray() << QByteArray("Hi")
                                  << QByteArray("0") << QByteArray("-12");
    QTest::newRow("refused number") << QByteArray("+79160000001") << QByteArray("Varnelo")
                                    << QByteArray("Hi") << QByteArray("0") << QByteArray("-3");
    QTest::newRow("empty text") << QByteArray("+79161234567") << QByteArray("Varnelo")
                                << QByteArray() << QByteArray("0") << QByteArray("-18");
    QTest::newRow("delay not a number") << QByteArray("+79161234567") << QByteArray("Varnelo")
                                        << QByteArray("Hi") << QByteArray("x") << QByteArray("-1");
}

void SandboxProtocolTest::sendChecks() {
    QFETCH(QByteArray, number);
    QFETCH(QByteArray, sender);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, delay);
    QFETCH(QByteArray, reply);
    int status = 0;
    m_sandbox.admin("POST", QStringLiteral("/admin/refusals"), {{"number", "+79160000001"}},
                    &status);
    QCOMPARE(status, 200);
    const QByteArray key = newAccount();
    const QByteArray got =
        m_sandbox.ask("B" + key + F + text + F + number + F + sender + F + delay);
    if (reply == "id") {
        QVERIFY2(got.toLongLong() > 0, got.constData());
        QCOMPARE(balance(key), QStringLiteral("98.50"));
    } else {
        QCOMPARE(got, reply);
        QCOMPARE(balance(key), QStringLiteral("100.00"));
    }
}

void SandboxProtocolTest::sendCharges_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("parts");
    QTest::addColumn<QString>("balanceAfter");
    // Tariff 2.00 for the first part, 0.50 for each further part of 10 characters.
    QTest::newRow("one character") << 1 << 1 << QStringLiteral("98.00");
    QTest::newRow("one full part") << 10 << 1 << QStringLiteral("98.00");
    QTest::newRow("one more") << 11 << 2 << QStringLiteral("97.50");
    QTest::newRow("three parts") << 30 << 3 << QStringLiteral("97.00");
    QTest::newRow("a bit over three") << 31 << 4 << QStringLiteral("96.50");
}

void SandboxProtocolTest::sendCharges() {
    QFETCH(int, length);
    QFETCH(int, parts);
    QFETCH(QString, balanceAfter);
    QVERIFY(m_sandbox.changeSettings(
        {{"smsPrice", "2.00"}, {"extraPartPrice", "0.50"}, {"partLength", 10}}));
    const QByteArray key = newAccount();
    // Cyrillic letters count one character each, as in code page 1251.
    const QByteArray text = cp1251(QString(length, QChar(0x0436)));
    const QByteArray id = send(key, "+79161234567", text);
    QVERIFY2(id.toLongLong() > 0, id.constData());
    QCOMPARE(balance(key), balanceAfter);
    QCOMPARE(lines(m_sandbox.ask(getUserInfo(key))).value(0), balanceAfter.toLatin1());
    const QJsonObject message =
        m_sandbox.admin("GET", QStringLiteral("/admin/messages/") + QString::fromLatin1(id));
    QCOMPARE(message.value(QLatin1String("parts")).toInt(), parts);
    QCOMPARE(message.value(QLatin1String("text")).toString(), QString(length, QChar(0x0436)));
}

void SandboxProtocolTest::sendRefusesWhenBalanceShort() {
    const QByteArray key = newAccount({{"balance", "2.00"}});
    QVERIFY(send(key, "+79161234567").toLongLong() > 0);
    QCOMPARE(send(key, "+79161234567"), QByteArray("-2"));
    QCOMPARE(balance(key), QStringLiteral("0.50"));
}

void SandboxProtocolTest::groupSendAnswersPerNumber() {
    int status = 0;
    m_sandbox.admin("POST", QStringLiteral("/admin/refusals"), {{"number", "+79160000001"}},
                    &status);
    const QByteArray key = newAccount({{"balance", "4.50"}});
    const QByteArray reply =
        send(key, "+79161111111|bad|+79160000001|+79162222222|+79163333333|+79164444444|");
    const QList<QByteArray> results = reply.split('|');
    QCOMPARE(results.size(), 6);
    QVERIFY(results[0].toLongLong() > 0);
    QCOMPARE(results[1], QByteArray("-4"));
    QCOMPARE(results[2], QByteArray("-3"));
    QCOMPARE(results[3].toLongLong(), results[0].toLongLong() + 1);
    QCOMPARE(results[4].toLongLong(), results[3].toLongLong() + 1);
    QCOMPARE(results[5], QByteArray("-2"));
    QCOMPARE(balance(key), QStringLiteral("0.00"));
}

void SandboxProtocolTest::groupOfOneStaysAGroup() {
    const QByteArray key = newAccount();
    const QByteArray reply = send(key, "+79161111111|");
    QVERIFY2(reply.endsWith('|') && reply.chopped(1).toLongLong() > 0, reply.constData());
}

void SandboxProtocolTest::idsAscendAcrossAccounts() {
    const QByteArray first = newAccount();
    const QByteArray second = newAccount();
    qint64 last = 0;
    for (int i = 0; i < 6; ++i) {
        const qint64 id = send(i % 2 ? first : second, "+79161234567").toLongLong();
        QVERIFY(id > last);
        last = id;
    }
}

void SandboxProtocolTest::delayIsKept() {
    QVERIFY(m_sandbox.changeSettings({{"statusStepMs", 50}, {"minuteMs", 200}}));
    const QByteArray key = newAccount();
    const QByteArray undelayed = send(key, "+79161234567");
    const QByteArray id = m_sandbox.ask(sendSms(key, "Later", "+79161234567", "Varnelo", 5));
    const QJsonObject message =
        m_sandbox.admin("GET", QStringLiteral("/admin/messages/") + QString::fromLatin1(id));
    QCOMPARE(message.value(QLatin1String("delay")).toInt(), 5);
    // Five delay minutes of 200 ms: still "sent" when the undelayed message sent before it is
    // delivered. One query reads both at one moment of the service.
    QByteArray both;
    QTRY_VERIFY((both = m_sandbox.ask(messagesStatus({undelayed, id}))).startsWith("11\x01"));
    QCOMPARE(both, QByteArray("11\x01"
                              "10"));
    QTRY_COMPARE_WITH_TIMEOUT(m_sandbox.ask(messageStatus(id)), QByteArray("11"), 5000);
}

void SandboxProtocolTest::statusesMoveOn() {
    QVERIFY(m_sandbox.changeSettings({{"statusStepMs", 500}}));
    const QByteArray key = newAccount();
    const QByteArray delivered = send(key, "+79161234567");
    const QByteArray failed = send(key, "+79161234500");
    const QByteArray expired = send(key, "+79161234599");
    QCOMPARE(m_sandbox.ask(messagesStatus({delivered, failed, expired})), QByteArray("10\x01"
                                                                                     "10\x01"
                                                                                     "10"));
    QTRY_COMPARE_WITH_TIMEOUT(m_sandbox.ask(messageStatus(delivered)), QByteArray("1"), 2000);
    QTRY_COMPARE_WITH_TIMEOUT(m_sandbox.ask(messagesStatus({delivered, failed, expired})),
                              QByteArray("11\x01"
                                         "2\x01"
                                         "12"),
                              3000);
}

void SandboxProtocolTest::statusQueriesKeepOrderAndUnknownIdsAreZero() {
    const QByteArray key = newAccount();
    const QByteArray a = send(key, "+79161234567");
    const QByteArray b = send(key, "+79161234568");
    QVERIFY(m_sandbox.setMessageStatus(a.toLongLong(), 11));
    QVERIFY(m_sandbox.setMessageStatus(b.toLongLong(), 3));
    QCOMPARE(m_sandbox.ask(messagesStatus({b, "999999", a, "x"})), QByteArray("3\x01"
                                                                              "0\x01"
                                                                              "11\x01"
                                                                              "0"));
    QCOMPARE(m_sandbox.ask(messageStatus("424242")), QByteArray("0"));
    QCOMPARE(m_sandbox.ask(messageStatus(a)), QByteArray("11"));
}

void SandboxProtocolTest::adminSetStatusWins() {
    QVERIFY(m_sandbox.changeSettings({{"statusStepMs", 0}}));
    const QByteArray key = newAccount();
    const QByteArray id = send(key, "+79161234567");
    QCOMPARE(m_sandbox.ask(messageStatus(id)), QByteArray("11"));
    QVERIFY(m_sandbox.setMessageStatus(id.toLongLong(), 19));
    QCOMPARE(m_sandbox.ask(messageStatus(id)), QByteArray("19"));
    int status = 0;
    m_sandbox.admin("POST", QStringLiteral("/admin/messages/") + QString::fromLatin1(id),
                    {{"status", QJsonValue()}}, &status);
    QCOMPARE(status, 200);
    QCOMPARE(m_sandbox.ask(messageStatus(id)), QByteArray("11"));
}

void SandboxProtocolTest::restoreShowsKey() {
    const QByteArray key = m_sandbox.ask(registerUser(QStringLiteral("ivan@example.org")));
    for (bool browser : {false, true}) {
        const QByteArray reply =
            m_sandbox.ask(restoreAccount(QStringLiteral("IVAN@example.org"), browser));
        QVERIFY2(reply.contains(key), reply.constData());
        QVERIFY(reply.contains(F)); // lines for the user
    }
    QCOMPARE(m_sandbox.ask(restoreAccount(QStringLiteral("nobody@example.org"))), QByteArray());
}

void SandboxProtocolTest::accountDataRoundTrip() {
    QVERIFY(m_sandbox.changeSettings({{"voucherFee", "3.00"}, {"detailPrice", "0.75"}}));
    const QByteArray key = m_sandbox.ask(registerUser(QStringLiteral("ivan@example.org")));
    QCOMPARE(m_sandbox.ask(saveSettings(key, "12345", "67890")), QByteArray("1"));
    const QList<QByteArray> data = lines(QByteArray::fromBase64(m_sandbox.ask(loadSettings(key))));
    QCOMPARE(data.size(), 13);
    const QJsonObject account = m_sandbox.account(QString::fromLatin1(key));
    QCOMPARE(data[0], QByteArray::number(account.value(QLatin1String("id")).toInteger()));
    QVERIFY(!data[1].isEmpty());
    QCOMPARE(data[2], QByteArray("ivan@example.org"));
    QCOMPARE(data[4], QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")).toLatin1());
    QCOMPARE(data[6], QByteArray("12345"));
    QCOMPARE(data[7], QByteArray("67890"));
    QCOMPARE(data[9], QByteArray("100.00"));
    QCOMPARE(data[10], QByteArray("1.50"));
    QCOMPARE(data[11], QByteArray("3.00"));
    QCOMPARE(data[12], QByteArray("0.75"));
    QCOMPARE(account.value(QLatin1String("icq1")).toString(), QStringLiteral("12345"));
}

void SandboxProtocolTest::accountDataUnknownKey() {
    const QByteArray stranger(48, 'B');
    QCOMPARE(m_sandbox.ask(loadSettings(stranger)), QByteArray());
    QCOMPARE(m_sandbox.ask(saveSettings(stranger, "1", "2")), QByteArray("-1"));
}

void SandboxProtocolTest::vouchers() {
    const QByteArray buyer = newAccount();
    const QByteArray serial = m_sandbox.ask(buyVoucher(buyer, "0030"));
    QCOMPARE(serial.size(), 32);
    for (char c : serial)
        QVERIFY((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    QCOMPARE(balance(buyer), QStringLiteral("68.00")); // 30 and the fee of 2.00

    const QByteArray other = newAccount({{"balance", "1.00"}});
    QCOMPARE(m_sandbox.ask(activateVoucher(other, serial)), QByteArray("30"));
    QCOMPARE(balance(other), QStringLiteral("31.00"));
    QCOMPARE(m_sandbox.ask(activateVoucher(other, serial)), QByteArray("-1"));
    QCOMPARE(m_sandbox.ask(activateVoucher(buyer, serial)), QByteArray("-1"));
}

void SandboxProtocolTest::voucherRefusals() {
    const QByteArray key = newAccount({{"balance", "10.00"}});
    QCOMPARE(m_sandbox.ask(buyVoucher(key, "9")), QByteArray("-1")); // 9 and the fee are 11.00
    QCOMPARE(m_sandbox.ask(buyVoucher(key, "")), QByteArray("0"));
    QCOMPARE(m_sandbox.ask(buyVoucher(key, "0")), QByteArray("0"));
    QCOMPARE(m_sandbox.ask(buyVoucher(key, "5 ")), QByteArray("0"));
    QCOMPARE(m_sandbox.ask(buyVoucher(QByteArray(48, 'C'), "5")), QByteArray("0"));
    QCOMPARE(balance(key), QStringLiteral("10.00"));
    QCOMPARE(m_sandbox.ask(activateVoucher(QByteArray(48, 'C'), QByteArray(32, 'A'))),
             QByteArray("-3"));
    QCOMPARE(m_sandbox.ask(activateVoucher(key, QByteArray(32, 'A'))), QByteArray("-1"));
}

void SandboxProtocolTest::contacts() {
    const QByteArray key = newAccount();
    QCOMPARE(m_sandbox.ask(loadContacts(key)), QByteArray("OK"));
    const QByteArray payload = "\x02"
                               "1" +
                               cp1251(QStringLiteral("Друзья")) + "\x04" +
                               cp1251(QStringLiteral("Оля")) +
                               "\x03+79161234567\x03\x03"
                               "0\x05";
    QCOMPARE(m_sandbox.ask(saveContacts(key, payload)), QByteArray("OK"));
    QCOMPARE(m_sandbox.ask(loadContacts(key)), "OK" + payload.toBase64());
    const QJsonObject stored =
        m_sandbox.account(QString::fromLatin1(key)).value(QLatin1String("contacts")).toObject();
    QCOMPARE(stored.value(QLatin1String("text")).toString(), Ansi::toUnicode(payload));

    // An empty book replaces the stored one; the reply is then "OK" alone.
    QCOMPARE(m_sandbox.ask(saveContacts(key, QByteArray())), QByteArray("OK"));
    QCOMPARE(m_sandbox.ask(loadContacts(key)), QByteArray("OK"));
    QCOMPARE(m_sandbox.ask(loadContacts(QByteArray(48, 'D'))), QByteArray("-1"));
    QCOMPARE(m_sandbox.ask(saveContacts(QByteArray(48, 'D'), payload)), QByteArray("-1"));
}

void SandboxProtocolTest::contactsRefusedWhenNotAllowed() {
    const QByteArray key = newAccount({{"serverContacts", false}});
    QCOMPARE(lines(m_sandbox.ask(getUserInfo(key))).value(5), QByteArray("0"));
    QCOMPARE(m_sandbox.ask(saveContacts(key, "\x02"
                                             "1G")),
             QByteArray("-1"));
    QCOMPARE(m_sandbox.ask(loadContacts(key)), QByteArray("-1"));
}

void SandboxProtocolTest::noticeIsAnsweredOnceByEachCommand() {
    const QByteArray key = newAccount({{"notice", QStringLiteral("Техработы ночью.\nСпасибо!")}});
    const QByteArray text =
        cp1251(QStringLiteral("Техработы ночью.")) + "\x04" + cp1251(QStringLiteral("Спасибо!"));

    QCOMPARE(lines(m_sandbox.ask(getUserInfo(key))).value(7), text);
    QCOMPARE(lines(m_sandbox.ask(getUserInfo(key))).value(7), QByteArray(" "));

    QCOMPARE(send(key, "+79161234567"), "\x01\x01\x01" + text);
    QCOMPARE(balance(key), QStringLiteral("100.00")); // nothing was sent
    QVERIFY(send(key, "+79161234567").toLongLong() > 0);
    QCOMPARE(balance(key), QStringLiteral("98.50"));
}

void SandboxProtocolTest::bothTransportsAnswerAlike() {
    const QByteArray key = newAccount();
    // "?" + key + 0x01 + "3.1.6" is 55 bytes: its Base64 ends in "==", with one byte more in
    // "=", with two more in no padding at all.
    for (const QByteArray& request :
         {getUserInfo(key), getUserInfo(key) + "x", getUserInfo(key) + "xy"}) {
        const QByteArray form = m_sandbox.ask(request, SandboxProcess::Transport::Form);
        const QByteArray browser = m_sandbox.ask(request, SandboxProcess::Transport::Browser);
        QCOMPARE(form, browser);
        QCOMPARE(lines(form).value(0), QByteArray("100.00"));
    }
    QVERIFY(SandboxProcess::formBody(getUserInfo(key)).endsWith("=%3D"));
    const QJsonArray log = m_sandbox.log();
    QCOMPARE(log.size(), 6);
    QCOMPARE(log[1].toObject().value(QLatin1String("userAgent")).toString(),
             QStringLiteral("Varnelo"));
    QCOMPARE(log[0].toObject().value(QLatin1String("command")).toString(),
             QStringLiteral("GetUserInfo"));
}

void SandboxProtocolTest::badBodies_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("empty") << QByteArray() << QByteArray("-1");
    QTest::newRow("not Base64") << QByteArray("!!!***") << QByteArray("-1");
    QTest::newRow("binary") << QByteArray("\x00\xff\x10\x80", 4) << QByteArray("-1");
    QTest::newRow("unknown command") << QByteArray("Wg==") << QByteArray("-1");
    QTest::newRow("send, missing fields") << QByteArray("B").toBase64() << QByteArray("0");
    QTest::newRow("user info, key only half") << QByteArray("?ABC").toBase64() << QByteArray("-2");
    QTest::newRow("form field name in front")
        << QByteArray("data=") + QByteArray("?").toBase64() << QByteArray("-1");
}

void SandboxProtocolTest::badBodies() {
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, reply);
    const SandboxProcess::HttpReply got = m_sandbox.postBody(body);
    QCOMPARE(got.status, 200);
    QCOMPARE(got.body, reply);
}

void SandboxProtocolTest::hugeBodies() {
    const QByteArray key = newAccount();
    // A contact book of 2 MiB is kept whole.
    const QByteArray book = "\x02"
                            "1" +
                            QByteArray(2 * 1024 * 1024, 'G');
    QCOMPARE(m_sandbox.ask(saveContacts(key, book)), QByteArray("OK"));
    QCOMPARE(m_sandbox.ask(loadContacts(key)).size(), 2 + book.toBase64().size());
    // Past the body limit the service refuses at the HTTP level and keeps serving.
    const SandboxProcess::HttpReply huge = m_sandbox.postBody(QByteArray(5 * 1024 * 1024, 'A'));
    QVERIFY2(huge.status == 413 || !huge.error.isEmpty(), qPrintable(huge.error));
    QCOMPARE(lines(m_sandbox.ask(getUserInfo(key))).value(0), QByteArray("100.00"));
}

void SandboxProtocolTest::paymentPage() {
    const QByteArray key = newAccount();
    const SandboxProcess::HttpReply page = m_sandbox.get(
        QStringLiteral("/howpay.php?") + QString::fromLatin1(key) + QStringLiteral("B1552CCEECD3"));
    QCOMPARE(page.status, 200);
    const QString html = Ansi::toUnicode(page.body);
    QVERIFY(html.contains(QStringLiteral("color: #2C55B1")));
    QVERIFY(html.contains(QStringLiteral("background-color: #D3ECCE")));
    QVERIFY(html.contains(QStringLiteral("Как пополнить баланс")));
    QVERIFY(html.contains(QStringLiteral("100.00 руб.")));
    QVERIFY(html.contains(QStringLiteral("windows-1251")));

    const SandboxProcess::HttpReply bare = m_sandbox.get(QStringLiteral("/howpay.php"));
    QCOMPARE(bare.status, 200);
    QVERIFY(Ansi::toUnicode(bare.body).contains(QStringLiteral("Как пополнить баланс")));
}

void SandboxProtocolTest::qtClientReadsReply() {
    // The client posts with Qt Network; make sure that path reads the reply byte for byte.
    const QByteArray key = newAccount({{"notice", QStringLiteral("Привет")}});
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(m_sandbox.baseUrl() + QStringLiteral("/")));
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArray("application/x-www-form-urlencoded"));
    QNetworkReply* reply = manager.post(request, SandboxProcess::formBody(getUserInfo(key)));
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    QCOMPARE(reply->error(), QNetworkReply::NoError);
    QCOMPARE(lines(reply->readAll()).value(7), cp1251(QStringLiteral("Привет")));
    delete reply;
}

QTEST_GUILESS_MAIN(SandboxProtocolTest)
#include "SandboxProtocolTest.moc"
