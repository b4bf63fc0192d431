#include "ModalDriver.h"
#include "Screenshots.h"
#include "TestProfile.h"
#include "account/ui/MakePswUnit.h"
#include "contacts/ContactBook.h"
#include "platform/Ansi.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "platform/SingleInstance.h"
#include "platform/Sound.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "settings/ProgramRestart.h"
#include "settings/ui/SettingsUnit.h"
#include "shared/Settings.h"
#include "shell/MainUnit.h"
#include "shell/SettingsDialogs.h"
#include "shell/WindowEffects.h"
#include "skins/ui/SkinUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocalServer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {

const QString kKey = QStringLiteral("0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF");

QByteArray counted(const QByteArray& text) {
    return char(text.size()) + text;
}

// A skin file's header alone: all the list reads.
bool writeSkin(const QString& fileName, const QString& displayName,
               const QByteArray& version = "2.1") {
    QFile file(AppPaths::dataFolder() + fileName);
    return file.open(QIODevice::WriteOnly) &&
           file.write("skn" + counted(version) + counted(Ansi::fromUnicode(displayName))) > 0;
}

struct Launch {
    QString program;
    QStringList arguments;
};

} // namespace

// The settings dialog on a real settings store, the main window's opacity and the skin
// files of the profile.
class SettingsDialogTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    std::shared_ptr<Registry> m_registry;
    std::unique_ptr<TSettingsForm> m_form;
    QList<Launch> m_launches;

    Settings settings() const { return Settings(*m_registry); }

    TSettingsForm* open() {
        TSettingsForm::Context context;
        context.registry = m_registry;
        m_form = std::make_unique<TSettingsForm>(context);
        m_form->show();
        return m_form.get();
    }

    std::unique_ptr<TMainForm> mainWindow() {
        TMainForm::Options options;
        options.client = std::make_shared<ServiceClient>(m_registry);
        options.client->setUserKey(kKey);
        options.instanceName = QStringLiteral("varnelo-settings-test");
        options.refresh = [] {};
        return std::make_unique<TMainForm>(options);
    }

