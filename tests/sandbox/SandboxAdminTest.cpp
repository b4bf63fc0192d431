#include "SandboxProcess.h"
#include "SandboxRequests.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpSocket>
#include <QTest>

using namespace Requests;

// The admin interface: accounts, settings, statuses, failures on demand, the request log.
class SandboxAdminTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void refusedUnlessFromLoopbackAddress();
    void postsWithoutLengthHaveNoBody();
    void createsAndChangesAccounts();
    void refusesBadAccountFields_data();
    void refusesBadAccountFields();
    void listsMessages();
    void settingsAreValidated();
    void resetRestoresStart();
    void refusalList();
    void faultHttp500();
    void faultClose();
    void faultCloseSeenByQt();
    void faultDelay();
    void faultGarbage();
    void faultReply();
    void logShowsDecodedRequests();
    void unknownCalls();

private:
    // Writes `request` on a connection made from the address `from`; the reply as read.
    QByteArray rawExchange(const char* from, const QByteArray& request);

    SandboxProcess m_sandbox;
};

void SandboxAdminTest::initTestCase() {
    QVERIFY2(m_sandbox.start({QStringLiteral("--listen"), QStringLiteral("0.0.0.0:0")}),
             qPrintable(m_sandbox.errorString()));
}

void SandboxAdminTest::init() {
    QVERIFY(m_sandbox.reset());
}

QByteArray SandboxAdminTest::rawExchange(const char* from, const QByteArray& request) {
    QTcpSocket socket;
    if (!socket.bind(QHostAddress(QString::fromLatin1(from))))
        return "bind failed";
    socket.connectToHost(QHostAddress::LocalHost, m_sandbox.port());
    if (!socket.waitForConnected(5000))
        return "connect failed";
    socket.write(request);
    QByteArray reply;
    while (socket.waitForReadyRead(5000))
        reply += socket.readAll();
    return reply;
}

void SandboxAdminTest::refusedUnlessFromLoopbackAddress() {
    const auto get = [this](const char* from, const QByteArray& path) {
        return rawExchange(from,
                           "GET " + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    };
    // 127.0.0.2 is this machine too, but not the one caller the admin interface trusts.
    const QByteArray refused = get("127.0.0.2", "/admin/state");
    QVERIFY2(refused.startsWith("HTTP/1.1 403"), refused.constData());
    QVERIFY(get("127.0.0.2", "/howpay.php").startsWith("HTTP/1.1 200"));
    QVERIFY(get("127.0.0.1", "/admin/state").startsWith("HTTP/1.1 200"));
}

void SandboxAdminTest::postsWithoutLengthHaveNoBody() {
    const QByteArray reset = rawExchange(
        "127.0.0.1", "POST /admin/reset HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    QVERIFY2(reset.startsWith("HTTP/1.1 200") && reset.endsWith(R"({"ok":true})"),
             reset.constData());
    const QByteArray request =
        rawExchange("127.0.0.1", "POST / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    QVERIFY2(request.startsWith("HTTP/1.1 200") && request.endsWith("\r\n\r\n-1"),
             request.constData());
}

void SandboxAdminTest::createsAndChangesAccounts() {
    const QString key(48, QLatin1Char('E'));
    int status = 0;
    const QJsonObject created = m_sandbox.admin("POST", QStringLiteral("/admin/accounts"),
                                                {{"key", key.toLower()},
                                                 {"email", "a@b.c"},
                                                 {"name", QStringLiteral("Оля")},
                                                 {"balance", 7.25},
                                                 {"activated", false},
                                                 {"icq1", "111"}},
                                                &status);
    QCOMPARE(status, 201);
    QCOMPARE(created.value("key").toString(), key);
    QCOMPARE(created.value("balance").toString(), QStringLiteral("7.25"));
    QCOMPARE(created.value("activated").toBool(), false);
    QCOMPARE(created.value("serverContacts").toBool(), true);
    QVERIFY(created.value("contacts").isNull());
    QCOMPARE(m_sandbox.ask(getUserInfo(key.toLatin1())), QByteArray("-1"));

    QVERIFY(
        m_sandbox.changeAccount(key, {{"activated", true}, {"balance", "3"}, {"notice", "Hi"}}));
    const QJsonObject changed = m_sandbox.account(key);
    QCOMPARE(changed.value("balance").toString(), QStringLiteral("3.00"));
    QCOMPARE(changed.value("noticePendingForSend").toBool(), true);
    QCOMPARE(changed.value("noticePendingForInfo").toBool(), true);
    QVERIFY(m_sandbox.changeAccount(key, {{"notice", ""}}));
    QCOMPARE(m_sandbox.account(key).value("noticePendingForInfo").toBool(), false);
    QCOMPARE(lines(m_sandbox.ask(getUserInfo(key.toLatin1()))).value(0), QByteArray("3.00"));

    m_sandbox.admin("POST", QStringLiteral("/admin/accounts"), {{"email", "A@B.C"}}, &status);
    QCOMPARE(status, 409);
    m_sandbox.admin("POST", QStringLiteral("/admin/accounts"), {{"key", key}}, &status);
    QCOMPARE(status, 409);
    m_sandbox.admin("GET", QStringLiteral("/admin/accounts/") + QString(48, QLatin1Char('0')), {},
                    &status);
    QCOMPARE(status, 404);

    // Accounts without e-mail do not collide with each other.
    QVERIFY(!m_sandbox.createAccount().isEmpty());
    QVERIFY(!m_sandbox.createAccount().isEmpty());
    QCOMPARE(m_sandbox.admin("GET", QStringLiteral("/admin/accounts"))
                 .value("accounts")
                 .toArray()
                 .size(),
             3);
}

void SandboxAdminTest::refusesBadAccountFields_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("balance words") << QByteArray(R"({"balance":"lots"})");
    QTest::newRow("negative balance") << QByteArray(R"({"balance":-1})");
    QTest::newRow("activated as text") << QByteArray(R"({"activated":"yes"})");
    QTest::newRow("short key") << QByteArray(R"({"key":"ABC"})");
    QTest::newRow("notice as number") << QByteArray(R"({"notice":5})");
}

