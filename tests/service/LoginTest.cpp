#include "FakeHttpServer.h"
#include "ServiceFixture.h"
#include "TestProfile.h"
#include "ThreadState.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"
#include "service/BlockingHandoff.h"
#include "service/LoginRoutine.h"
#include "service/ServiceClient.h"
#include "service/TGetUserInfoThread.h"
#include "shared/Settings.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QSemaphore>
#include <QTest>

#include <atomic>

namespace {

using Mode = FakeHttpServer::Behaviour::Mode;

const QString kKey = QStringLiteral("0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF");
const QString kConnecting = QStringLiteral("status Подключение...");
const QString kCheck = QStringLiteral("status Ошибка. Проверьте настройки.");
const QString kCheckBalloon =
    QStringLiteral("balloon error 10000 Varnelo Ошибка. Проверьте настройки.");
const QString kRetry = QStringLiteral("ConnectTimeOutTimer");
const QString kSoundOk = QStringLiteral("sound OK");
const QString kSoundErr = QStringLiteral("sound ERR");
const QString kHidden = QStringLiteral("ServerContacts hidden");

QByteArray info(const QByteArray& balance, const QByteArray& price = "2.5") {
    return balance + "\x01" + price +
           "\x01"
           "0.5\x01"
           "70\x01"
           "160\x01"
           "0\x01"
           "0\x01 ";
}

} // namespace

class LoginTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    ServiceFixture m_fixture{m_profile.root()};
    FakeHttpServer m_server;
    QString m_okSound = m_profile.root() + QStringLiteral("/connect-ok.wav");
    QString m_errSound = m_profile.root() + QStringLiteral("/connect-err.wav");

    // The recorded calls with the sound paths named by their setting.
    QStringList calls() const {
        QStringList recorded = m_fixture.record().calls();
        recorded.replaceInStrings(m_okSound, QStringLiteral("OK"));
        recorded.replaceInStrings(m_errSound, QStringLiteral("ERR"));
        return recorded;
    }