private slots:
    void initTestCase() {
        Prompts::enableTestMode();
        QVERIFY(SkinUnit::active().loadActiveSkin(m_profile.store()));
        ProgramRestart::setLauncherForTests(
            [this](const QString& program, const QStringList& arguments) {
                m_launches.append({program, arguments});
                return true;
            });
    }

    void init() {
        m_form.reset();
        {
            Registry registry;
            for (const QString& name : registry.valueNames(QString()))
                registry.deleteValue(QString(), name);
        }
        m_registry = std::make_shared<Registry>();
        TSettingsForm::resetSkinChangedForTests();
        m_launches.clear();
        Prompts::takeAsked();
    }

    void cleanup() { m_form.reset(); }

    // A store where the dialog was never confirmed: the first-start values and the table's
    // defaults for the rest.
    void defaultsOfAFreshStore() {
        settings().runFirstStart({});
        TSettingsForm* form = open();
        QCOMPARE(form->windowTitle(), QStringLiteral("Varnelo"));
        QCOMPARE(form->pages()->currentIndex(), 0);
        QCOMPARE(form->pages()->count(), 5);
        QCOMPARE(form->pages()->tabText(3), QStringLiteral("Отправка"));
        QCOMPARE(form->pages()->tabText(4), QStringLiteral("Сервер"));
        QCOMPARE(form->control<QLineEdit>(Setting::Host)->text(), QStringLiteral("localhost"));
        QCOMPARE(form->control<QLineEdit>(Setting::Port)->text(), QStringLiteral("3000"));
        QCOMPARE(form->control<QLineEdit>(Setting::ProxyPort)->text(), QStringLiteral("0"));
        QVERIFY(!form->control<QAbstractButton>(Setting::UseProxy)->isChecked());
        QVERIFY(!form->proxyGroup()->isEnabled());
        QVERIFY(!form->control<QAbstractButton>(Setting::UseIESettings)->isChecked());
        QVERIFY(form->control<QAbstractButton>(Setting::ShowSplash)->isChecked());
        QVERIFY(form->control<QAbstractButton>(Setting::UseBalloonTips)->isChecked());
        QVERIFY(form->control<QAbstractButton>(Setting::ShowBalance)->isChecked());
        QVERIFY(!form->control<QAbstractButton>(Setting::MinimizeSendWindow)->isChecked());
        QVERIFY(!form->control<QAbstractButton>(Setting::TransparentOnlyInActive)->isChecked());
        QVERIFY(!form->control<QAbstractButton>(Setting::SlowHideOnClose)->isChecked());
        QVERIFY(!form->control<QAbstractButton>(Setting::UseAlphaBlend)->isChecked());
        QCOMPARE(form->control<QSlider>(Setting::AlphaBlendValue)->value(), 200);
        QVERIFY(form->control<QAbstractButton>(Setting::MenuWithGroup)->isChecked());
        QCOMPARE(form->control<QLineEdit>(Setting::HistoryMessCount)->text(),
                 QStringLiteral("3000"));
        QCOMPARE(form->control<QLineEdit>(Setting::TimeFormat)->text(),
                 QStringLiteral("<DD.MM.YY HH:NN>"));
        QCOMPARE(form->control<QLineEdit>(Setting::ProxyPassword)->text(), QString());
        QCOMPARE(form->skinBox()->currentText(), SkinUnit::active().displayName());
    }

    void emptyStoreShowsTheTableDefaults() {
        TSettingsForm* form = open();
        QCOMPARE(form->control<QLineEdit>(Setting::TimeFormat)->text(),
                 QStringLiteral("<DD.MM.YY HH:MM>"));
        QVERIFY(form->control<QAbstractButton>(Setting::MenuWithGroup)->isChecked());
        QVERIFY(form->control<QAbstractButton>(Setting::UseBalloonTips)->isChecked());
        QVERIFY(form->control<QAbstractButton>(Setting::ShowBalance)->isChecked());
    }

    void storedValuesAreShown() {
        Settings s = settings();
        s.runFirstStart({});
        s.set(Setting::MenuWithGroup, false);
        s.set(Setting::UseProxy, true);
        s.set(Setting::ProxyServer, QStringLiteral("proxy.local"));
        s.set(Setting::ProxyPort, 8080);
        s.setProxyPassword(QStringLiteral("тайна"));
        s.set(Setting::SoundSentErr, QStringLiteral("/snd/err.wav"));
        s.set(Setting::UseBalloonTips, false);
        TSettingsForm* form = open();
        QVERIFY(form->menuAsListButton()->isChecked());
        QVERIFY(form->proxyGroup()->isEnabled());
        QCOMPARE(form->control<QLineEdit>(Setting::ProxyServer)->text(),
                 QStringLiteral("proxy.local"));
        QCOMPARE(form->control<QLineEdit>(Setting::ProxyPort)->text(), QStringLiteral("8080"));
        QCOMPARE(form->control<QLineEdit>(Setting::ProxyPassword)->text(), QStringLiteral("тайна"));
        QCOMPARE(form->control<QLineEdit>(Setting::ProxyPassword)->echoMode(), QLineEdit::Password);
        QCOMPARE(form->control<QLineEdit>(Setting::SoundSentErr)->text(),
                 QStringLiteral("/snd/err.wav"));
        QVERIFY(!form->control<QAbstractButton>(Setting::UseBalloonTips)->isChecked());
    }

    // Digits past the setting's range are dropped like letters.
    void digitsOnly_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("tooLarge");
        QTest::addColumn<QString>("kept");
        QTest::newRow("server port") << "Port"
                                     << "70000"
                                     << "7000";
        QTest::newRow("proxy port") << "ProxyPort"
                                    << "655351"
                                    << "65535";
        QTest::newRow("history count") << "HistoryMessCount"
                                       << "123456789"
                                       << "1234567";
    }
    void digitsOnly() {
        QFETCH(QString, field);
        settings().set(Setting::UseProxy, true);
        TSettingsForm* form = open();
        auto* edit = form->control<QLineEdit>(*Setting::byName(field));
        QVERIFY(edit);
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("a1-b2 ,3.x+"));
        QCOMPARE(edit->text(), QStringLiteral("123"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QStringLiteral("12"));
        QFETCH(QString, tooLarge);
        QFETCH(QString, kept);
        edit->clear();
        QTest::keyClicks(edit, tooLarge);
        QCOMPARE(edit->text(), kept);
    }

    // The proxy group follows its check box; the system-settings box switches every proxy
    // control, and unchecking it enables the group whatever the proxy box says.
    void proxyControlsEnabling_data() {
        QTest::addColumn<bool>("useProxy");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<bool>("groupEnabled");
        QTest::addColumn<bool>("proxyBoxEnabled");
        QTest::newRow("proxy on") << false << QStringList{"UseProxy"} << true << true;
        QTest::newRow("proxy on and off")
            << false << QStringList{"UseProxy", "UseProxy"} << false << true;
        QTest::newRow("system settings") << true << QStringList{"UseIESettings"} << false << false;
        QTest::newRow("system settings on and off, proxy off")
            << false << QStringList{"UseIESettings", "UseIESettings"} << true << true;
        QTest::newRow("then the proxy box again")
            << false << QStringList{"UseIESettings", "UseIESettings", "UseProxy"} << true << true;
    }
    void proxyControlsEnabling() {
        QFETCH(bool, useProxy);
        QFETCH(QStringList, clicks);
        QFETCH(bool, groupEnabled);
        QFETCH(bool, proxyBoxEnabled);
        settings().set(Setting::UseProxy, useProxy);
        TSettingsForm* form = open();
        for (const QString& name : clicks)
            QTest::mouseClick(form->control<QCheckBox>(*Setting::byName(name)), Qt::LeftButton, {},
                              QPoint(5, 5));
        QCOMPARE(form->proxyGroup()->isEnabled(), groupEnabled);
        QCOMPARE(form->control<QLineEdit>(Setting::ProxyServer)->isEnabled(), groupEnabled);
        QCOMPARE(form->control<QAbstractButton>(Setting::UseProxy)->isEnabled(), proxyBoxEnabled);
    }

    void systemSettingsStoredDisablesProxyAtShow() {
        settings().set(Setting::UseIESettings, true);
        settings().set(Setting::UseProxy, true);
        TSettingsForm* form = open();
        QVERIFY(!form->control<QAbstractButton>(Setting::UseProxy)->isEnabled());
        QVERIFY(!form->proxyGroup()->isEnabled());
        for (const QLabel* label : form->proxyGroup()->findChildren<QLabel*>())
            QVERIFY2(!label->isEnabled(), qPrintable(label->text()));
    }

    // The proxy choice names the system's settings, not a Windows browser's.
    void proxyChoiceNamesTheSystemSettings() {
        TSettingsForm* form = open();
        QCOMPARE(form->control<QAbstractButton>(Setting::UseIESettings)->text(),
                 QStringLiteral("Использовать системные настройки прокси"));
    }

    // No text of the dialog names a Windows-only thing.
    void textsNameNothingOfWindows_data() {
        QTest::addColumn<QString>("pattern");
        for (const char* pattern : {"Internet Explorer", "Windows", "Проводник", "реестр",
                                    "\\bПуск\\b", "\\.exe\\b", "Панель управления"})
            QTest::newRow(pattern) << QString::fromUtf8(pattern);
    }
    void textsNameNothingOfWindows() {
        QFETCH(QString, pattern);
        const QRegularExpression windowsOnly(pattern,
                                             QRegularExpression::CaseInsensitiveOption |
                                                 QRegularExpression::UseUnicodePropertiesOption);
        TSettingsForm* form = open();
        QStringList texts{form->windowTitle()};
        for (int i = 0; i < form->pages()->count(); ++i)
            texts << form->pages()->tabText(i);
        for (const QWidget* widget : form->findChildren<QWidget*>()) {
            texts << widget->toolTip();
            if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
                texts << button->text();
            else if (const auto* label = qobject_cast<const QLabel*>(widget))
                texts << label->text();
            else if (const auto* box = qobject_cast<const QGroupBox*>(widget))
                texts << box->title();
        }
        for (const QString& text : texts)
            QVERIFY2(!windowsOnly.match(text).hasMatch(), qPrintable(text));
    }

    void confirmWritesEverything() {
        settings().runFirstStart({});
        TSettingsForm* form = open();
        form->control<QLineEdit>(Setting::Host)->setText(QStringLiteral("sms.example.org"));
        form->control<QLineEdit>(Setting::Port)->setText(QStringLiteral("8081"));
        form->control<QAbstractButton>(Setting::UseProxy)->click();
        form->control<QAbstractButton>(Setting::ProxyAuthentication)->click();
        form->control<QLineEdit>(Setting::ProxyServer)->setText(QStringLiteral("proxy"));
        form->control<QLineEdit>(Setting::ProxyPort)->setText(QStringLiteral("3128"));
        form->control<QLineEdit>(Setting::ProxyUserName)->setText(QStringLiteral("user"));
        form->control<QLineEdit>(Setting::ProxyPassword)->setText(QStringLiteral("пароль"));
        form->control<QAbstractButton>(Setting::ShowSplash)->click();
        form->control<QAbstractButton>(Setting::UseBalloonTips)->click();
        form->control<QAbstractButton>(Setting::MinimizeSendWindow)->click();
        form->control<QAbstractButton>(Setting::ShowBalance)->click();
        form->menuAsListButton()->click();
        form->control<QLineEdit>(Setting::HistoryMessCount)->setText(QStringLiteral("250"));
        form->control<QLineEdit>(Setting::TimeFormat)->setText(QStringLiteral("<HH:MM>"));
        form->control<QLineEdit>(Setting::SoundConnectOK)->setText(QStringLiteral("/a.wav"));
        form->okButton()->click();
        QCOMPARE(form->result(), int(QDialog::Accepted));

        const Settings s = settings();
        QCOMPARE(s.get(Setting::Host), QStringLiteral("sms.example.org"));
        QCOMPARE(s.get(Setting::Port), 8081);
        QCOMPARE(s.get(Setting::UseProxy), true);
        QCOMPARE(s.get(Setting::ProxyAuthentication), true);
        QCOMPARE(s.get(Setting::ProxyServer), QStringLiteral("proxy"));
        QCOMPARE(s.get(Setting::ProxyPort), 3128);
        QCOMPARE(s.get(Setting::ProxyUserName), QStringLiteral("user"));
        QCOMPARE(s.proxyPassword(), QStringLiteral("пароль"));
        const QString stored = Registry().readString(QString(), QStringLiteral("ProxyPassword"));
        QVERIFY(!stored.contains(QStringLiteral("пароль")));
        QCOMPARE(stored.size(), 2 * Ansi::fromUnicode(QStringLiteral("пароль")).size());
        QCOMPARE(s.get(Setting::ShowSplash), false);
        QCOMPARE(s.get(Setting::UseBalloonTips), false);
        QCOMPARE(s.get(Setting::MinimizeSendWindow), true);
        QCOMPARE(s.get(Setting::ShowBalance), false);
        QCOMPARE(s.get(Setting::MenuWithGroup), false);
        QCOMPARE(s.get(Setting::HistoryMessCount), 250);
        QCOMPARE(s.get(Setting::TimeFormat), QStringLiteral("<HH:MM>"));
        QCOMPARE(s.get(Setting::SoundConnectOK), QStringLiteral("/a.wav"));
        // Values the first start does not write exist once the dialog was confirmed.
        for (const char* name : {"UseBalloonTips", "MinimizeSendWindow", "TransparentOnlyInActive",
                                 "SlowHideOnClose", "ShowBalance"})
            QVERIFY2(Registry().readBool(QString(), QLatin1String(name)).has_value(), name);
    }

    void emptyProxyPasswordIsStoredEnciphered() {
        TSettingsForm* form = open();
        form->okButton()->click();
        QCOMPARE(Registry().valueType(QString(), QStringLiteral("ProxyPassword")),
                 Registry::ValueType::String);
        QCOMPARE(settings().proxyPassword(), QString());
    }

    // Empty fields and numbers too large for 32 bits.
    void fallbacks_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("proxyPort");
        QTest::addColumn<QString>("history");
        QTest::addColumn<int>("storedPort");
        QTest::addColumn<int>("storedProxyPort");
        QTest::addColumn<int>("storedHistory");
        QTest::newRow("all empty") << ""
                                   << ""
                                   << "" << 3000 << 0 << 500;
        QTest::newRow("history too large") << "1"
                                           << "2"
                                           << "2147483648" << 1 << 2 << 500;
        QTest::newRow("largest 32-bit numbers")
            << "2147483647"
            << "2147483647"
            << "2147483647" << 2147483647 << 2147483647 << 2147483647;
        QTest::newRow("history 0 kept") << "80"
                                        << "0"
                                        << "0" << 80 << 0 << 0;
        QTest::newRow("leading zeros") << "00080"
                                       << "007"
                                       << "0010" << 80 << 7 << 10;
    }
    void fallbacks() {
        QFETCH(QString, port);
        QFETCH(QString, proxyPort);
        QFETCH(QString, history);
        QFETCH(int, storedPort);
        QFETCH(int, storedProxyPort);
        QFETCH(int, storedHistory);
        settings().runFirstStart({});
        TSettingsForm* form = open();
        form->control<QLineEdit>(Setting::Port)->setText(port);
        form->control<QLineEdit>(Setting::ProxyPort)->setText(proxyPort);
        form->control<QLineEdit>(Setting::HistoryMessCount)->setText(history);
        form->okButton()->click();
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QVERIFY(Prompts::takeAsked().isEmpty());
        QCOMPARE(settings().get(Setting::Port), storedPort);
        QCOMPARE(settings().get(Setting::ProxyPort), storedProxyPort);
        QCOMPARE(settings().get(Setting::HistoryMessCount), storedHistory);
        if (port.isEmpty())
            QCOMPARE(form->control<QLineEdit>(Setting::Port)->text(), QStringLiteral("3000"));
    }

    // The send threshold, stored in kopecks, is shown and typed in roubles.
    void confirmThresholdRoundTrip_data() {
        QTest::addColumn<int>("stored"); // -1: never stored
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("storedBack");
        QTest::newRow("default; a sum a double misses") << -1 << "50,00"
                                                        << "0,29" << 29;
        QTest::newRow("zero, then kopecks") << 0 << "0,00"
                                            << "1234,56" << 123456;
        QTest::newRow("largest, kept") << 100000000 << "1\u00a0000\u00a0000,00"
                                       << "" << 100000000;
    }
    void confirmThresholdRoundTrip() {
        QFETCH(int, stored);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(int, storedBack);
        if (stored >= 0)
            settings().set(Setting::ConfirmAboveKopecks, stored);
        auto* spin = open()->control<QDoubleSpinBox>(Setting::ConfirmAboveKopecks);
        QCOMPARE(spin->text(), shown);
        if (!typed.isEmpty()) {
            spin->selectAll();
            QTest::keyClicks(spin, typed);
        }
        m_form->okButton()->click();
        QCOMPARE(settings().get(Setting::ConfirmAboveKopecks), storedBack);
    }

    // A port too large for 32 bits stops the confirmation where it is written: what came
    // before stays written, nothing after, and the dialog stays open.
    void portOverflowStopsTheConfirmation_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("writtenBefore"); // a string value that must be new
        QTest::addColumn<QString>("notWrittenAfter");
        QTest::newRow("server port") << "Port"
                                     << "Host"
                                     << "ProxyServer";
        QTest::newRow("proxy port") << "ProxyPort"
                                    << "ProxyServer"
                                    << "ProxyUserName";
    }
    void portOverflowStopsTheConfirmation() {
        QFETCH(QString, field);
        QFETCH(QString, writtenBefore);
        QFETCH(QString, notWrittenAfter);
        settings().runFirstStart({});
        TSettingsForm* form = open();
        form->control<QLineEdit>(Setting::Host)->setText(QStringLiteral("new"));
        form->control<QLineEdit>(Setting::ProxyServer)->setText(QStringLiteral("new"));
        form->control<QLineEdit>(Setting::ProxyUserName)->setText(QStringLiteral("new"));
        form->control<QLineEdit>(*Setting::byName(field))->setText(QStringLiteral("4294967296"));
        form->okButton()->click();

        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].caption, QStringLiteral("Ошибка"));
        QVERIFY(asked[0].text.contains(QStringLiteral("4294967296")));
        QVERIFY(form->isVisible());
        QCOMPARE(form->result(), 0);
        QCOMPARE(Registry().readString(QString(), writtenBefore), QStringLiteral("new"));
        QCOMPARE(Registry().readString(QString(), notWrittenAfter), QString());
        QVERIFY(!Registry().readBool(QString(), QStringLiteral("UseBalloonTips")));
    }

    // Moving the slider previews on the main window; Cancel or Escape returns it to the
    // stored opacity, OK keeps it.
    // The dialog as the main window opens it reaches the access password's own dialog.
    void accessPasswordButtonOpensItsDialog() {
        Settings s = settings();
        s.runFirstStart({});
        s.setStoredUserKey(kKey);
        auto main = mainWindow();
        ModalDriver<TMakePswForm> password([](TMakePswForm* form) {
            form->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
        });
        ModalDriver<TSettingsForm> driver([](TSettingsForm* form) {
            form->accessPasswordButton()->click();
            form->cancelButton()->click();
        });
        SettingsDialogs::settings(main.get());
        QCOMPARE(driver.count(), 1);
        QCOMPARE(password.count(), 1);
    }

    void sliderPreviewUndoneOnCancel_data() {
        QTest::addColumn<QString>("closeBy");
        QTest::addColumn<int>("alphaAfter");
        QTest::addColumn<bool>("blendAfter");
        QTest::newRow("Отмена") << "cancel" << 180 << false;
        QTest::newRow("Escape") << "escape" << 180 << false;
        QTest::newRow("close box") << "close" << 180 << false;
        QTest::newRow("ОК") << "ok" << 90 << true;
    }
    void sliderPreviewUndoneOnCancel() {
        QFETCH(QString, closeBy);
        QFETCH(int, alphaAfter);
        QFETCH(bool, blendAfter);
        Settings s = settings();
        s.runFirstStart({});
        s.set(Setting::AlphaBlendValue, 180);
        s.setStoredUserKey(kKey);
        auto main = mainWindow();
        QCOMPARE(main->creation(), TMainForm::Creation::Running);
        WindowEffects* effects = main->windowEffects();
        QVERIFY(!effects->alphaBlend());

        ModalDriver<TSettingsForm> driver([&](TSettingsForm* form) {
            form->pages()->setCurrentIndex(1);
            QTest::mouseClick(form->control<QAbstractButton>(Setting::UseAlphaBlend),
                              Qt::LeftButton, {}, QPoint(5, 5));
            QVERIFY(effects->alphaBlend());
            form->control<QSlider>(Setting::AlphaBlendValue)->setValue(90);
            QCOMPARE(effects->alpha(), 90);
            QCOMPARE(main->windowOpacity(), 90 / 255.0);
            if (closeBy == QLatin1String("cancel"))
                form->cancelButton()->click();
            else if (closeBy == QLatin1String("escape"))
                QTest::keyClick(form, Qt::Key_Escape);
            else if (closeBy == QLatin1String("close"))
                form->close();
            else
                form->okButton()->click();
        });
        SettingsDialogs::settings(main.get());
        QCOMPARE(driver.count(), 1);
        QCOMPARE(effects->alpha(), alphaAfter);
        QCOMPARE(effects->alphaBlend(), blendAfter);
        QCOMPARE(settings().get(Setting::AlphaBlendValue), alphaAfter);
        QCOMPARE(settings().get(Setting::UseAlphaBlend), blendAfter);
        QCOMPARE(main->windowOpacity(), blendAfter ? alphaAfter / 255.0 : 1.0);
    }

    // Every readable skin file, by its display name; files that cannot be read are left out.
    void skinList() {
        QVERIFY(writeSkin(QStringLiteral("Mine.skn"), QStringLiteral("Моя тема")));
        QVERIFY(writeSkin(QStringLiteral("Old.skn"), QStringLiteral("Старая"), "2.0"));
        QVERIFY(writeSkin(QStringLiteral("Nameless.skn"), QString()));
        QFile garbage(AppPaths::dataFolder() + QStringLiteral("Garbage.skn"));
        QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write("MZ\x90") == 3);
        garbage.close();
        QDir(AppPaths::dataFolder()).mkdir(QStringLiteral("Folder.skn"));

        TSettingsForm* form = open();
        QStringList names;
        QStringList files;
        for (const SkinChoice& choice : form->skinFiles()) {
            names << choice.displayName;
            files << choice.fileName;
        }
        QCOMPARE(form->skinBox()->count(), names.size());
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(form->skinBox()->itemText(i), names[i]);
        QVERIFY(names.contains(QStringLiteral("Моя тема")));
        QVERIFY(files.contains(QStringLiteral("Mine.skn")));
        QVERIFY(files.contains(QStringLiteral("Default.skn")));
        QVERIFY(files.contains(QStringLiteral("Ocean.skn")));
        for (const char* left : {"Old.skn", "Nameless.skn", "Garbage.skn", "Folder.skn"})
            QVERIFY2(!files.contains(QLatin1String(left)), left);
        QCOMPARE(form->skinBox()->currentText(), SkinUnit::active().displayName());

        for (const char* name : {"Mine.skn", "Old.skn", "Nameless.skn", "Garbage.skn"})
            QFile::remove(AppPaths::dataFolder() + QLatin1String(name));
        QDir(AppPaths::dataFolder()).rmdir(QStringLiteral("Folder.skn"));
    }

    // OK with no entry selected keeps the stored skin.
    void noSkinSelectedKeepsTheme() {
        settings().set(Setting::Theme, QStringLiteral("Gone.skn"));
        TSettingsForm* form = open();
        form->skinBox()->setCurrentIndex(-1);
        form->okButton()->click();
        QCOMPARE(settings().get(Setting::Theme), QStringLiteral("Gone.skn"));
        QVERIFY(!TSettingsForm::skinChanged());
    }

    // Picking a skin asks whether to restart; Yes starts a new copy told to wait for this
    // one and closes the main window, after the book and the position were saved.
    void skinChangeWithRestart_data() {
        QTest::addColumn<bool>("restart");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }
    void skinChangeWithRestart() {
        QFETCH(bool, restart);
        Settings s = settings();
        s.runFirstStart({});
        s.setStoredUserKey(kKey);
        auto main = mainWindow();
        QCOMPARE(main->creation(), TMainForm::Creation::Running);
        main->show();
        main->move(300, 200);
        BookEntry group;
        group.caption = QStringLiteral("Семья");
        main->book().appendGroup(group);
        QSignalSpy closed(main.get(), &TMainForm::FormClosed);

        ModalDriver<TSettingsForm> driver([](TSettingsForm* form) {
            form->pages()->setCurrentIndex(1);
            const int ocean = form->skinBox()->findText(QStringLiteral("Морской"));
            QVERIFY(ocean >= 0);
            form->skinBox()->setCurrentIndex(ocean);
            emit form->skinBox()->activated(ocean);
            form->okButton()->click();
        });
        Prompts::queueAnswer(int(restart ? QMessageBox::Yes : QMessageBox::No));
        SettingsDialogs::settings(main.get());
        QCOMPARE(driver.count(), 1);
        QVERIFY(TSettingsForm::skinChanged());
        QCOMPARE(settings().get(Setting::Theme), QStringLiteral("Ocean.skn"));

        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].caption, QStringLiteral("Подтверждение"));
        QCOMPARE(asked[0].text, QStringLiteral("Чтобы изменения вступили в силу необходимо "
                                               "перезагрузить программу.\r\nСделать это сейчас?"));
        QCOMPARE(asked[0].buttons, QMessageBox::Yes | QMessageBox::No);

        if (!restart) {
            QVERIFY(m_launches.isEmpty());
            QCoreApplication::processEvents();
            QCOMPARE(closed.count(), 0);
            QCOMPARE(main->windowTitle(), QStringLiteral("Varnelo"));
            return;
        }
        QCOMPARE(m_launches.size(), 1);
        QCOMPARE(m_launches[0].program, QCoreApplication::applicationFilePath());
        QCOMPARE(m_launches[0].arguments, QStringList{ProgramRestart::kRestartedFlag});
        QVERIFY(closed.wait(5000));
        QCOMPARE(main->windowTitle(), QString());
        QCOMPARE(Registry().readInteger(QString(), QStringLiteral("Left")),
                 std::optional<qint32>(main->x()));
        QVERIFY(Registry().keyExists(QStringLiteral("Contacts")));

        // The skin stays changed for the run: the next OK asks again.
        TSettingsForm* form = open();
        Prompts::queueAnswer(int(QMessageBox::No));
        form->okButton()->click();
        QCOMPARE(Prompts::takeAsked().size(), 1);
    }

    // Each test button plays the file of its own field, and nothing for a missing file.
    void soundTestButtons_data() {
        QTest::addColumn<QString>("sound");
        QTest::newRow("connected") << "SoundConnectOK";
        QTest::newRow("cannot connect") << "SoundConnectErr";
        QTest::newRow("sent") << "SoundSentOK";
        QTest::newRow("send failed") << "SoundSentErr";
    }
    void soundTestButtons() {
        QFETCH(QString, sound);
        QStringList played;
        Sound::setPlayerForTests([&played](const QString& path) { played << path; });
        TSettingsForm* form = open();
        const auto pathOf = [this](const QString& name) {
            return m_profile.root() + QStringLiteral("/") + name + QStringLiteral(".wav");
        };
        for (const char* name :
             {"SoundConnectOK", "SoundConnectErr", "SoundSentOK", "SoundSentErr"}) {
            QFile file(pathOf(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            form->control<QLineEdit>(*Setting::byName(QLatin1String(name)))
                ->setText(file.fileName());
        }
        const Setting::Entry setting = *Setting::byName(sound);
        form->playButton(setting)->click();
        form->control<QLineEdit>(setting)->setText(pathOf(QStringLiteral("missing")));
        form->playButton(setting)->click();
        Sound::setPlayerForTests({});
        QCOMPARE(played, QStringList{pathOf(sound)});
    }

    void browseForASound_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("shown");
        QTest::newRow("with extension") << "/snd/ok.wav"
                                        << "/snd/ok.wav";
        QTest::newRow("without extension") << "/snd/ok"
                                           << "/snd/ok.wav";
        QTest::newRow("cancelled") << ""
                                   << "/old.wav";
    }
    void browseForASound() {
        QFETCH(QString, chosen);
        QFETCH(QString, shown);
        TSettingsForm* form = open();
        form->control<QLineEdit>(Setting::SoundSentOK)->setText(QStringLiteral("/old.wav"));
        Prompts::queueAnswer(chosen);
        form->browseSound(form->control<QLineEdit>(Setting::SoundSentOK));
        QCOMPARE(form->control<QLineEdit>(Setting::SoundSentOK)->text(), shown);
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].kind, QStringLiteral("file"));
        QCOMPARE(asked[0].text, QStringLiteral("Media (*.wav)"));
    }

    void connectionPageOnly() {
        TSettingsForm* form = open();
        form->showConnectionPageOnly();
        QVERIFY(form->pages()->isTabVisible(0));
        for (int page = 1; page < form->pages()->count(); ++page)
            QVERIFY(!form->pages()->isTabVisible(page));
        QCOMPARE(form->pages()->currentIndex(), 0);
    }

    void serverPageComesFromItsFactory() {
        TSettingsForm::setServerPageFactory([](QWidget* page) {
            auto* content = new QLabel(QStringLiteral("Загрузить настройки с сервера"), page);
            content->setObjectName(QStringLiteral("ServerPageContent"));
            return content;
        });
        TSettingsForm* form = open();
        TSettingsForm::setServerPageFactory({});
        auto* content = form->serverPage()->findChild<QLabel*>(QStringLiteral("ServerPageContent"));
        QVERIFY(content);
        QCOMPARE(form->pages()->indexOf(form->serverPage()), 4);
        QVERIFY(form->serverPage()->layout()->indexOf(content) >= 0);
    }

    // The copy started by a restart waits while the old one still holds the name.
    void restartedCopyWaitsForTheName() {
        const QString name =
            QStringLiteral("varnelo-settings-restart-%1").arg(m_profile.root().size());
        QLocalServer old;
        QVERIFY(old.listen(name));
        QVERIFY(!SingleInstance(name).waitUntilFree(300));
        old.close();
        QVERIFY(SingleInstance(name).waitUntilFree(300));
    }

    // Last: a picture of each page, when asked for.
    void screenshots() {
        if (!Screenshots::wanted())
            QSKIP("set VARNELO_SCREENSHOTS to a folder");
        settings().runFirstStart({});
        TSettingsForm* form = open();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        const QStringList names = {"connection", "interface", "sounds", "sending", "server"};
        for (int page = 0; page < names.size(); ++page) {
            form->pages()->setCurrentIndex(page);
            QVERIFY(Screenshots::save(form, QStringLiteral("settings-") + names[page]));
        }
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "SettingsDialogTest.moc"
