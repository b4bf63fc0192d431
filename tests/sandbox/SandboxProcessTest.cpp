#include "SandboxProcess.h"
#include "TestProfile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

constexpr char F = '\x01';

QByteArray getUserInfo(const QByteArray& key) {
    return "?" + key + F + "3.1.6";
}

// Reads the port from the line the service prints once it listens; 0 when it does not come.
quint16 waitForPort(QProcess& process) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        if (process.canReadLine() || process.waitForReadyRead(200)) {
            const QByteArray line = process.readLine().trimmed();
            if (line.contains("listening on"))
                return quint16(line.mid(line.lastIndexOf(':') + 1).chopped(1).toUInt());
        } else if (process.state() == QProcess::NotRunning) {
            return 0;
        }
    }
    return 0;
}

} // namespace

// The program itself: options, start, stop, where it keeps its state, its log.
class SandboxProcessTest : public QObject {
    Q_OBJECT

private slots:
    void helpNamesEveryOption();
    void badOptionsEndAtOnce_data();
    void badOptionsEndAtOnce();
    void startsQuicklyAndStopsCleanly();
    void stopsOnInterrupt();
    void optionsShapeTheService();
    void refusedNumbersSurviveReset();
    void logSizeBoundsTheLog();
    void stateSurvivesRestartInFile();
    void defaultDatabaseInUserDataFolder();
    void logsOneLinePerRequest();
    void portInUseIsAnError();
};

void SandboxProcessTest::helpNamesEveryOption() {
    QProcess process;
    process.start(SandboxProcess::executablePath(), {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);
    const QString help = QString::fromUtf8(process.readAllStandardOutput());
    for (const char* option :
         {"--listen <HOST:PORT>", "--db <FILE>", "--quiet", "--auto-activate <on|off>",
          "--start-balance <AMOUNT>", "--tariff <PRICE,EXTRA,PARTLEN,MAXLEN>",
          "--server-contacts <on|off>", "--extra-option <on|off>", "--voucher-fee <AMOUNT>",
          "--detail-price <AMOUNT>", "--status-step-ms <MS>", "--minute-ms <MS>",
          "--refuse <NUMBER>", "--log-size <N>", "--help", "--version"})
        QVERIFY2(help.contains(QLatin1String(option)), option);
    QVERIFY(help.contains(QStringLiteral("127.0.0.1:3000")));
    QVERIFY(help.contains(QStringLiteral("1.50,1.50,70,70")));
}

void SandboxProcessTest::badOptionsEndAtOnce_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("tariff of three") << QStringList{"--tariff", "1,2,3"};
    QTest::newRow("tariff with zero part") << QStringList{"--tariff", "1.50,1.50,0,70"};
    QTest::newRow("listen without port") << QStringList{"--listen", "localhost"};
    QTest::newRow("port too big") << QStringList{"--listen", "127.0.0.1:70000"};
    QTest::newRow("switch word") << QStringList{"--auto-activate", "maybe"};
    QTest::newRow("negative balance") << QStringList{"--start-balance", "-5"};
    QTest::newRow("step not a number") << QStringList{"--status-step-ms", "soon"};
    QTest::newRow("unknown option") << QStringList{"--colour", "red"};
    QTest::newRow("stray argument") << QStringList{"now"};
}

void SandboxProcessTest::badOptionsEndAtOnce() {
    QFETCH(QStringList, arguments);
    QProcess process;
    process.start(SandboxProcess::executablePath(), arguments);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardError().contains("--help"));
}

void SandboxProcessTest::startsQuicklyAndStopsCleanly() {
    SandboxProcess sandbox;
    QElapsedTimer timer;
    timer.start();
    QVERIFY2(sandbox.start(), qPrintable(sandbox.errorString()));
    const qint64 startMs = timer.elapsed();
    qInfo("started and answering after %lld ms", startMs);
    QVERIFY2(startMs < 1000, qPrintable(QString::number(startMs)));
    QCOMPARE(sandbox.stop(), 0); // SIGTERM
}

void SandboxProcessTest::stopsOnInterrupt() {
    SandboxProcess sandbox;
    QVERIFY2(sandbox.start(), qPrintable(sandbox.errorString()));
    ::kill(pid_t(sandbox.processId()), SIGINT);
    QTRY_VERIFY_WITH_TIMEOUT(!sandbox.isRunning(), 5000);
    QCOMPARE(sandbox.stop(), 0);
}

