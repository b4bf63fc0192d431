#include "Dispatcher.h"
#include "MessageCommands.h"
#include "Money.h"
#include "PaymentPage.h"
#include "Protocol.h"
#include "RequestDecoder.h"
#include "SandboxContext.h"
#include "platform/Ansi.h"

#include <QTest>

class SandboxUnitsTest : public QObject {
    Q_OBJECT

private slots:
    void decodesBothTransports_data();
    void decodesBothTransports();
    void money_data();
    void money();
    void numbers_data();
    void numbers();
    void senders_data();
    void senders();
    void parts_data();
    void parts();
    void statusMovesOn_data();
    void statusMovesOn();
    void htmlColour_data();
    void htmlColour();
    void badRequestsGetReadableReplies_data();
    void badRequestsGetReadableReplies();
};

void SandboxUnitsTest::decodesBothTransports_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("text");
    // "?A" encodes as "P0E=", "?" alone as "Pw==".
    QTest::newRow("one pad") << QByteArray("P0E=") << QByteArray("?A");
    QTest::newRow("two pads, form-encoded") << QByteArray("Pw=%3D") << QByteArray("?");
    QTest::newRow("two pads, raw") << QByteArray("Pw==") << QByteArray("?");
    QTest::newRow("lower-case escape") << QByteArray("Pw=%3d") << QByteArray("?");
    QTest::newRow("plus and slash stay") << QByteArray("+/8=") << QByteArray("\xfb\xff");
    QTest::newRow("line breaks and blanks") << QByteArray(" P0\r\nE=\n") << QByteArray("?A");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("no Base64 at all") << QByteArray("%%%***") << QByteArray();
}

void SandboxUnitsTest::decodesBothTransports() {
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, text);
    QCOMPARE(RequestDecoder::decode(body), text);
}

void SandboxUnitsTest::money_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("kopecks");
    QTest::newRow("whole") << QStringLiteral("100") << true << qint64(10000);
    QTest::newRow("point") << QStringLiteral("1.5") << true << qint64(150);
    QTest::newRow("comma") << QStringLiteral("1,50") << true << qint64(150);
    QTest::newRow("three decimals") << QStringLiteral("1.505") << false << qint64(0);
    QTest::newRow("sign") << QStringLiteral("-1") << false << qint64(0);
    QTest::newRow("empty") << QString() << false << qint64(0);
    QTest::newRow("bare point") << QStringLiteral("1.") << false << qint64(0);
    QTest::newRow("letters") << QStringLiteral("1a") << false << qint64(0);
}

void SandboxUnitsTest::money() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(qint64, kopecks);
    qint64 parsed = 0;
    QCOMPARE(Money::parse(text, &parsed), ok);
    if (ok)
        QCOMPARE(parsed, kopecks);
    QCOMPARE(Money::format(9850), QByteArray("98.50"));
    QCOMPARE(Money::format(5), QByteArray("0.05"));
    QCOMPARE(Money::formatShort(5000), QByteArray("50"));
    QCOMPARE(Money::formatShort(5025), QByteArray("50.25"));
}

