#include "LoggedInProfile.h"
#include "SandboxProcess.h"
#include "TestProfile.h"
#include "platform/DisplayPlatform.h"
#include "platform/Registry.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>

namespace {

// A bus of the test's own, which starts none of the machine's services.
constexpr char kBusConfig[] = R"(<busconfig><type>session</type><listen>unix:dir=%1</listen>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/>
<allow own="*"/></policy></busconfig>)";

// Stands in for the desktop's notification service: keeps the app name, icon and body.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList shown;

public slots:
    uint Notify(const QString& app, uint, const QString& icon, const QString&, const QString& body,
                const QStringList&, const QVariantMap&, int) {
        shown << app + u'|' + icon + u'|' + body;
        return uint(shown.size());
    }
};

} // namespace

// The program on today's desktops: the display server it picks; without a tray, the login's
// balloon through the desktop's notification service; the end by a signal.
class DesktopSessionTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    QProcess m_bus;
    FakeNotifications m_notifications;

private slots:
    void initTestCase() {
        QFile config(m_profile.root() + QStringLiteral("/bus.conf"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(QString::fromLatin1(kBusConfig).arg(m_profile.root()).toUtf8());
        config.close();
        m_bus.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                     QStringLiteral("--config-file=") + config.fileName()});
        QVERIFY2(m_bus.waitForStarted(), "dbus-daemon (package dbus) is needed");
        QTRY_VERIFY(m_bus.canReadLine());
        const QString address = QString::fromUtf8(m_bus.readLine()).trimmed();
        // For the program this test starts.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("service"));
        QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                   &m_notifications, QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }

    void cleanupTestCase() {
        m_bus.terminate();
        m_bus.waitForFinished();
    }

    void platformChoice_data() {
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("chosen");
        QTest::newRow("Xwayland") << QByteArray() << QByteArray(":0") << QByteArray("wayland-0")
                                  << QByteArray("xcb;wayland");
        QTest::newRow("X11") << QByteArray() << QByteArray(":1") << QByteArray()
                             << QByteArray("xcb");
        QTest::newRow("Wayland alone")
            << QByteArray() << QByteArray() << QByteArray("wayland-0") << QByteArray();
        QTest::newRow("the user's")
            << QByteArray("wayland") << QByteArray(":0") << QByteArray("wayland-0") << QByteArray();
    }

    void platformChoice() {
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, chosen);
        QCOMPARE(DisplayPlatform::choose(user, display, wayland), chosen);
    }

    // Offscreen there is no tray. The login answers before the icon exists.
    void loginBalloonAndSignalEnd_data() {
        QTest::addColumn<bool>("serviceUp");
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<QString>("balloon");
        QTest::newRow("balance, SIGTERM") << true << SIGTERM << QStringLiteral("Текущий баланс: ");
        QTest::newRow("error, SIGINT")
            << false << SIGINT << QStringLiteral("Ошибка. Проверьте настройки.");
    }

    void loginBalloonAndSignalEnd() {
        QFETCH(bool, serviceUp);
        QFETCH(int, signalNumber);
        QFETCH(QString, balloon);
        m_notifications.shown.clear();
        SandboxProcess sandbox;
        QVERIFY2(sandbox.start(), qPrintable(sandbox.errorString()));
        sandbox.createAccount({{"key", LoggedInProfile::kKey}, {"balance", "100.00"}});
        Settings(LoggedInProfile::write({}, sandbox.port())->store()).set(Setting::Left, 30);
        if (!serviceUp)
            sandbox.stop();
        QProcess program;
        program.start(QStringLiteral(VARNELO_PATH), {});
        QTRY_COMPARE_WITH_TIMEOUT(m_notifications.shown.size(), 1, 20000);
        QVERIFY2(m_notifications.shown[0].startsWith(QStringLiteral("Varnelo|varnelo|") + balloon),
                 qPrintable(m_notifications.shown[0]));

        // Changed behind the window's back: the closing steps write the window's own.
        {
            Registry store;
            Settings(store).set(Setting::Left, 1);
        }
        ::kill(pid_t(program.processId()), signalNumber);
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        Registry store;
        QCOMPARE(Settings(store).get(Setting::Left), 30);
    }
};

QTEST_MAIN(DesktopSessionTest)
#include "DesktopSessionTest.moc"