private slots:
    void initTestCase() {
        for (const QString& path : {m_okSound, m_errSound}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("RIFF");
        }
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }

    void init() {
        m_server.clear();
        m_fixture.reset(m_server.port());
        m_fixture.settings().set(Setting::SoundConnectOK, m_okSound);
        m_fixture.settings().set(Setting::SoundConnectErr, m_errSound);
        m_fixture.client().setUserKey(kKey);
    }

    void outcomes_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("showBalance"); // -1: missing
        QTest::addColumn<bool>("failedBefore");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("failedAfter");

        const QString balance = QStringLiteral("12,50\u00a0₽");
        QTest::newRow("balance") << info("12.5") << 1 << true
                                 << QStringList{kConnecting, kHidden, "status Баланс: " + balance,
                                                "balloon info 10000 Varnelo Текущий баланс: " +
                                                    balance,
                                                kSoundOk}
                                 << false;
        QTest::newRow("balance with a comma, ShowBalance missing")
            << info("12,5") << -1 << false
            << QStringList{kConnecting, kHidden, "status Баланс: " + balance,
                           "balloon info 10000 Varnelo Текущий баланс: " + balance, kSoundOk}
            << false;
        QTest::newRow("balance zero")
            << info("0") << 1 << false
            << QStringList{kConnecting, kHidden,
                           QStringLiteral("status Баланс: 0,00\u00a0₽"),
                           QStringLiteral("balloon info 10000 Varnelo "
                                          "Текущий баланс: 0,00\u00a0₽"),
                           kSoundOk}
            << false;
        QTest::newRow("negative balance is a number")
            << info("-5") << 1 << false
            << QStringList{kConnecting, kHidden,
                           QStringLiteral("status Баланс: -5,00\u00a0₽"),
                           QStringLiteral("balloon info 10000 Varnelo Текущий баланс: "
                                          "-5,00\u00a0₽"),
                           kSoundOk}
            << false;
        QTest::newRow("message count") << info("12.5") << 0 << false
                                       << QStringList{kConnecting, kHidden, "status SMS: 5",
                                                      "balloon info 10000 Varnelo "
                                                      "Количество SMS: 5",
                                                      kSoundOk}
                                       << false;
        QTest::newRow("count: a half rounds down to even")
            << info("5", "2") << 0 << false
            << QStringList{kConnecting, kHidden, "status SMS: 2",
                           "balloon info 10000 Varnelo Количество SMS: 2", kSoundOk}
            << false;
        QTest::newRow("count: a half rounds up to even")
            << info("7", "2") << 0 << false
            << QStringList{kConnecting, kHidden, "status SMS: 4",
                           "balloon info 10000 Varnelo Количество SMS: 4", kSoundOk}
            << false;
        QTest::newRow("count with a zero price fails")
            << info("7", "0") << 0 << false
            << QStringList{kConnecting, kHidden, kCheck, kCheckBalloon, kRetry, kSoundErr} << true;
        QTest::newRow("zero price after a failure: balloon, no sound")
            << info("7", "0") << 0 << true
            << QStringList{kConnecting, kHidden, kCheck, kCheckBalloon, kRetry} << true;
        QTest::newRow("not activated")
            << QByteArray("-1") << 1 << true
            << QStringList{kConnecting, "status Не активирован",
                           "balloon info 10000 Varnelo Пользователь не активирован", kSoundOk}
            << false;
        QTest::newRow("unknown key: registration offered")
            << QByteArray("-2") << 1 << false << QStringList{kConnecting, "253", kSoundErr} << true;
        QTest::newRow("unknown key after a failure: no sound")
            << QByteArray("-2") << 1 << true << QStringList{kConnecting, "253"} << true;
        QTest::newRow("not a number")
            << QByteArray("<html>") << 1 << false
            << QStringList{kConnecting, kCheck, kCheckBalloon, kRetry, kSoundErr} << true;
        QTest::newRow("not a number after a failure")
            << QByteArray("<html>") << 1 << true << QStringList{kConnecting, kCheck, kRetry}
            << true;
        QTest::newRow("minus alone")
            << QByteArray("-") << 1 << false
            << QStringList{kConnecting, kCheck, kCheckBalloon, kRetry, kSoundErr} << true;
        QTest::newRow("empty reply")
            << QByteArray() << 1 << false
            << QStringList{kConnecting, kCheck, kCheckBalloon, kRetry, kSoundErr} << true;
    }
    void outcomes() {
        QFETCH(QByteArray, reply);
        QFETCH(int, showBalance);
        QFETCH(bool, failedBefore);
        QFETCH(QStringList, expected);
        QFETCH(bool, failedAfter);
        if (showBalance < 0)
            m_fixture.registry().deleteValue(QString(), QStringLiteral("ShowBalance"));
        else
            m_fixture.settings().set(Setting::ShowBalance, showBalance == 1);
        m_fixture.routine().setLastConnectFailed(failedBefore);
        m_server.setDefault(FakeHttpServer::reply(reply));

        m_fixture.login();
        QCOMPARE(calls(), expected);
        QCOMPARE(m_fixture.routine().lastConnectFailed(), failedAfter);
        QCOMPARE(m_fixture.client().userKey().isEmpty(), reply == "-2");
        QCOMPARE(m_server.requests().size(), 1);
    }

    void unknownKeyIsForgotten() {
        m_server.setDefault(FakeHttpServer::reply("-2"));
        m_fixture.login();
        m_fixture.login();
        QCOMPARE(calls(), (QStringList{kConnecting, "253", kSoundErr, kConnecting, "253"}));
        // The second login went out without a key.
        const auto requests = m_server.requests();
        QCOMPARE(requests.size(), 2);
        QCOMPARE(QByteArray::fromBase64(QByteArray::fromPercentEncoding(requests[1].body)),
                 QByteArray("?\x01"
                            "3.1.6"));
    }

    void failuresAnnouncedOnceUntilASuccess() {
        m_server.enqueue(FakeHttpServer::reply("", 500));
        m_server.enqueue(FakeHttpServer::reply("x"));
        m_server.enqueue(FakeHttpServer::reply(info("1")));
        m_server.enqueue(FakeHttpServer::reply("", 500));
        for (int i = 0; i < 4; ++i)
            m_fixture.login();
        const QStringList recorded = calls();
        QCOMPARE(recorded.count(kSoundErr), 2);
        QCOMPARE(recorded.count(kCheckBalloon), 2);
        QCOMPARE(recorded.count(kRetry), 3);
        QCOMPARE(recorded.count(kSoundOk), 1);
    }

    void soundsOnlyForExistingFiles_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("empty") << QString();
        QTest::newRow("missing file") << m_profile.root() + QStringLiteral("/none.wav");
        QTest::newRow("a folder") << m_profile.root();
    }
    void soundsOnlyForExistingFiles() {
        QFETCH(QString, path);
        m_fixture.settings().set(Setting::SoundConnectErr, path);
        m_fixture.settings().set(Setting::SoundConnectOK, path);
        m_server.enqueue(FakeHttpServer::reply("x"));
        m_server.enqueue(FakeHttpServer::reply("-1"));
        m_fixture.login();
        m_fixture.login();
        for (const QString& call : calls())
            QVERIFY2(!call.startsWith(QLatin1String("sound")), qPrintable(call));
    }

    void peerFailuresEndInTheErrorOutcome_data() {
        QTest::addColumn<FakeHttpServer::Behaviour>("behaviour");
        QTest::newRow("500") << FakeHttpServer::reply("12", 500);
        QTest::newRow("closes mid-reply")
            << FakeHttpServer::Behaviour{Mode::CloseMidReply, 200, info("1"), 0, 0, 0};
        QTest::newRow("50 MB of garbage") << FakeHttpServer::of(Mode::Garbage, 50LL << 20);
        QTest::newRow("50 MB body") << FakeHttpServer::of(Mode::EndlessBody, 50LL << 20);
        QTest::newRow("never answers") << FakeHttpServer::of(Mode::Silent);
    }
    void peerFailuresEndInTheErrorOutcome() {
        QFETCH(FakeHttpServer::Behaviour, behaviour);
        m_server.setDefault(behaviour);
        QElapsedTimer clock;
        clock.start();
        m_fixture.login();
        // The login gives up after 10 s without data.
        QVERIFY2(clock.elapsed() < 12000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(calls(), (QStringList{kConnecting, kCheck, kCheckBalloon, kRetry, kSoundErr}));
    }

    void missingTransportSettingIsTheErrorOutcome() {
        m_fixture.registry().deleteValue(QString(), QStringLiteral("UseIESettings"));
        m_server.setDefault(FakeHttpServer::reply(info("1")));
        m_fixture.login();
        QCOMPARE(calls(), (QStringList{kConnecting, kCheck, kCheckBalloon, kRetry, kSoundErr}));
        QVERIFY(m_fixture.routine().lastConnectFailed());
        QVERIFY(m_server.requests().isEmpty());
    }

    void threadRefreshesOncePerRound() {
        std::atomic<int> refreshes = 0;
        std::atomic<qint64> threadId = 0;
        QSemaphore entered;
        QSemaphore release;
        TGetUserInfoThread thread([&] {
            threadId = ThreadState::currentId();
            ++refreshes;
            entered.release();
            release.acquire();
        });
        thread.RequestUserInfo(); // before the thread runs: kept for its first round
        thread.start();
        QVERIFY(entered.tryAcquire(1, 5000));
        // While the refresh runs, three requests make one more round.
        thread.RequestUserInfo();
        thread.RequestUserInfo();
        thread.RequestUserInfo();
        release.release();
        QVERIFY(entered.tryAcquire(1, 5000));
        QVERIFY(ThreadState::waitUntilAsleep(threadId)); // held in the refresh
        const qint64 sleeps = ThreadState::sleeps(threadId);
        release.release();
        // Asleep again: waiting for a request, or held in a round too many.
        QVERIFY(ThreadState::waitUntilAsleep(threadId, sleeps));
        QCOMPARE(refreshes.load(), 2);
        QVERIFY(!thread.UserInfoRequested());
        thread.RequestUserInfo();
        QVERIFY(entered.tryAcquire(1, 5000));
        release.release();
        QElapsedTimer clock;
        clock.start();
        thread.Stop();
        QVERIFY(thread.isFinished());
        QVERIFY(clock.elapsed() < 1000);
        QCOMPARE(refreshes.load(), 3);
    }

    void threadStopsDuringARequestWithoutShowingAnything() {
        m_server.setDefault(FakeHttpServer::of(Mode::Silent));
        TGetUserInfoThread thread([this] { m_fixture.login(); });
        thread.start();
        thread.RequestUserInfo();
        QTRY_COMPARE(m_server.requests().size(), 1);
        QElapsedTimer clock;
        clock.start();
        thread.Stop();
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(calls(), QStringList{kConnecting});
        QVERIFY(!m_fixture.routine().lastConnectFailed());
    }

    void threadRunsTheLogin() {
        m_server.setDefault(FakeHttpServer::reply(info("25")));
        TGetUserInfoThread thread([this] { m_fixture.login(); });
        thread.start();
        thread.RequestUserInfo();
        QTRY_COMPARE(calls().size(), 5);
        QCOMPARE(calls().at(2), QStringLiteral("status Баланс: 25,00\u00a0₽"));
        QCOMPARE(m_fixture.client().account().balance, 25.0);
    }

    void handoffRunsOnTheContextThread() {
        QObject context;
        Qt::HANDLE ranOn = nullptr;
        bool done = false;
        QThread* worker = QThread::create(
            [&] { done = RunAndWait(&context, [&ranOn] { ranOn = QThread::currentThreadId(); }); });
        worker->start();
        QTRY_VERIFY(worker->isFinished());
        delete worker;
        QVERIFY(done);
        QCOMPARE(ranOn, QThread::currentThreadId());
        QVERIFY(RunAndWait(&context, [] {}));
    }

    void handoffGivesUpWhenItsThreadIsStopped() {
        // The context's thread is busy (as a closing window waiting for its worker would be);
        // the worker must not wait for it forever.
        auto context = std::make_unique<QObject>();
        std::atomic<int> result = -1;
        std::atomic<qint64> workerId = 0;
        QThread* worker = QThread::create([&] {
            workerId = ThreadState::currentId();
            result = RunAndWait(context.get(), [] {}) ? 1 : 0;
        });
        worker->start();
        QVERIFY(ThreadState::waitUntilAsleep(workerId)); // waiting for the busy thread
        worker->requestInterruption();
        QVERIFY(worker->wait(2000));
        delete worker;
        QCOMPARE(result.load(), 0);
        // The job that was left behind runs harmlessly later.
        QCoreApplication::processEvents();
    }

    void handoffGivesUpWhenTheContextGoes() {
        auto* context = new QObject;
        std::atomic<int> result = -1;
        std::atomic<qint64> workerId = 0;
        QThread* worker = QThread::create([&] {
            workerId = ThreadState::currentId();
            result = RunAndWait(context, [] {}) ? 1 : 0;
        });
        worker->start();
        QVERIFY(ThreadState::waitUntilAsleep(workerId)); // waiting for the context's thread
        delete context;
        QVERIFY(worker->wait(2000));
        delete worker;
        QCOMPARE(result.load(), 0);
    }
};

QTEST_GUILESS_MAIN(LoginTest)
#include "LoginTest.moc"
