#include "FakeHttpServer.h"
#include "ServiceFixture.h"
#include "TestProfile.h"
#include "TinyProxy.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"
#include "service/HttpExchange.h"
#include "service/ServerRequest.h"
#include "service/ServiceClient.h"
#include "service/ServiceError.h"
#include "shared/Settings.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <functional>
#include <optional>
#include <thread>

namespace {

using Mode = FakeHttpServer::Behaviour::Mode;
using Kind = ServiceError::Kind;

// The failure a request ended with, or nothing when it returned a reply.
std::optional<Kind> failureOf(const std::function<void()>& request) {
    try {
        request();
    } catch (const ServiceError& error) {
        return error.kind();
    }
    return std::nullopt;
}

QByteArray decoded(const FakeHttpServer::Request& request) {
    return QByteArray::fromBase64(QByteArray::fromPercentEncoding(request.body));
}

} // namespace

class TransportTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    ServiceFixture m_fixture{m_profile.root()};
    FakeHttpServer m_server;

    Settings settings() const { return m_fixture.settings(); }
    const ServiceClient& client() const { return m_fixture.client(); }
    // The service's address as the store holds it.
    void setAddress(const QString& host, int port) {
        settings().set(Setting::Host, host);
        settings().set(Setting::Port, port);
    }

