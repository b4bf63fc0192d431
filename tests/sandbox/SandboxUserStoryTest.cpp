#include "SandboxProcess.h"
#include "SandboxRequests.h"

#include <QTest>

using namespace Requests;

// A newcomer's whole visit, request by request as the client makes them: register, log in,
// send to one number and to a group, watch the balance and the statuses, buy and redeem a
// voucher, keep the contact book with the service and bring it back.
class SandboxUserStoryTest : public QObject {
    Q_OBJECT

private slots:
    void wholeStory();
};

void SandboxUserStoryTest::wholeStory() {
    SandboxProcess sandbox;
    QVERIFY2(sandbox.start({QStringLiteral("--status-step-ms"), QStringLiteral("200"),
                            QStringLiteral("--tariff"), QStringLiteral("1.50,1.00,70,140")}),
             qPrintable(sandbox.errorString()));

    // Register and log in.
    const QByteArray key =
        sandbox.ask(registerUser(QStringLiteral("olga@example.org"), QStringLiteral("Ольга")));
    QCOMPARE(key.size(), 48);
    QCOMPARE(lines(sandbox.ask(getUserInfo(key))),
             (QList<QByteArray>{"100.00", "1.50", "1.00", "70", "140", "1", "0", " "}));

    // One number, a message of two parts: 1.50 + 1.00.
    const QByteArray single =
        sandbox.ask(sendSms(key, QByteArray(100, 'a'), "+79161234567", "Olga"));
    QVERIFY2(single.toLongLong() > 0, single.constData());
    QCOMPARE(lines(sandbox.ask(getUserInfo(key))).value(0), QByteArray("97.50"));

    // A group of three, one part each, sent in the browser transport's form.
    const QByteArray group = sandbox.ask(sendSms(key, cp1251(QStringLiteral("Встреча в 18:00")),
                                                 "+79161111111|+79162222222|+79163333333", "Olga"),
                                         SandboxProcess::Transport::Browser);
    const QList<QByteArray> ids = group.split('|');
    QCOMPARE(ids.size(), 3);
    QCOMPARE(ids[0].toLongLong(), single.toLongLong() + 1);
    QCOMPARE(ids[2].toLongLong(), single.toLongLong() + 3);
    QCOMPARE(lines(sandbox.ask(getUserInfo(key))).value(0), QByteArray("93.00"));

    // Statuses: sent at first, delivered a little later.
    const QList<QByteArray> all = {single, ids[0], ids[1], ids[2]};
    QCOMPARE(sandbox.ask(messagesStatus(all)), QByteArray("10\x01"
                                                          "10\x01"
                                                          "10\x01"
                                                          "10"));
    QTRY_COMPARE_WITH_TIMEOUT(sandbox.ask(messagesStatus(all)),
                              QByteArray("11\x01"
                                         "11\x01"
                                         "11\x01"
                                         "11"),
                              5000);
    QCOMPARE(sandbox.ask(messageStatus(ids[1])), QByteArray("11"));

    // Buy a voucher of 20 (fee 2.00) and redeem it on a second account.
    const QByteArray serial = sandbox.ask(buyVoucher(key, "20"));
    QCOMPARE(serial.size(), 32);
    QCOMPARE(lines(sandbox.ask(getUserInfo(key))).value(0), QByteArray("71.00"));
    const QByteArray friendKey = sandbox.ask(registerUser(QStringLiteral("friend@example.org")));
    QCOMPARE(sandbox.ask(activateVoucher(friendKey, serial)), QByteArray("20"));
    QCOMPARE(lines(sandbox.ask(getUserInfo(friendKey))).value(0), QByteArray("120.00"));
    QCOMPARE(sandbox.ask(activateVoucher(friendKey, serial)), QByteArray("-1"));

    // The account data page shows the new balance.
    const QList<QByteArray> data = lines(QByteArray::fromBase64(sandbox.ask(loadSettings(key))));
    QCOMPARE(data.value(2), QByteArray("olga@example.org"));
    QCOMPARE(data.value(9), QByteArray("71.00"));

    // Keep the contact book with the service and bring it back.
    const QByteArray book = "\x02"
                            "1" +
                            cp1251(QStringLiteral("Семья")) + "\x04" +
                            cp1251(QStringLiteral("Мама")) + "\x03+79161111111\x03" +
                            cp1251(QStringLiteral("Оля")) +
                            "\x03"
                            "0\x05" +
                            "\x04"
                            "Papa\x03+79162222222\x03\x03"
                            "1\x05" +
                            "\x02"
                            "0" +
                            cp1251(QStringLiteral("Работа"));
    QCOMPARE(sandbox.ask(loadContacts(key)), QByteArray("OK"));
    QCOMPARE(sandbox.ask(saveContacts(key, book)), QByteArray("OK"));
    const QByteArray loaded = sandbox.ask(loadContacts(key));
    QVERIFY(loaded.startsWith("OK"));
    QCOMPARE(QByteArray::fromBase64(loaded.mid(2)), book);

    // A forgotten key comes back by e-mail.
    QVERIFY(sandbox.ask(restoreAccount(QStringLiteral("olga@example.org"))).contains(key));

    QCOMPARE(sandbox.stop(), 0);
}

QTEST_GUILESS_MAIN(SandboxUserStoryTest)
#include "SandboxUserStoryTest.moc"
