#include "settings/ui/PayWindow.h"
#include "SandboxProcess.h"
#include "Screenshots.h"
#include "TestProfile.h"
#include "platform/Registry.h"
#include "service/ServiceClient.h"
#include "settings/PayAddress.h"
#include "shared/Settings.h"
#include "skins/ui/SkinUnit.h"

#include <QAccessible>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

bool browserEngineLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
}

// How many pixels of `area` have exactly `color`.
int pixelsOf(const QImage& image, const QRect& area, const QColor& color) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixelColor(x, y) == color ? 1 : 0;
    return count;
}

QPushButton* button(QDialog* form, const char* name) {
    return form->findChild<QPushButton*>(QLatin1String(name));
}

// Waits for the page the window is loading; false when it failed or never came.
bool waitForPage(QSignalSpy& loaded) {
    if (loaded.isEmpty() && !loaded.wait(60000))
        return false;
    return loaded.takeFirst().value(0).toBool();
}

} // namespace

// The payment window as the program opens it: its module loaded on first use, the service's
// page from the sandbox in the embedded browser, back and forward following its history.
class PayWindowTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    SandboxProcess m_sandbox;
    QString m_key;
    std::shared_ptr<Registry> m_registry;
    std::shared_ptr<ServiceClient> m_client;

private slots:
    void initTestCase() {
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
        m_key = m_sandbox.createAccount({{QStringLiteral("balance"), QStringLiteral("42.00")}});
        QCOMPARE(m_key.size(), 48);
        m_registry = std::make_shared<Registry>();
        Settings(*m_registry).runFirstStart({});
        QVERIFY(SkinUnit::active().loadActiveSkin(m_profile.store()));
        Settings(*m_registry).set(Setting::Host, m_sandbox.host());
        Settings(*m_registry).set(Setting::Port, qint32(m_sandbox.port()));
        m_client = std::make_shared<ServiceClient>(m_registry);
        m_client->setUserKey(m_key);
    }

    void address_data() {
        QTest::addColumn<quint32>("infoText");
        QTest::addColumn<quint32>("main");
        QTest::addColumn<QString>("ending");
        QTest::newRow("default colours") << 0xB1552Cu << 0xCEECD3u << "B1552CCEECD3";
        QTest::newRow("leading zeros kept") << 0x00000Fu << 0x0000A0u << "00000F0000A0";
        QTest::newRow("black and white") << 0x000000u << 0xFFFFFFu << "000000FFFFFF";
    }
    void address() {
        QFETCH(quint32, infoText);
        QFETCH(quint32, main);
        QFETCH(QString, ending);
        const QString key = QStringLiteral("0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF");
        QCOMPARE(payAddress(QStringLiteral("localhost"), 3000, key, infoText, main),
                 "http://localhost:3000/howpay.php?" + key + ending);
    }

    void defaultSkinColoursInTheAddress() {
        const SkinColors& colors = SkinUnit::active().colorValues();
        QCOMPARE(payAddress(QStringLiteral("localhost"), 3000, m_key, colors.InfoText, colors.Main),
                 "http://localhost:3000/howpay.php?" + m_key + "B1552C" + "CEECD3");
    }

    void programDoesNotLinkTheBrowser() {
        QProcess readelf;
        readelf.start(QStringLiteral("readelf"),
                      {QStringLiteral("-d"), QStringLiteral(VARNELO_PATH)});
        if (!readelf.waitForFinished(30000) || readelf.exitCode() != 0)
            QSKIP("readelf is not available");
        const QByteArray needed = readelf.readAllStandardOutput();
        QVERIFY(needed.contains("libQt6Widgets"));
        QVERIFY(!needed.contains("WebEngine"));
        QVERIFY(!browserEngineLoaded());
    }

    void showsTheServicePage() {
        QVERIFY(!PayWindow::modulePath().isEmpty());
        QString error;
        std::unique_ptr<QDialog> form(PayWindow::create(*m_client, nullptr, &error));
        QVERIFY2(form, qPrintable(error));
        QVERIFY(browserEngineLoaded());

        // The header: its title and subtitle, and the skin's banner and picture.
        QStringList texts;
        int pictures = 0;
        for (const QLabel* label : form->findChildren<QLabel*>()) {
            texts << label->text();
            pictures += label->pixmap().isNull() ? 0 : 1;
        }
        QVERIFY(texts.contains("Оплата"));
        QVERIFY(texts.contains("Ознакомиться с технологией оплаты"));
        QCOMPARE(pictures, 2);
        QCOMPARE(button(form.get(), "backButton")->toolTip(), "Назад");
        QCOMPARE(button(form.get(), "forwardButton")->toolTip(), "Вперед");
        // A screen reader says the hints, not the arrows.
        QCOMPARE(QAccessible::queryAccessibleInterface(button(form.get(), "backButton"))
                     ->text(QAccessible::Name),
                 "Назад");
        QCOMPARE(QAccessible::queryAccessibleInterface(button(form.get(), "forwardButton"))
                     ->text(QAccessible::Name),
                 "Вперед");
        QVERIFY(!button(form.get(), "closeButton")->icon().isNull());
        QVERIFY(!button(form.get(), "backButton")->isEnabled());
        QVERIFY(!button(form.get(), "forwardButton")->isEnabled());

        QSignalSpy loaded(form.get(), SIGNAL(pageLoaded(bool)));
        form->show();
        QVERIFY(waitForPage(loaded));
        QCOMPARE(form->property("pageTitle").toString(), "Оплата услуг Varnelo");
        QCOMPARE(form->property("pageUrl").toUrl().toString(),
                 m_sandbox.baseUrl() + "/howpay.php?" + m_key + "B1552CCEECD3");
        QVERIFY(!button(form.get(), "backButton")->isEnabled());
        QVERIFY(!button(form.get(), "forwardButton")->isEnabled());

        // The page is painted, its text in the skin's text colour that the address carried.
        QWidget* browser = form->findChild<QWidget*>(QStringLiteral("browser"));
        const auto textPixels = [&] {
            return pixelsOf(form->grab().toImage(), browser->geometry(), QColor(0x2C, 0x55, 0xB1));
        };
        QTRY_VERIFY_WITH_TIMEOUT(textPixels() > 500, 30000);
        QVERIFY(Screenshots::save(form.get(), QStringLiteral("payform")));
    }

    void backAndForwardFollowTheHistory() {
        std::unique_ptr<QDialog> form(PayWindow::create(*m_client, nullptr));
        QVERIFY(form);
        QPushButton* back = button(form.get(), "backButton");
        QPushButton* forward = button(form.get(), "forwardButton");
        QSignalSpy loaded(form.get(), SIGNAL(pageLoaded(bool)));
        form->show();
        QVERIFY(waitForPage(loaded));

        QMetaObject::invokeMethod(form.get(), "navigate",
                                  Q_ARG(QUrl, QUrl(m_sandbox.baseUrl() + "/")));
        QVERIFY(waitForPage(loaded));
        QVERIFY(back->isEnabled());
        QVERIFY(!forward->isEnabled());

        back->click();
        QVERIFY(waitForPage(loaded));
        QCOMPARE(form->property("pageTitle").toString(), "Оплата услуг Varnelo");
        QVERIFY(!back->isEnabled());
        QVERIFY(forward->isEnabled());

        forward->click();
        QVERIFY(waitForPage(loaded));
        QCOMPARE(form->property("pageUrl").toUrl(), QUrl(m_sandbox.baseUrl() + "/"));
        QVERIFY(back->isEnabled());
        QVERIFY(!forward->isEnabled());
    }

    void closeButtonClosesTheWindow() {
        std::unique_ptr<QDialog> form(PayWindow::create(*m_client, nullptr));
        QVERIFY(form);
        form->show();
        button(form.get(), "closeButton")->click();
        QVERIFY(!form->isVisible());
        form->show();
        QTest::keyClick(form.get(), Qt::Key_Escape);
        QVERIFY(!form->isVisible());
    }
};

QTEST_MAIN(PayWindowTest)
#include "PayWindowTest.moc"