void SandboxAdminTest::refusesBadAccountFields() {
    QFETCH(QByteArray, json);
    int status = 0;
    m_sandbox.admin("POST", QStringLiteral("/admin/accounts"),
                    QJsonDocument::fromJson(json).object(), &status);
    QCOMPARE(status, 400);
    QCOMPARE(m_sandbox.admin("GET", QStringLiteral("/admin/accounts"))
                 .value("accounts")
                 .toArray()
                 .size(),
             0);
}

void SandboxAdminTest::listsMessages() {
    const QByteArray a = m_sandbox.createAccount().toLatin1();
    const QByteArray b = m_sandbox.createAccount().toLatin1();
    const QByteArray first = m_sandbox.ask(sendSms(a, "one", "+79161234567"));
    m_sandbox.ask(sendSms(b, "two", "+79161234568"));
    const QByteArray third = m_sandbox.ask(sendSms(a, "three", "+79161234569", "Shop", 15));
    const QJsonArray ofA =
        m_sandbox.admin("GET", QStringLiteral("/admin/messages?key=") + QString::fromLatin1(a))
            .value("messages")
            .toArray();
    QCOMPARE(ofA.size(), 2);
    QCOMPARE(ofA[1].toObject().value("id").toInteger(), third.toLongLong());
    QCOMPARE(ofA[1].toObject().value("sender").toString(), QStringLiteral("Shop"));
    QCOMPARE(ofA[1].toObject().value("delay").toInt(), 15);
    QCOMPARE(ofA[1].toObject().value("price").toString(), QStringLiteral("1.50"));
    QCOMPARE(ofA[1].toObject().value("status").toInt(), 10);
    const QJsonArray after =
        m_sandbox
            .admin("GET", QStringLiteral("/admin/messages?after=") + QString::fromLatin1(first))
            .value("messages")
            .toArray();
    QCOMPARE(after.size(), 2);

    int status = 0;
    m_sandbox.admin("POST", QStringLiteral("/admin/messages/") + QString::fromLatin1(first),
                    {{"status", 300}}, &status);
    QCOMPARE(status, 400);
    m_sandbox.admin("POST", QStringLiteral("/admin/messages/999999"), {{"status", 11}}, &status);
    QCOMPARE(status, 404);
    QVERIFY(m_sandbox.setMessageStatus(first.toLongLong(), 12));
    QCOMPARE(m_sandbox.admin("GET", QStringLiteral("/admin/messages/") + QString::fromLatin1(first))
                 .value("status")
                 .toInt(),
             12);
}

void SandboxAdminTest::settingsAreValidated() {
    int status = 0;
    m_sandbox.admin("POST", QStringLiteral("/admin/settings"), {{"partLength", 0}}, &status);
    QCOMPARE(status, 400);
    m_sandbox.admin("POST", QStringLiteral("/admin/settings"), {{"smsPrice", "x"}}, &status);
    QCOMPARE(status, 400);
    const QJsonObject settings = m_sandbox.admin("POST", QStringLiteral("/admin/settings"),
                                                 {{"startBalance", "5"}}, &status);
    QCOMPARE(status, 200);
    QCOMPARE(settings.value("startBalance").toString(), QStringLiteral("5.00"));
    QCOMPARE(settings.value("partLength").toInt(), 70);
    QCOMPARE(m_sandbox.account(m_sandbox.createAccount()).value("balance").toString(),
             QStringLiteral("5.00"));
}