void SandboxUnitsTest::numbers_data() {
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<bool>("valid");
    QTest::newRow("10 digits") << QByteArray("+1234567890") << true;
    QTest::newRow("15 digits") << QByteArray("+123456789012345") << true;
    QTest::newRow("9 digits") << QByteArray("+123456789") << false;
    QTest::newRow("16 digits") << QByteArray("+1234567890123456") << false;
    QTest::newRow("no plus") << QByteArray("79161234567") << false;
    QTest::newRow("blank inside") << QByteArray("+7916 234567") << false;
    QTest::newRow("plus twice") << QByteArray("++7916123456") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void SandboxUnitsTest::numbers() {
    QFETCH(QByteArray, number);
    QFETCH(bool, valid);
    QCOMPARE(Protocol::isValidNumber(number), valid);
}

void SandboxUnitsTest::senders_data() {
    QTest::addColumn<QByteArray>("sender");
    QTest::addColumn<bool>("valid");
    QTest::newRow("name") << QByteArray("Varnelo") << true;
    QTest::newRow("11 characters with .-_ and blank") << QByteArray("A.b-c_d e 1") << true;
    QTest::newRow("12 letters") << QByteArray("ABCDEFGHIJKL") << false;
    QTest::newRow("15 digits") << QByteArray("123456789012345") << true;
    QTest::newRow("16 digits") << QByteArray("1234567890123456") << false;
    QTest::newRow("12 characters, digits and a letter") << QByteArray("12345678901a") << false;
    QTest::newRow("plus") << QByteArray("+7916") << false;
    QTest::newRow("Cyrillic") << Ansi::fromUnicode(QStringLiteral("Варнело")) << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void SandboxUnitsTest::senders() {
    QFETCH(QByteArray, sender);
    QFETCH(bool, valid);
    QCOMPARE(Protocol::isValidSender(sender), valid);
}

void SandboxUnitsTest::parts_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("partLength");
    QTest::addColumn<int>("parts");
    QTest::newRow("one character") << 1 << 70 << 1;
    QTest::newRow("exactly one part") << 70 << 70 << 1;
    QTest::newRow("one more") << 71 << 70 << 2;
    QTest::newRow("exactly two") << 140 << 70 << 2;
    QTest::newRow("three") << 141 << 70 << 3;
    QTest::newRow("empty still one") << 0 << 70 << 1;
}

void SandboxUnitsTest::parts() {
    QFETCH(int, length);
    QFETCH(int, partLength);
    QFETCH(int, parts);
    QCOMPARE(Protocol::partsFor(length, partLength), parts);
}

void SandboxUnitsTest::statusMovesOn_data() {
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<int>("delayMinutes");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<int>("status");
    // Step 1000 ms, a delay minute 100 ms.
    QTest::newRow("new") << QByteArray("+79161234567") << 0 << qint64(0) << 10;
    QTest::newRow("still sent") << QByteArray("+79161234567") << 0 << qint64(999) << 10;
    QTest::newRow("queued") << QByteArray("+79161234567") << 0 << qint64(1000) << 1;
    QTest::newRow("delivered") << QByteArray("+79161234567") << 0 << qint64(2000) << 11;
    QTest::newRow("ends in 00: failed") << QByteArray("+79161234500") << 0 << qint64(2000) << 2;
    QTest::newRow("ends in 99: expired") << QByteArray("+79161234599") << 0 << qint64(2000) << 12;
    QTest::newRow("delayed: sent during the delay")
        << QByteArray("+79161234567") << 5 << qint64(1400) << 10;
    QTest::newRow("delayed: queued after it")
        << QByteArray("+79161234567") << 5 << qint64(1600) << 1;
    QTest::newRow("delayed: delivered") << QByteArray("+79161234567") << 5 << qint64(2500) << 11;
}

void SandboxUnitsTest::statusMovesOn() {
    QFETCH(QByteArray, number);
    QFETCH(int, delayMinutes);
    QFETCH(qint64, elapsedMs);
    QFETCH(int, status);
    Settings settings;
    settings.statusStepMs = 1000;
    settings.minuteMs = 100;
    Message message;
    message.number = number;
    message.delayMinutes = delayMinutes;
    message.createdMs = 1'000'000;
    QCOMPARE(MessageCommands::statusAt(message, message.createdMs + elapsedMs, settings), status);
    message.statusOverride = 5;
    QCOMPARE(MessageCommands::statusAt(message, message.createdMs + elapsedMs, settings), 5);
}

void SandboxUnitsTest::htmlColour_data() {
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<QString>("html");
    QTest::newRow("text colour") << QByteArray("B1552C") << QStringLiteral("#2C55B1");
    QTest::newRow("background") << QByteArray("CEECD3") << QStringLiteral("#D3ECCE");
    QTest::newRow("lower case") << QByteArray("0000ff") << QStringLiteral("#FF0000");
    QTest::newRow("not hex") << QByteArray("XYZXYZ") << QString();
    QTest::newRow("short") << QByteArray("FFF") << QString();
}

void SandboxUnitsTest::htmlColour() {
    QFETCH(QByteArray, number);
    QFETCH(QString, html);
    QCOMPARE(PaymentPage::htmlColour(number), html);
}

void SandboxUnitsTest::badRequestsGetReadableReplies_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("empty") << QByteArray() << QByteArray("-1");
    QTest::newRow("unknown command") << QByteArray("Zwhatever") << QByteArray("-1");
    QTest::newRow("register, no fields") << QByteArray("1") << QByteArray("ERROR");
    QTest::newRow("register, no e-mail") << QByteArray("1a\x01"
                                                       "b\x01"
                                                       "c\x01"
                                                       "d\x01\x01")
                                         << QByteArray("ERROR");
    QTest::newRow("restore, nothing") << QByteArray("7") << QByteArray();
    QTest::newRow("user info, nothing") << QByteArray("?") << QByteArray("-2");
    QTest::newRow("account data, nothing") << QByteArray("0") << QByteArray("-1");
    QTest::newRow("account data, read, unknown key") << QByteArray("0K\x01\x03") << QByteArray();
    QTest::newRow("send, nothing") << QByteArray("B") << QByteArray("0");
    QTest::newRow("statuses, nothing") << QByteArray("4") << QByteArray();
    QTest::newRow("statuses, not numbers") << QByteArray("4x\x01\xff\x01")
                                           << QByteArray("0\x01"
                                                         "0");
    QTest::newRow("status, nothing") << QByteArray(";") << QByteArray("0");
    QTest::newRow("status, huge id") << QByteArray(";99999999999999999999999") << QByteArray("0");
    QTest::newRow("save contacts, no separator") << QByteArray("=KEY") << QByteArray("-1");
    QTest::newRow("load contacts, nothing") << QByteArray(">") << QByteArray("-1");
    QTest::newRow("voucher, nothing") << QByteArray(",") << QByteArray("0");
    QTest::newRow("voucher, redeem, unknown key")
        << QByteArray(",K\x01\x04\x01S") << QByteArray("-3");
}

void SandboxUnitsTest::badRequestsGetReadableReplies() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    SandboxContext context(Settings{}, QStringLiteral(":memory:"));
    QVERIFY(context.isOpen());
    QCOMPARE(Dispatcher::handle(context, request).reply, reply);
}

QTEST_GUILESS_MAIN(SandboxUnitsTest)
#include "SandboxUnitsTest.moc"
