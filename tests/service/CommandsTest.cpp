#include "FakeHttpServer.h"
#include "ServiceFixture.h"
#include "TestProfile.h"
#include "messaging/Recount.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"
#include "service/ServiceClient.h"
#include "service/ServiceError.h"
#include "shared/Settings.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QTest>

namespace {

using Mode = FakeHttpServer::Behaviour::Mode;

const QString kKey = QStringLiteral("0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF");
const QString kSerial = QStringLiteral("FEDCBA9876543210FEDCBA9876543210");

QByteArray cp1251(const QString& text) {
    return Ansi::fromUnicode(text);
}

QByteArray decoded(const FakeHttpServer::Request& request) {
    return QByteArray::fromBase64(QByteArray::fromPercentEncoding(request.body));
}

// An account command's reply text, with the balance refresh it asks for in the record.
QString account(ServiceFixture& fixture, const ServiceClient::AccountReply& reply) {
    if (reply.refreshBalanceSoon)
        fixture.record().add(QStringLiteral("RestartBalanceTimer"));
    return reply.text;
}

// The login reply's text to judge, with what the window would show of it in the record.
QString userInfo(ServiceFixture& fixture, const QString& key) {
    const ServiceClient::UserInfo info = fixture.client().GetUserInfo(key);
    LoginOutcome shown;
    shown.serverContactsVisible = info.serverContactsEnabled;
    shown.notice = info.notice;
    fixture.record().add(shown);
    return info.judged;
}

// Each command called with fixed arguments that carry field separators where a caller might
// let one through; the result as text.
QString run(const QString& command, ServiceFixture& fixture) {
    const ServiceClient& client = fixture.client();
    const QString key = kKey + QStringLiteral("\x01");
    if (command == QLatin1String("SendSms"))
        return fixture.sendSms(key, QStringLiteral("Send\x01r"), QStringLiteral("Привет\x01 мир"),
                               QStringLiteral("+79161234567\x01|+79031234567"), 15);
    if (command == QLatin1String("SaveSettingsOnServer"))
        return account(fixture, client.SaveSettingsOnServer(key, QStringLiteral("111\x05"
                                                                                "222\x05"
                                                                                "0")));
    if (command == QLatin1String("LoadSettingsFromServer"))
        return account(fixture, client.LoadSettingsFromServer(key));
    if (command == QLatin1String("BuyVoucher"))
        return account(fixture, client.BuyVoucher(key, QStringLiteral("100")));
    if (command == QLatin1String("ActivateVoucher"))
        return account(fixture, client.ActivateVoucher(key, kSerial));
    if (command == QLatin1String("QueryMessagesStatus"))
        return client.QueryMessagesStatus({5, 17, 2147483647});
    if (command == QLatin1String("QueryMessageStatus"))
        return client.QueryMessageStatus(17);
    if (command == QLatin1String("RestoreAccount"))
        return client.RestoreAccount(QStringLiteral("ivan@example.org"));
    if (command == QLatin1String("RegisterUser"))
        return client.RegisterUser(QStringLiteral("Иван\x01 Петров"), QStringLiteral("+7916\x01"),
                                   QStringLiteral("Моск\x01ва"), QStringLiteral("01.02.1990\x01"),
                                   QStringLiteral("ivan@\x01"
                                                  "example.org"),
                                   QStringLiteral("ref\x01"));
    if (command == QLatin1String("SaveContactsOnServer"))
        return client.SaveContactsOnServer(QStringLiteral("\x02"
                                                          "1G\x04"
                                                          "C\x03N\x03\x03"
                                                          "0\x05"))
                   ? QStringLiteral("true")
                   : QStringLiteral("false");
    if (command == QLatin1String("LoadContactsFromServer")) {
        TContacts contacts;
        const bool loaded = client.LoadContactsFromServer(contacts);
        return QStringLiteral("%1 %2").arg(loaded).arg(contacts.size());
    }
    if (command == QLatin1String("GetUserInfo"))
        return userInfo(fixture, key);
    qFatal("unknown command");
}

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    ServiceFixture m_fixture{m_profile.root()};
    FakeHttpServer m_server;

private slots:
    void init() {
        m_server.clear();
        m_fixture.reset(m_server.port());
        // The contact commands send the key of the running program, unstripped.
        m_fixture.client().setUserKey(kKey + QStringLiteral("\x01"));
    }

    void wire_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("systemPath");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("calls");

        const QByteArray k = kKey.toLatin1();
        const QStringList restart{QStringLiteral("RestartBalanceTimer")};
        const QStringList none;