void SandboxAdminTest::resetRestoresStart() {
    const QString key = m_sandbox.createAccount();
    QVERIFY(m_sandbox.changeSettings({{"smsPrice", "9.99"}}));
    QVERIFY(m_sandbox.failNext(3, QStringLiteral("http500")));
    QVERIFY(m_sandbox.reset());
    int status = 0;
    m_sandbox.admin("GET", QStringLiteral("/admin/accounts/") + key, {}, &status);
    QCOMPARE(status, 404);
    const QJsonObject state = m_sandbox.admin("GET", QStringLiteral("/admin/state"));
    QCOMPARE(state.value("settings").toObject().value("smsPrice").toString(),
             QStringLiteral("1.50"));
    QCOMPARE(state.value("faults").toObject().value("remaining").toInt(), 0);
    QCOMPARE(m_sandbox.log().size(), 0);
}

void SandboxAdminTest::refusalList() {
    int status = 0;
    m_sandbox.admin("POST", QStringLiteral("/admin/refusals"), {{"number", "+79160000002"}},
                    &status);
    QCOMPARE(status, 200);
    const QByteArray key = m_sandbox.createAccount().toLatin1();
    QCOMPARE(m_sandbox.ask(sendSms(key, "x", "+79160000002")), QByteArray("-3"));
    const QJsonObject list = m_sandbox.admin("DELETE", QStringLiteral("/admin/refusals"),
                                             {{"number", "+79160000002"}}, &status);
    QCOMPARE(list.value("numbers").toArray().size(), 0);
    QVERIFY(m_sandbox.ask(sendSms(key, "x", "+79160000002")).toLongLong() > 0);
}

void SandboxAdminTest::faultHttp500() {
    const QByteArray key = m_sandbox.createAccount().toLatin1();
    QVERIFY(m_sandbox.failNext(2, QStringLiteral("http500")));
    QCOMPARE(m_sandbox.request(sendSms(key, "x", "+79161234567")).status, 500);
    QCOMPARE(m_sandbox.request(getUserInfo(key)).status, 500);
    QCOMPARE(m_sandbox.request(getUserInfo(key)).status, 200);
    // The failed send took no money.
    QCOMPARE(m_sandbox.account(QString::fromLatin1(key)).value("balance").toString(),
             QStringLiteral("100.00"));
    // Admin calls are never failed.
    QVERIFY(m_sandbox.failNext(1, QStringLiteral("http500")));
    QCOMPARE(m_sandbox.admin("GET", QStringLiteral("/admin/faults")).value("remaining").toInt(), 1);
}

void SandboxAdminTest::faultClose() {
    const QByteArray key = m_sandbox.createAccount().toLatin1();
    QVERIFY(m_sandbox.failNext(1, QStringLiteral("close")));
    const SandboxProcess::HttpReply closed = m_sandbox.request(getUserInfo(key));
    QCOMPARE(closed.status, 0);
    QVERIFY(!closed.error.isEmpty());
    QCOMPARE(m_sandbox.request(getUserInfo(key)).status, 200);
    QCOMPARE(m_sandbox.log().last().toObject().value("fault").toString(), QString());
    QCOMPARE(m_sandbox.log().first().toObject().value("fault").toString(), QStringLiteral("close"));
}

void SandboxAdminTest::faultCloseSeenByQt() {
    // Qt Network sends a request once more when its connection closed before any reply byte,
    // so a Qt client sees the failure only when two closes are armed.
    QVERIFY(m_sandbox.failNext(2, QStringLiteral("close")));
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(m_sandbox.baseUrl() + QStringLiteral("/")));
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArray("application/x-www-form-urlencoded"));
    QNetworkReply* reply =
        manager.post(request, SandboxProcess::formBody(getUserInfo(QByteArray(48, 'A'))));
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    QCOMPARE(reply->error(), QNetworkReply::RemoteHostClosedError);
    QVERIFY(reply->readAll().isEmpty());
    delete reply;
    QCOMPARE(m_sandbox.log().size(), 2);
    QCOMPARE(m_sandbox.admin("GET", QStringLiteral("/admin/faults")).value("remaining").toInt(), 0);
}

void SandboxAdminTest::faultDelay() {
    const QByteArray key = m_sandbox.createAccount().toLatin1();
    QVERIFY(m_sandbox.failNext(1, QStringLiteral("delay"), 400));
    QElapsedTimer timer;
    timer.start();
    const SandboxProcess::HttpReply slow = m_sandbox.request(getUserInfo(key));
    QVERIFY(timer.elapsed() >= 400);
    QCOMPARE(lines(slow.body).value(0), QByteArray("100.00"));
    // A client that gives up earlier sees a time-out.
    QVERIFY(m_sandbox.failNext(1, QStringLiteral("delay"), 1500));
    const SandboxProcess::HttpReply timedOut =
        m_sandbox.request(getUserInfo(key), SandboxProcess::Transport::Form, 300);
    QVERIFY(!timedOut.error.isEmpty());
}