private slots:
    void init() {
        m_server.clear();
        m_fixture.reset(m_server.port());
        qunsetenv("http_proxy");
        qunsetenv("HTTP_PROXY");
    }

    void directPathPostsFormLine_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QByteArray>("body");
        // Request lengths 1, 2 and 3 bytes give Base64 texts ending in "==", "=" and nothing.
        QTest::newRow("ends in ==") << QStringLiteral("?") << QByteArray("Pw=%3D");
        QTest::newRow("ends in =") << QStringLiteral("??") << QByteArray("Pz8=");
        QTest::newRow("no =") << QStringLiteral("???") << QByteArray("Pz8/");
        QTest::newRow("+ and / stay") << QStringLiteral("\u044f\u043e\u044f") << QByteArray("/+7/");
    }
    void directPathPostsFormLine() {
        QFETCH(QString, request);
        QFETCH(QByteArray, body);
        m_server.setDefault(FakeHttpServer::reply("OK"));
        QCOMPARE(client().ServerRequest(request, 0), QStringLiteral("OK"));
        const auto received = m_server.requests();
        QCOMPARE(received.size(), 1);
        QCOMPARE(received[0].method, QByteArray("POST"));
        QCOMPARE(received[0].path, QByteArray("/"));
        QCOMPARE(received[0].headers.value("content-type"),
                 QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(received[0].body, body);
        QCOMPARE(decoded(received[0]), Ansi::fromUnicode(request));
        QVERIFY(!received[0].headers.contains("charset"));
        QCOMPARE(received[0].headers.value("accept-encoding"), QByteArray("identity"));
    }

    void requestTextIsCodePage1251() {
        m_server.setDefault(FakeHttpServer::reply("OK"));
        const QString request = QStringLiteral("B\x01Привет, мир ё\x01+7916");
        client().ServerRequest(request, 0);
        QCOMPARE(decoded(m_server.requests().value(0)),
                 QByteArray("B\x01\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0 \xb8\x01+7916"));
    }

    void directReplyIsTheBodyByteForByte() {
        const QByteArray body("\r\n\x01\x01\x01<b>%13%\xc4\xe0\x00\x05", 17);
        m_server.setDefault(FakeHttpServer::reply(body));
        QCOMPARE(client().ServerRequest(QStringLiteral("?"), 0), Ansi::toUnicode(body));
    }

    void systemPathPostsRawBodyAndBrowserHeaders() {
        settings().set(Setting::UseIESettings, true);
        m_server.setDefault(FakeHttpServer::reply("<html><body>\r\n OK%13%2</body></html>"));
        QCOMPARE(client().ServerRequest(QStringLiteral("?"), 0), QStringLiteral(" OK\r\n2"));
        const auto received = m_server.requests();
        QCOMPARE(received.size(), 1);
        QCOMPARE(received[0].body, QByteArray("Pw=="));
        QCOMPARE(received[0].headers.value("content-type"),
                 QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(received[0].headers.value("charset"), QByteArray("windows-1251"));
        QCOMPARE(received[0].headers.value("user-agent"), QByteArray("Varnelo"));
    }

    void systemPathKeepsNoticeMark() {
        settings().set(Setting::UseIESettings, true);
        m_server.setDefault(FakeHttpServer::reply("<p>\x01\x01\x01Внимание!%13%Текст</p>"));
        QCOMPARE(client().ServerRequest(QStringLiteral("?"), 0),
                 Ansi::toUnicode("\x01\x01\x01Внимание!\r\nТекст"));
    }

    void missingSettingsFail_data() {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<bool>("useProxy");
        QTest::addColumn<bool>("fails");
        QTest::newRow("UseIESettings") << "UseIESettings" << false << true;
        QTest::newRow("UseProxy") << "UseProxy" << false << true;
        QTest::newRow("ProxyPort while the proxy is off") << "ProxyPort" << false << false;
        QTest::newRow("ProxyAuthentication while the proxy is off")
            << "ProxyAuthentication" << false << false;
        QTest::newRow("ProxyPort") << "ProxyPort" << true << true;
        QTest::newRow("ProxyAuthentication") << "ProxyAuthentication" << true << true;
        QTest::newRow("ProxyServer reads as empty") << "ProxyServer" << true << false;
        QTest::newRow("ProxyUserName reads as empty") << "ProxyUserName" << true << false;
    }
    void missingSettingsFail() {
        QFETCH(QString, missing);
        QFETCH(bool, useProxy);
        QFETCH(bool, fails);
        m_server.setDefault(FakeHttpServer::reply("OK"));
        settings().set(Setting::UseProxy, useProxy);
        settings().set(Setting::ProxyServer, QString()); // an empty server: no proxy after all
        m_fixture.registry().deleteValue(QString(), missing);
        const auto failure = failureOf([this] { client().ServerRequest(QStringLiteral("?"), 0); });
        QCOMPARE(failure.has_value(), fails);
        if (fails)
            QCOMPARE(*failure, Kind::Settings);
    }

    void mistypedBooleanFails() {
        m_fixture.registry().writeString(QString(), QStringLiteral("UseIESettings"),
                                         QStringLiteral("0"));
        QCOMPARE(failureOf([this] { client().ServerRequest(QStringLiteral("?"), 0); }),
                 Kind::Settings);
        QVERIFY(m_server.requests().isEmpty());
    }

    void failuresOfThePeer_data() {
        QTest::addColumn<FakeHttpServer::Behaviour>("behaviour");
        QTest::addColumn<int>("kind");
        QTest::newRow("500") << FakeHttpServer::reply("oops", 500) << int(Kind::HttpStatus);
        QTest::newRow("404") << FakeHttpServer::reply("", 404) << int(Kind::HttpStatus);
        QTest::newRow("redirect is not followed")
            << FakeHttpServer::reply("", 302) << int(Kind::HttpStatus);
        QTest::newRow("closes mid-reply")
            << FakeHttpServer::Behaviour{Mode::CloseMidReply, 200, "half", 0, 0, 0}
            << int(Kind::Connection);
        QTest::newRow("50 MB of garbage")
            << FakeHttpServer::of(Mode::Garbage, 50LL * 1024 * 1024) << int(Kind::Connection);
        QTest::newRow("50 MB body") << FakeHttpServer::of(Mode::EndlessBody, 50LL * 1024 * 1024)
                                    << int(Kind::ReplyTooLarge);
    }
    void failuresOfThePeer() {
        QFETCH(FakeHttpServer::Behaviour, behaviour);
        QFETCH(int, kind);
        m_server.setDefault(behaviour);
        for (const bool systemPath : {false, true}) {
            settings().set(Setting::UseIESettings, systemPath);
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(failureOf([this] { client().ServerRequest(QStringLiteral("?"), 10000); }),
                     Kind(kind));
            QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        }
    }

    void droppedConnectionIsNeverPostedAgain() {
        // The server may have acted on the request before it went away: a send posted a
        // second time would be sent twice.
        m_server.setDefault(FakeHttpServer::of(Mode::Drop));
        for (const bool systemPath : {false, true}) {
            settings().set(Setting::UseIESettings, systemPath);
            QCOMPARE(failureOf([this] { client().ServerRequest(QStringLiteral("B"), 0); }),
                     Kind::Connection);
        }
        QCOMPARE(m_server.requests().size(), 2);
    }

    void replyJustUnderTheLimitArrives() {
        // With a length, so that how the peer closes the connection cannot cut the body.
        m_server.setDefault(FakeHttpServer::reply(QByteArray(HttpExchange::kMaxReplyBytes, '7')));
        QCOMPARE(client().ServerRequest(QStringLiteral("?"), 0).size(),
                 HttpExchange::kMaxReplyBytes);
    }

    void refusedConnection() {
        quint16 closedPort = 0;
        {
            FakeHttpServer gone;
            closedPort = gone.port();
        }
        setAddress(QStringLiteral("127.0.0.1"), closedPort);
        QCOMPARE(failureOf([this] { client().ServerRequest(QStringLiteral("?"), 0); }),
                 Kind::Connection);
    }

    void invalidAddress_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("empty host") << "" << 3000;
        QTest::newRow("port 0") << "127.0.0.1" << 0;
        QTest::newRow("port above 65535") << "127.0.0.1" << 70000;
        QTest::newRow("unknown host") << "no-such-host.invalid" << 3000;
    }
    void invalidAddress() {
        QFETCH(QString, host);
        QFETCH(int, port);
        setAddress(host, port);
        QCOMPARE(failureOf([this] { client().ServerRequest(QStringLiteral("?"), 0); }),
                 Kind::Connection);
    }

    void readTimeOut() {
        m_server.setDefault(FakeHttpServer::of(Mode::Silent));
        for (const bool systemPath : {false, true}) {
            settings().set(Setting::UseIESettings, systemPath);
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(failureOf([this] { client().ServerRequest(QStringLiteral("?"), 300); }),
                     Kind::Timeout);
            QVERIFY(clock.elapsed() >= 250);
            QVERIFY(clock.elapsed() < 3000);
        }
    }

    void readTimeOutIsAboutSilence() {
        // One byte every 100 ms keeps a 400 ms read time-out from firing; the cap ends it.
        m_server.setDefault(FakeHttpServer::of(Mode::Trickle, 0, 100));
        m_fixture.client().setLimits({1500, 60000});
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(failureOf([this] { client().ServerRequest(QStringLiteral("?"), 400); }),
                 Kind::Timeout);
        QVERIFY2(clock.elapsed() >= 1400, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(clock.elapsed() < 5000);
    }

    void overallCapWithoutReadTimeOut() {
        m_server.setDefault(FakeHttpServer::of(Mode::Silent));
        m_fixture.client().setLimits({500, 60000});
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(failureOf([this] { client().ServerRequest(QStringLiteral("?"), 0); }),
                 Kind::Timeout);
        QVERIFY(clock.elapsed() >= 450);
        QVERIFY(clock.elapsed() < 3000);
    }

    void systemPathHasItsOwnCap() {
        settings().set(Setting::UseIESettings, true);
        m_server.setDefault(FakeHttpServer::of(Mode::Silent));
        m_fixture.client().setLimits({120000, 400});
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(failureOf([this] { client().ServerRequest(QStringLiteral("?"), 0); }),
                 Kind::Timeout);
        QVERIFY(clock.elapsed() < 3000);
    }

    void uncappedRequestWaitsPastTheCap() {
        m_server.setDefault(FakeHttpServer::reply("42", 200, 800));
        m_fixture.client().setLimits({200, 200});
        RequestOptions options;
        options.overallCapMs = 0;
        for (const bool systemPath : {false, true}) {
            settings().set(Setting::UseIESettings, systemPath);
            QCOMPARE(client().ServerRequest(QStringLiteral("B"), options), QStringLiteral("42"));
        }
        QCOMPARE(failureOf([this] { client().ServerRequest(QStringLiteral("?"), 0); }),
                 Kind::Timeout);
    }

    void stopsWhenItsThreadIsInterrupted() {
        m_server.setDefault(FakeHttpServer::of(Mode::Silent));
        std::optional<Kind> failure;
        QThread* worker = QThread::create([this, &failure] {
            failure = failureOf([this] { client().ServerRequest(QStringLiteral("?"), 0); });
        });
        worker->start();
        QTRY_COMPARE(m_server.requests().size(), 1);
        QElapsedTimer clock;
        clock.start();
        worker->requestInterruption();
        QVERIFY(worker->wait(3000));
        QVERIFY(clock.elapsed() < 1000);
        QCOMPARE(failure, Kind::Cancelled);
        delete worker;
    }

    void runsOnThreadsQtDidNotStart() {
        m_server.setDefault(FakeHttpServer::reply("OK"));
        QString replies[3];
        std::thread threads[3];
        for (int i = 0; i < 3; ++i)
            threads[i] = std::thread(
                [this, &replies, i] { replies[i] = client().ServerRequest("?", 5000); });
        for (auto& thread : threads)
            thread.join();
        for (const QString& reply : replies)
            QCOMPARE(reply, QStringLiteral("OK"));
        QCOMPARE(m_server.requests().size(), 3);
    }

    void proxyWithoutAuthentication() {
        TinyProxy proxy;
        QVERIFY2(proxy.start(), qPrintable(proxy.errorString()));
        m_server.setDefault(FakeHttpServer::reply("OK"));
        useProxy(proxy.port(), false);
        QCOMPARE(client().ServerRequest(QStringLiteral("?"), 5000), QStringLiteral("OK"));
        QVERIFY(viaProxy());
    }

    void proxyWithBasicAuthentication_data() {
        QTest::addColumn<bool>("authenticate");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("passes");
        QTest::newRow("right credentials") << true << "alice"
                                           << "s3cret пароль" << true;
        QTest::newRow("authentication off") << false << "alice"
                                            << "s3cret пароль" << false;
        QTest::newRow("wrong password") << true << "alice"
                                        << "wrong" << false;
        QTest::newRow("wrong user") << true << "bob"
                                    << "s3cret пароль" << false;
    }
    void proxyWithBasicAuthentication() {
        QFETCH(bool, authenticate);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, passes);
        TinyProxy proxy;
        QVERIFY2(proxy.start(QStringLiteral("alice"), QStringLiteral("s3cret")),
                 qPrintable(proxy.errorString()));
        m_server.setDefault(FakeHttpServer::reply("OK"));
        useProxy(proxy.port(), authenticate);
        settings().set(Setting::ProxyUserName, user);
        // Stored enciphered, read deciphered; only the part before the blank is right.
        settings().setProxyPassword(password.section(QLatin1Char(' '), 0, 0));
        QElapsedTimer clock;
        clock.start();
        const auto failure =
            failureOf([this] { client().ServerRequest(QStringLiteral("?"), 5000); });
        QCOMPARE(!failure.has_value(), passes);
        QCOMPARE(m_server.requests().size(), passes ? 1 : 0);
        QVERIFY(clock.elapsed() < 5000);
        if (passes)
            QVERIFY(viaProxy());
    }

    void proxyValuesUnreadWhileProxyIsOff() {
        settings().set(Setting::UseProxy, false);
        settings().set(Setting::ProxyServer, QStringLiteral("127.0.0.1"));
        settings().set(Setting::ProxyPort, 1); // nothing listens there
        m_server.setDefault(FakeHttpServer::reply("OK"));
        QCOMPARE(client().ServerRequest(QStringLiteral("?"), 0), QStringLiteral("OK"));
    }

    void systemPathUsesTheDesktopProxy() {
        TinyProxy proxy;
        QVERIFY2(proxy.start(), qPrintable(proxy.errorString()));
        settings().set(Setting::UseIESettings, true);
        // The program's own proxy settings play no part on this path.
        settings().set(Setting::UseProxy, true);
        settings().set(Setting::ProxyServer, QStringLiteral("127.0.0.1"));
        settings().set(Setting::ProxyPort, 1);
        qputenv("http_proxy", QByteArray("http://127.0.0.1:") + QByteArray::number(proxy.port()));
        m_server.setDefault(FakeHttpServer::reply("<b>OK</b>"));
        QCOMPARE(client().ServerRequest(QStringLiteral("?"), 5000), QStringLiteral("OK"));
        QVERIFY(viaProxy());
        qunsetenv("http_proxy");
    }

private:
    void useProxy(quint16 port, bool authenticate) {
        settings().set(Setting::UseProxy, true);
        settings().set(Setting::ProxyServer, QStringLiteral("127.0.0.1"));
        settings().set(Setting::ProxyPort, port);
        settings().set(Setting::ProxyAuthentication, authenticate);
    }

    bool viaProxy() const {
        const auto received = m_server.requests();
        return !received.isEmpty() &&
               received.last().headers.value("via").contains(QByteArray("tinyproxy"));
    }
};

QTEST_GUILESS_MAIN(TransportTest)
#include "TransportTest.moc"