void SandboxProcessTest::optionsShapeTheService() {
    SandboxProcess sandbox;
    QVERIFY2(sandbox.start({"--auto-activate", "off", "--start-balance", "5.5", "--tariff",
                            "2,1,160,320", "--server-contacts", "off", "--extra-option", "on",
                            "--voucher-fee", "0.40", "--detail-price", "3"}),
             qPrintable(sandbox.errorString()));
    const QByteArray key = sandbox.ask("1Ann" + QByteArray(1, F) + "+79161234567" + F + "City" + F +
                                       "1.1.2000" + F + "ann@example.org" + F);
    QCOMPARE(key.size(), 48);
    QCOMPARE(sandbox.ask(getUserInfo(key)), QByteArray("-1"));
    QVERIFY(sandbox.changeAccount(QString::fromLatin1(key), {{"activated", true}}));
    QCOMPARE(sandbox.ask(getUserInfo(key)), QByteArray("5.50\x01"
                                                       "2.00\x01"
                                                       "1.00\x01"
                                                       "160\x01"
                                                       "320\x01"
                                                       "0\x01"
                                                       "1\x01 "));
    const QList<QByteArray> data =
        QByteArray::fromBase64(sandbox.ask("0" + key + F + "\x03")).split(F);
    QCOMPARE(data.value(11), QByteArray("0.40"));
    QCOMPARE(data.value(12), QByteArray("3.00"));
}

void SandboxProcessTest::refusedNumbersSurviveReset() {
    SandboxProcess sandbox;
    QVERIFY2(sandbox.start({"--refuse", "+79160000009", "--refuse", "+79160000008"}),
             qPrintable(sandbox.errorString()));
    for (int round = 0; round < 2; ++round) {
        const QByteArray key = sandbox.createAccount().toLatin1();
        QCOMPARE(sandbox
                     .ask("B" + key + F + "x" + F + "+79160000009|+79160000008|+79160000007" + F +
                          "V" + F + "0")
                     .split('|')
                     .mid(0, 2),
                 (QList<QByteArray>{"-3", "-3"}));
        QVERIFY(sandbox.reset());
    }
}

void SandboxProcessTest::logSizeBoundsTheLog() {
    SandboxProcess sandbox;
    QVERIFY2(sandbox.start({"--log-size", "2"}), qPrintable(sandbox.errorString()));
    for (int i = 0; i < 3; ++i)
        sandbox.ask(getUserInfo(QByteArray::number(i)));
    const QJsonArray log = sandbox.log();
    QCOMPARE(log.size(), 2);
    QCOMPARE(log[1].toObject().value("request").toObject().value("text").toString(),
             QStringLiteral("?2\x01"
                            "3.1.6"));
}

void SandboxProcessTest::stateSurvivesRestartInFile() {
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("state/sandbox.db"));
    SandboxProcess sandbox;
    QVERIFY2(sandbox.start({"--db", file}), qPrintable(sandbox.errorString()));
    const QByteArray key = sandbox.createAccount({{"balance", "42"}}).toLatin1();
    const QByteArray id = sandbox.ask("B" + key + F + "x" + F + "+79161234567" + F + "V" + F + "0");
    QVERIFY(id.toLongLong() > 0);
    QCOMPARE(sandbox.stop(), 0);

    QVERIFY2(sandbox.start({"--db", file}), qPrintable(sandbox.errorString()));
    QCOMPARE(sandbox.ask(getUserInfo(key)).split(F).value(0), QByteArray("40.50"));
    const QByteArray next =
        sandbox.ask("B" + key + F + "x" + F + "+79161234567" + F + "V" + F + "0");
    QCOMPARE(next.toLongLong(), id.toLongLong() + 1);
}

void SandboxProcessTest::defaultDatabaseInUserDataFolder() {
    TestProfile profile;
    QProcess process;
    process.start(SandboxProcess::executablePath(), {"--listen", "127.0.0.1:0", "--quiet"});
    QVERIFY(waitForPort(process) != 0);
    QVERIFY(QFile::exists(profile.root() + QStringLiteral("/data/Varnelo/sandbox.db")));
    process.terminate();
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 0);
}

void SandboxProcessTest::logsOneLinePerRequest() {
    QProcess process;
    process.start(SandboxProcess::executablePath(),
                  {"--listen", "127.0.0.1:0", "--db", ":memory:"});
    const quint16 port = waitForPort(process);
    QVERIFY(port != 0);
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(socket.waitForConnected(5000));
    const QByteArray body = getUserInfo(QByteArray(48, 'A')).toBase64();
    socket.write("POST / HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                 "Connection: close\r\nContent-Length: " +
                 QByteArray::number(body.size()) + "\r\n\r\n" + body);
    QByteArray reply;
    while (socket.waitForReadyRead(5000))
        reply += socket.readAll();
    QVERIFY(reply.endsWith("\r\n\r\n-2"));
    QByteArray log;
    QTRY_VERIFY_WITH_TIMEOUT((log += process.readAllStandardError()).contains("GetUserInfo 200 -2"),
                             5000);
    process.terminate();
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 0);
}

void SandboxProcessTest::portInUseIsAnError() {
    SandboxProcess first;
    QVERIFY2(first.start(), qPrintable(first.errorString()));
    QProcess second;
    second.start(
        SandboxProcess::executablePath(),
        {"--listen", QStringLiteral("127.0.0.1:%1").arg(first.port()), "--db", ":memory:"});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 1);
    QVERIFY(second.readAllStandardError().contains("cannot listen"));
}

QTEST_GUILESS_MAIN(SandboxProcessTest)
#include "SandboxProcessTest.moc"