void SandboxAdminTest::faultGarbage() {
    const QByteArray key = m_sandbox.createAccount().toLatin1();
    QVERIFY(m_sandbox.failNext(1, QStringLiteral("garbage")));
    const SandboxProcess::HttpReply garbage = m_sandbox.request(getUserInfo(key));
    QCOMPARE(garbage.status, 200);
    QVERIFY(!garbage.body.isEmpty());
    QVERIFY(lines(garbage.body).size() < 5);
    bool number = false;
    garbage.body.toDouble(&number);
    QVERIFY(!number);
    int status = 0;
    m_sandbox.admin("POST", QStringLiteral("/admin/faults"), {{"mode", "explode"}}, &status);
    QCOMPARE(status, 400);
}

void SandboxAdminTest::faultReply() {
    const QByteArray key = m_sandbox.createAccount().toLatin1();
    int status = 0;
    m_sandbox.admin("POST", QStringLiteral("/admin/faults"),
                    {{"mode", "reply"}, {"reply", "\u0001\u0001\u0001Ответ"}, {"count", 2}},
                    &status);
    QCOMPARE(status, 200);
    for (int i = 0; i < 2; ++i) {
        const SandboxProcess::HttpReply forced = m_sandbox.request(getUserInfo(key));
        QCOMPARE(forced.status, 200);
        QCOMPARE(forced.body, QByteArray("\x01\x01\x01\xce\xf2\xe2\xe5\xf2"));
    }
    QCOMPARE(m_sandbox.log().last().toObject().value("fault").toString(), QStringLiteral("reply"));
    // Spent: the service answers for itself again.
    QVERIFY(m_sandbox.request(getUserInfo(key)).body !=
            QByteArray("\x01\x01\x01\xce\xf2\xe2\xe5\xf2"));
}

void SandboxAdminTest::logShowsDecodedRequests() {
    const QByteArray key = m_sandbox.createAccount().toLatin1();
    m_sandbox.ask(sendSms(key, cp1251(QStringLiteral("Привет")), "+79161234567"));
    const QJsonArray first = m_sandbox.log();
    QCOMPARE(first.size(), 1);
    const QJsonObject entry = first[0].toObject();
    QCOMPARE(entry.value("command").toString(), QStringLiteral("SendSms"));
    QCOMPARE(entry.value("remote").toString(), QStringLiteral("127.0.0.1"));
    QCOMPARE(entry.value("httpStatus").toInt(), 200);
    const QJsonObject request = entry.value("request").toObject();
    QVERIFY(request.value("text").toString().startsWith(
        QStringLiteral("B") + QString::fromLatin1(key) + QChar(1) + QStringLiteral("Привет")));
    QVERIFY(request.value("hex").toString().startsWith(
        QString::fromLatin1(("B" + key.left(2)).toHex(' '))));
    QVERIFY(request.value("hex").toString().contains(QStringLiteral("01 cf f0 e8 e2 e5 f2 01")));
    QCOMPARE(entry.value("reply").toObject().value("text").toString(), QStringLiteral("1"));
    QCOMPARE(entry.value("body").toString(),
             QString::fromLatin1(SandboxProcess::formBody(
                 sendSms(key, cp1251(QStringLiteral("Привет")), "+79161234567"))));

    const qint64 sequence = entry.value("sequence").toInteger();
    m_sandbox.ask(getUserInfo(key));
    const QJsonArray later = m_sandbox.log(sequence);
    QCOMPARE(later.size(), 1);
    QCOMPARE(later[0].toObject().value("command").toString(), QStringLiteral("GetUserInfo"));

    int status = 0;
    m_sandbox.admin("DELETE", QStringLiteral("/admin/log"), {}, &status);
    QCOMPARE(status, 200);
    QCOMPARE(m_sandbox.log().size(), 0);
}

void SandboxAdminTest::unknownCalls() {
    // A body that is JSON but no object.
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(m_sandbox.baseUrl() + QStringLiteral("/admin/accounts")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
    QNetworkReply* reply = manager.post(request, QByteArray("[1,2]"));
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 400);
    delete reply;

    int status = 0;
    m_sandbox.admin("GET", QStringLiteral("/admin/nothing"), {}, &status);
    QCOMPARE(status, 404);
    m_sandbox.admin("DELETE", QStringLiteral("/admin/accounts"), {}, &status);
    QCOMPARE(status, 404);
    m_sandbox.admin("GET", QStringLiteral("/admin/reset"), {}, &status);
    QCOMPARE(status, 404);
}

QTEST_GUILESS_MAIN(SandboxAdminTest)
#include "SandboxAdminTest.moc"