        QTest::newRow("SendSms") << "SendSms" << false
                                 << "B" + k + "\x01" + cp1251(QStringLiteral("Привет мир")) +
                                        "\x01+79161234567|+79031234567\x01Send\x01r\x01"
                                        "15"
                                 << QByteArray("123") << "123" << restart;
        QTest::newRow("SendSms group reply") << "SendSms" << false << QByteArray()
                                             << QByteArray("11|0|12|") << "11|0|12|" << restart;
        QTest::newRow("SendSms notice: line breaks, no refresh")
            << "SendSms" << false << QByteArray()
            << cp1251(QStringLiteral("\x01\x01\x01Строка 1\x04Строка 2"))
            << QStringLiteral("\x01\x01\x01Строка 1\r\nСтрока 2") << none;
        QTest::newRow("SendSms on the system path refreshes too")
            << "SendSms" << true << QByteArray() << QByteArray("<b>77</b>") << "77" << restart;
        QTest::newRow("SaveSettingsOnServer") << "SaveSettingsOnServer" << false
                                              << "0" + k +
                                                     "\x01\x04"
                                                     "111\x05"
                                                     "222\x05"
                                                     "0"
                                              << QByteArray("1") << "1" << restart;
        QTest::newRow("SaveSettingsOnServer, system path: no refresh")
            << "SaveSettingsOnServer" << true << QByteArray() << QByteArray("1") << "1" << none;
        QTest::newRow("LoadSettingsFromServer")
            << "LoadSettingsFromServer" << false << "0" + k + "\x01\x03" << QByteArray("QUJD")
            << "QUJD" << restart;
        QTest::newRow("LoadSettingsFromServer, system path")
            << "LoadSettingsFromServer" << true << QByteArray() << QByteArray("QUJD") << "QUJD"
            << none;
        QTest::newRow("BuyVoucher") << "BuyVoucher" << false
                                    << "," + k +
                                           "\x01\x03\x01"
                                           "100"
                                    << kSerial.toLatin1() << kSerial << restart;
        QTest::newRow("BuyVoucher, system path")
            << "BuyVoucher" << true << QByteArray() << QByteArray("-1") << "-1" << none;
        QTest::newRow("ActivateVoucher")
            << "ActivateVoucher" << false << "," + k + "\x01\x04\x01" + kSerial.toLatin1()
            << QByteArray("500") << "500" << restart;
        QTest::newRow("ActivateVoucher, system path")
            << "ActivateVoucher" << true << QByteArray() << QByteArray("-2") << "-2" << none;
        QTest::newRow("QueryMessagesStatus") << "QueryMessagesStatus" << false
                                             << QByteArray("45\x01"
                                                           "17\x01"
                                                           "2147483647\x01")
                                             << QByteArray("10\x01"
                                                           "11\x01"
                                                           "2")
                                             << "10\r\n11\r\n2" << none;
        QTest::newRow("QueryMessageStatus") << "QueryMessageStatus" << false << QByteArray(";17")
                                            << QByteArray("11") << "11" << none;
        QTest::newRow("RestoreAccount")
            << "RestoreAccount" << false << QByteArray("7ivan@example.org")
            << QByteArray("Line 1\x01Line 2") << "Line 1\r\nLine 2" << none;
        QTest::newRow("RestoreAccount, system path: 0x03 in front")
            << "RestoreAccount" << true << QByteArray("7\x03ivan@example.org") << QByteArray("sent")
            << "sent" << none;
        QTest::newRow("RegisterUser") << "RegisterUser" << false
                                      << "1" + cp1251(QStringLiteral("Иван Петров")) +
                                             "\x01+7916\x01" + cp1251(QStringLiteral("Москва")) +
                                             "\x01"
                                             "01.02.1990\x01ivan@example.org\x01ref\x01"
                                      << k << kKey << none;
        QTest::newRow("GetUserInfo") << "GetUserInfo" << false
                                     << "?" + k +
                                            "\x01"
                                            "3.1.6"
                                     << QByteArray("-2") << "-2" << none;
        QTest::newRow("SaveContactsOnServer") << "SaveContactsOnServer" << false
                                              << "=" + k +
                                                     "\x01\x01\x02"
                                                     "1G\x04"
                                                     "C\x03N\x03\x03"
                                                     "0\x05"
                                              << QByteArray("OK") << "true" << none;
        QTest::newRow("SaveContactsOnServer refused")
            << "SaveContactsOnServer" << false << QByteArray() << QByteArray("-1") << "false"
            << none;
        QTest::newRow("LoadContactsFromServer")
            << "LoadContactsFromServer" << false << ">" + k + "\x01"
            << "OK" + QByteArray("\x02"
                                 "1G")
                          .toBase64()
            << "1 1" << none;
    }
    void wire() {
        QFETCH(QString, command);
        QFETCH(bool, systemPath);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        QFETCH(QString, result);
        QFETCH(QStringList, calls);
        m_fixture.settings().set(Setting::UseIESettings, systemPath);
        m_server.setDefault(FakeHttpServer::reply(reply));
        QCOMPARE(run(command, m_fixture), result);
        QCOMPARE(m_fixture.record().calls(), calls);
        QCOMPARE(m_server.requests().size(), 1);
        if (!request.isEmpty())
            QCOMPARE(decoded(m_server.requests()[0]), request);
    }

    void exchangeFailures_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("result"); // "throws" when the failure reaches the caller
        for (const char* raising : {"SendSms", "SaveSettingsOnServer", "LoadSettingsFromServer",
                                    "BuyVoucher", "ActivateVoucher", "QueryMessagesStatus",
                                    "QueryMessageStatus", "RestoreAccount", "RegisterUser"})
            QTest::newRow(raising) << raising << "throws";
        QTest::newRow("SaveContactsOnServer") << "SaveContactsOnServer"
                                              << "false";
        QTest::newRow("LoadContactsFromServer") << "LoadContactsFromServer"
                                                << "0 0";
        QTest::newRow("GetUserInfo gives nothing to judge") << "GetUserInfo"
                                                            << "";
    }
    void exchangeFailures() {
        QFETCH(QString, command);
        QFETCH(QString, result);
        for (const auto& behaviour :
             {FakeHttpServer::reply("1", 500),
              FakeHttpServer::Behaviour{Mode::CloseMidReply, 200, "1", 0, 0, 0}}) {
            m_server.setDefault(behaviour);
            QString outcome;
            try {
                outcome = run(command, m_fixture);
            } catch (const ServiceError&) {
                outcome = QStringLiteral("throws");
            }
            QCOMPARE(outcome, result);
            // A failed exchange asks for no balance refresh.
            QCOMPARE(m_fixture.record().take(), QStringList());
        }
    }

    void missingTransportSettingFails() {
        m_fixture.registry().deleteValue(QString(), QStringLiteral("UseIESettings"));
        m_server.setDefault(FakeHttpServer::reply("1"));
        for (const char* command : {"RestoreAccount", "BuyVoucher", "SendSms"})
            QVERIFY_THROWS_EXCEPTION(ServiceError, run(QLatin1String(command), m_fixture));
        QVERIFY(m_server.requests().isEmpty());
    }

    void onlyTheSendWaitsPastTheCap() {
        m_fixture.client().setLimits({200, 200});
        m_server.setDefault(FakeHttpServer::reply("5", 200, 700));
        QCOMPARE(run(QStringLiteral("SendSms"), m_fixture), QStringLiteral("5"));
        QVERIFY_THROWS_EXCEPTION(ServiceError, run(QStringLiteral("RegisterUser"), m_fixture));
        QCOMPARE(run(QStringLiteral("SaveContactsOnServer"), m_fixture), QStringLiteral("false"));
    }

    void messageStatusGivesUpAfterFiveSeconds() {
        m_server.setDefault(FakeHttpServer::of(Mode::Silent));
        QElapsedTimer clock;
        clock.start();
        try {
            m_fixture.client().QueryMessageStatus(1);
            QFAIL("a reply from a silent server");
        } catch (const ServiceError& error) {
            QCOMPARE(error.kind(), ServiceError::Kind::Timeout);
        }
        // Qt's transfer timer is a coarse one: it may fire up to 5 % early.
        QVERIFY2(clock.elapsed() >= 4700 && clock.elapsed() < 8000,
                 qPrintable(QString::number(clock.elapsed())));
    }

    void contactsOutcomesLeaveTheArray_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("rows");
        QTest::newRow("nothing stored") << QByteArray("OK") << true << 1;
        QTest::newRow("refused") << QByteArray("-1") << false << 1;
        QTest::newRow("not a group first") << "OK" + QByteArray("x").toBase64() << true << 1;
        QTest::newRow("two groups") << "OK" + QByteArray("\x02"
                                                         "1A\x02"
                                                         "0B")
                                                  .toBase64()
                                    << true << 2;
        QTest::newRow("decodes to nothing") << QByteArray("OK====") << false << 1;
    }
    void contactsOutcomesLeaveTheArray() {
        QFETCH(QByteArray, reply);
        QFETCH(bool, result);
        QFETCH(int, rows);
        m_server.setDefault(FakeHttpServer::reply(reply));
        TContacts contacts{TContactEntry::make(QStringLiteral("old"), {}, {}, true, 1)};
        QCOMPARE(m_fixture.client().LoadContactsFromServer(contacts), result);
        QCOMPARE(contacts.size(), rows);
    }

    void userInfoStoresTheLoginValues() {
        m_server.setDefault(
            FakeHttpServer::reply(cp1251(QStringLiteral("12.5\x01"
                                                        "1,25\x01"
                                                        "0.5\x01"
                                                        "67\x01"
                                                        "670\x01"
                                                        "1\x01"
                                                        "1\x01Новости\x04сервиса"))));
        for (const auto language : {QLocale::Russian, QLocale::English}) {
            QLocale::setDefault(QLocale(language));
            m_fixture.reset(m_server.port());
            QCOMPARE(userInfo(m_fixture, kKey), QStringLiteral("12.5"));
            const AccountState account = m_fixture.client().account();
            QCOMPARE(account.balance, 12.5);
            QCOMPARE(account.tariff.SmsPrice, 1.25);
            QCOMPARE(account.tariff.ExtraPartPrice, 0.5);
            QCOMPARE(account.tariff.PartLength, 67);
            QCOMPARE(account.tariff.MaxMessageLength, 670);
            QVERIFY(account.serverContactsEnabled);
            QVERIFY(account.extraOptionEnabled);
            QCOMPARE(m_fixture.record().calls(),
                     (QStringList{QStringLiteral("ServerContacts shown"),
                                  QStringLiteral("254 Новости\r\nсервиса")}));
            const Tariff tariff = m_fixture.client().tariff();
            QCOMPARE(tariff.SmsPrice, 1.25);
            QCOMPARE(tariff.ExtraPartPrice, 0.5);
            QCOMPARE(tariff.PartLength, 67);
            QCOMPARE(tariff.MaxMessageLength, 670);
        }
        QLocale::setDefault(QLocale::c());
    }

    void userInfoKeepsWhatWasStoredBeforeAFault() {
        m_server.setDefault(FakeHttpServer::reply("30\x01"
                                                  "2\x01"
                                                  "1\x01"
                                                  "x\x01"
                                                  "160\x01"
                                                  "1"));
        m_fixture.client().setAccount([] {
            AccountState account;
            account.serverContactsEnabled = true;
            return account;
        }());
        QCOMPARE(userInfo(m_fixture, kKey), QStringLiteral("30"));
        const AccountState account = m_fixture.client().account();
        QCOMPARE(account.balance, 30.0);
        QCOMPARE(account.tariff.ExtraPartPrice, 1.0);
        QCOMPARE(account.tariff.PartLength, 70);
        QCOMPARE(account.tariff.MaxMessageLength, 70);
        QVERIFY(account.serverContactsEnabled);
        QCOMPARE(m_fixture.record().calls(), QStringList());
    }

    void userInfoWithPartLengthZeroOrLessStoresEveryValue_data() {
        QTest::addColumn<QByteArray>("partLength");
        QTest::newRow("zero") << QByteArray("0");
        QTest::newRow("negative") << QByteArray("-70");
    }
    void userInfoWithPartLengthZeroOrLessStoresEveryValue() {
        QFETCH(QByteArray, partLength);
        m_server.setDefault(FakeHttpServer::reply("30\x01"
                                                  "2\x01"
                                                  "1\x01" +
                                                  partLength +
                                                  "\x01"
                                                  "160\x01"
                                                  "1\x01"
                                                  "1\x01"
                                                  "News"));
        QCOMPARE(userInfo(m_fixture, kKey), QStringLiteral("30"));
        const AccountState account = m_fixture.client().account();
        QCOMPARE(account.balance, 30.0);
        QCOMPARE(account.tariff.PartLength, partLength.toInt());
        QCOMPARE(account.tariff.MaxMessageLength, 160);
        QVERIFY(account.serverContactsEnabled);
        QVERIFY(account.extraOptionEnabled);
        QCOMPARE(m_fixture.record().calls(),
                 (QStringList{QStringLiteral("ServerContacts shown"), QStringLiteral("254 News")}));
        // The compose page counts such a text as one part.
        QCOMPARE(Recount(QString(100, QLatin1Char('x')), QString(), false,
                         m_fixture.client().tariff(), QLocale::c())
                     .parts,
                 1);
    }

    void userInfoWithFiveLinesHidesServerContacts() {
        m_server.setDefault(FakeHttpServer::reply("1\x01"
                                                  "1\x01"
                                                  "1\x01"
                                                  "70\x01"
                                                  "70"));
        m_fixture.client().setAccount([] {
            AccountState account;
            account.serverContactsEnabled = true;
            return account;
        }());
        userInfo(m_fixture, kKey);
        QVERIFY(!m_fixture.client().account().serverContactsEnabled);
        QCOMPARE(m_fixture.record().calls(), QStringList{QStringLiteral("ServerContacts hidden")});
    }
};

QTEST_GUILESS_MAIN(CommandsTest)
#include "CommandsTest.moc"
