#include "shell/AccountDialogs.h"
#include "ModalDriver.h"
#include "SandboxProcess.h"
#include "Screenshots.h"
#include "StoreDamage.h"
#include "TestProfile.h"
#include "account/ui/BirthDateEdit.h"
#include "account/ui/MakePswUnit.h"
#include "account/ui/PasswordUnit.h"
#include "account/ui/RestoreAccountUnit.h"
#include "account/ui/UnitReg.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "settings/ui/SettingsUnit.h"
#include "shared/Settings.h"
#include "shared/StoredValueCipher.h"
#include "shell/MainUnit.h"
#include "skins/ui/SkinUnit.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <atomic>

namespace {

const QString kKey = QStringLiteral("0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF");
const QString kWarning = QStringLiteral("Предупреждение");
const QString kNoConnection =
    QStringLiteral("Невозможно установить соединение с сервером!\r\n"
                   "Возможно, сервер временно не отвечает - повторите попытку позже.\r\n"
                   "Также проверьте настройки соединения.");

struct Person {
    QString name = QStringLiteral("Иванов Иван Иванович");
    QString city = QStringLiteral("Тверь");
    QString number = QStringLiteral("+79161234567");
    QDate birth = QDate(1980, 5, 17);
    QString email = QStringLiteral("ivanov@example.org");
    QString referrer;
};

// A control of a dialog, by the object name it is given.
template <class T = QLineEdit> T* control(const QWidget* dialog, const char* name) {
    return dialog->findChild<T*>(QLatin1String(name));
}

QPushButton* button(const QWidget* dialog, const char* name) {
    return control<QPushButton>(dialog, name);
}

BirthDateEdit* birthEdit(const TRegForm* form) {
    return control<BirthDateEdit>(form, "birthEdit");
}

void fill(TRegForm* form, const Person& person) {
    control(form, "nameEdit")->setText(person.name);
    control(form, "cityEdit")->setText(person.city);
    control(form, "numberEdit")->setText(person.number);
    birthEdit(form)->setDate(person.birth);
    control(form, "emailEdit")->setText(person.email);
    control(form, "referrerEdit")->setText(person.referrer);
}

QString storedKey() {
    Registry registry;
    return Ansi::toUnicode(registry.readBytes(QString(), QString()).value_or(QByteArray()));
}

QStringList askedTexts() {
    QStringList texts;
    for (const Prompts::Asked& asked : Prompts::takeAsked())
        texts << asked.caption + QStringLiteral(": ") + asked.text;
    return texts;
}

QByteArray protectedKey(const QString& key, const QString& password) {
    return StoredValueCipher::EncipherValue(
        StoredValueCipher::ScrambleWithPassword(Ansi::fromUnicode(key),
                                                Ansi::fromUnicode(password)),
        StoredValueCipher::kUserKeyKey);
}

// The main window as the program builds it, with the account dialogs wired in.
std::unique_ptr<TMainForm> mainWindow(const std::shared_ptr<ServiceClient>& client,
                                      int* refreshes = nullptr) {
    TMainForm::Options options;
    options.client = client;
    options.instanceName = QStringLiteral("varnelo-account-test");
    options.refresh = [refreshes] {
        if (refreshes)
            ++*refreshes;
    };
    options.dialogs.password = [] { return AccountDialogs::password(); };
    options.dialogs.registration = [client](const std::function<void()>& restored) {
        return AccountDialogs::registration(client, restored);
    };
    return std::make_unique<TMainForm>(options);
}

} // namespace

// Registration, restore and the access password, driven as a user would, against the
// sandbox service.
class AccountDialogsTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    SandboxProcess m_sandbox;
    std::shared_ptr<Registry> m_registry;
    std::shared_ptr<ServiceClient> m_client;

    // The store as the program leaves it, talking to the sandbox.
    void useSandbox(quint16 port) {
        Settings settings(*m_registry);
        settings.runFirstStart({});
        settings.set(Setting::Host, QStringLiteral("127.0.0.1"));
        settings.set(Setting::Port, qint32(port));
    }

private slots:
    void initTestCase() {
        Prompts::enableTestMode();
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
        QVERIFY(SkinUnit::active().loadActiveSkin(m_profile.store()));
    }

    void init() {
        QVERIFY(m_sandbox.reset());
        {
            Registry registry;
            for (const QString& name : registry.valueNames(QString()))
                registry.deleteValue(QString(), name);
        }
        m_registry = std::make_shared<Registry>();
        m_client = std::make_shared<ServiceClient>(m_registry);
        TSettingsForm::resetSkinChangedForTests();
        Prompts::takeAsked();
    }

    // A first start without a key: the registration dialog, the server set through its
    // connection settings, a new account from the sandbox, and then the main window.
    void firstStartRegistersAndRuns() {
        ModalDriver<TSettingsForm> settings([this](TSettingsForm* form) {
            QVERIFY(!form->pages()->isTabVisible(1));
            QVERIFY(!form->pages()->isTabVisible(2));
            QVERIFY(!form->pages()->isTabVisible(3));
            form->control<QLineEdit>(Setting::Host)->setText(QStringLiteral("127.0.0.1"));
            form->control<QLineEdit>(Setting::Port)->setText(QString::number(m_sandbox.port()));
            form->okButton()->click();
        });
        ModalDriver<TRegForm> registration([](TRegForm* form) {
            QCOMPARE(form->windowTitle(), QStringLiteral("Регистрация пользователя"));
            button(form, "connectionButton")->click(); // connection settings
            fill(form, Person());
            button(form, "okButton")->click();
        });
        int refreshes = 0;
        auto form = mainWindow(m_client, &refreshes);
        QCOMPARE(form->creation(), TMainForm::Creation::Running);
        QCOMPARE(registration.count(), 1);
        QCOMPARE(settings.count(), 1);

        const QString key = storedKey();
        QCOMPARE(key.size(), 48);
        QCOMPARE(m_client->userKey(), key);
        QCOMPARE(m_sandbox.account(key).value(QLatin1String("email")).toString(), Person().email);
        // The birth date goes as the system's short date text, whatever the field shows.
        QCOMPARE(m_sandbox.account(key).value(QLatin1String("birthDate")).toString(),
                 QLocale::system().toString(Person().birth, QLocale::ShortFormat));
        QCOMPARE(askedTexts(), QStringList{QStringLiteral(
                                   "Информация: Регистрация прошла успешно!\r\nНа указанный адрес "
                                   "выслана ссылка для активации вашего аккаунта.")});
        QCOMPARE(Registry().readInteger(QString(), QStringLiteral("Port")),
                 std::optional<qint32>(m_sandbox.port()));
    }

    // The checks run in their order, and the dialog stays for another try after each.
    void registrationChecks_data() {
        QTest::addColumn<bool>("noBirthDate");
        QTest::addColumn<QString>("emptyField");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("asked");

        QTest::newRow("no birth date before empty fields")
            << true << "nameEdit"
            << "x@example.org"
            << "Предупреждение: Неверно указана дата рождения!";
        QTest::newRow("no name") << false << "nameEdit"
                                 << "x@example.org"
                                 << "Предупреждение: Вы заполнили не все поля!";
        QTest::newRow("no city") << false << "cityEdit"
                                 << "x@example.org"
                                 << "Предупреждение: Вы заполнили не все поля!";
        QTest::newRow("no number") << false << "numberEdit"
                                   << "x@example.org"
                                   << "Предупреждение: Вы заполнили не все поля!";
        QTest::newRow("no e-mail") << false << "emailEdit"
                                   << "x@example.org"
                                   << "Предупреждение: Вы заполнили не все поля!";
        QTest::newRow("e-mail registered already")
            << false << ""
            << "TAKEN@example.org"
            << "Ошибка: Введенный адрес электронной почты уже зарегистрирован в системе.";
    }
    void registrationChecks() {
        QFETCH(bool, noBirthDate);
        QFETCH(QString, emptyField);
        QFETCH(QString, email);
        QFETCH(QString, asked);
        useSandbox(m_sandbox.port());
        QVERIFY(
            !m_sandbox.createAccount({{QStringLiteral("email"), "taken@example.org"}}).isEmpty());

        TRegForm form(m_client);
        Person person;
        person.email = email;
        person.referrer = QStringLiteral("friend@example.org");
        fill(&form, person);
        if (noBirthDate)
            birthEdit(&form)->setDate(TRegForm::zeroDate());
        if (!emptyField.isEmpty())
            form.findChild<QLineEdit*>(emptyField)->clear();
        form.show();
        button(&form, "okButton")->click();
        QTRY_VERIFY(!form.waitingForService());
        QCOMPARE(askedTexts(), QStringList{asked});
        QVERIFY(form.isVisible());
        QVERIFY(storedKey().isEmpty());
        QVERIFY(m_client->userKey().isEmpty());
    }

    // The birth date typed by keys: with or without the dots; what cannot make a date is
    // refused key by key, and a text that names no real date leaves the field without one.
    void birthDateTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QDate>("date");

        const QDate feb1(1990, 2, 1);
        QTest::newRow("with dots") << "01.02.1990"
                                   << "01.02.1990" << feb1;
        QTest::newRow("without dots") << "01021990"
                                      << "01.02.1990" << feb1;
        QTest::newRow("one-digit day and month") << "1.2.1990"
                                                 << "01.02.1990" << feb1;
        QTest::newRow("letters after the date") << "01021990ivan@example.ru"
                                                << "01.02.1990" << feb1;
        QTest::newRow("a ninth digit") << "010219901"
                                       << "01.02.1990" << feb1;
        QTest::newRow("letters alone") << "ivan"
                                       << "" << QDate();
        QTest::newRow("a thirteenth month") << "0113"
                                            << "01.1" << QDate();
        QTest::newRow("a 32nd day") << "32"
                                    << "3" << QDate();
        QTest::newRow("31 February") << "31021990"
                                     << "31.02.1990" << QDate();
        QTest::newRow("29 February of a leap year") << "29022000"
                                                    << "29.02.2000" << QDate(2000, 2, 29);
        QTest::newRow("29 February of another year") << "29021990"
                                                     << "29.02.1990" << QDate();
        QTest::newRow("before 1900") << "31121899"
                                     << "31.12.1899" << QDate();
        QTest::newRow("after today")
            << QDate::currentDate().addDays(1).toString(QStringLiteral("ddMMyyyy"))
            << QDate::currentDate().addDays(1).toString(QStringLiteral("dd.MM.yyyy")) << QDate();
        QTest::newRow("unfinished") << "0102199"
                                    << "01.02.199" << QDate();
        QTest::newRow("empty") << ""
                               << "" << QDate();
    }
    void birthDateTyped() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QDate, date);
        TRegForm form(m_client);
        BirthDateEdit* birth = birthEdit(&form);
        form.show();
        QTest::keyClicks(birth, typed);
        QCOMPARE(birth->text(), shown);
        QCOMPARE(birth->date(), date.isValid() ? date : TRegForm::zeroDate());
        // The other fields are empty: a date passes the first check and meets the second.
        button(&form, "okButton")->click();
        QCOMPARE(askedTexts(),
                 QStringList{date.isValid() ? QStringLiteral("Предупреждение: Вы заполнили "
                                                             "не все поля!")
                                            : QStringLiteral("Предупреждение: Неверно указана "
                                                             "дата рождения!")});
        QVERIFY(form.isVisible());
    }

    void birthDateTakesItsTurnAtTab() {
        TRegForm form(m_client);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(QApplication::focusWidget(), control(&form, "nameEdit"));
        const QList<QWidget*> order = {
            control(&form, "nameEdit"),   control(&form, "cityEdit"),
            control(&form, "numberEdit"), birthEdit(&form),
            control(&form, "emailEdit"),  control(&form, "referrerEdit")};
        for (int i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[i]);
        }
    }

    // Empty, the calendar opens at January thirty years back; with a date, at that date.
    // Picked by keys, the date fills the field; Escape closes the calendar, not the dialog.
    void birthCalendarByKeys() {
        TRegForm form(m_client);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        BirthDateEdit* birth = birthEdit(&form);
        birth->setFocus();
        QTest::keyClick(birth, Qt::Key_F4);
        QCalendarWidget* calendar = birth->calendar();
        QVERIFY(calendar);
        QVERIFY(birth->calendarShown());
        const int year = QDate::currentDate().year() - 30;
        QCOMPARE(calendar->yearShown(), year);
        QCOMPARE(calendar->monthShown(), 1);
        QTest::keyClick(calendar->focusProxy(), Qt::Key_Escape);
        QVERIFY(!birth->calendarShown());
        QVERIFY(form.isVisible());
        QVERIFY(!form.gaveUp());
        QCOMPARE(birth->date(), TRegForm::zeroDate());

        QTest::keyClick(birth, Qt::Key_Down, Qt::AltModifier);
        QVERIFY(birth->calendarShown());
        QTest::keyClick(calendar->focusProxy(), Qt::Key_Right);
        QTest::keyClick(calendar->focusProxy(), Qt::Key_Return);
        QVERIFY(!birth->calendarShown());
        QCOMPARE(birth->date(), QDate(year, 1, 2));
        QCOMPARE(birth->text(), QStringLiteral("02.01.%1").arg(year));

        birth->setDate(QDate(1980, 5, 17));
        birth->showCalendar();
        QCOMPARE(calendar->yearShown(), 1980);
        QCOMPARE(calendar->monthShown(), 5);
        QCOMPARE(calendar->selectedDate(), QDate(1980, 5, 17));
    }

    void referrerMayBeEmpty() {
        useSandbox(m_sandbox.port());
        TRegForm form(m_client);
        fill(&form, Person());
        form.show();
        button(&form, "okButton")->click();
        QTRY_COMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(storedKey().size(), 48);
    }

    // While the service answers, the dialog takes no input: Escape, a second click and
    // closing it do nothing, and the reply still lands.
    void slowReplyBlocksTheDialog() {
        useSandbox(m_sandbox.port());
        QVERIFY(m_sandbox.failNext(1, QStringLiteral("delay"), 700));
        const qsizetype requests = m_sandbox.log().size();
        TRegForm form(m_client);
        fill(&form, Person());
        form.show();
        button(&form, "okButton")->click();
        QVERIFY(form.waitingForService());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QTest::keyClick(&form, Qt::Key_Escape);
        QTest::mouseClick(button(&form, "okButton"), Qt::LeftButton);
        form.close();
        QVERIFY(form.isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(form.result(), int(QDialog::Accepted), 10000);
        QVERIFY(!form.gaveUp());
        QCOMPARE(storedKey().size(), 48);
        QCOMPARE(Prompts::takeAsked().size(), 1);
        QCOMPARE(m_sandbox.log().size(), requests + 1);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void noConnectionKeepsTheDialog() {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        useSandbox(port);

        TRegForm form(m_client);
        fill(&form, Person());
        form.show();
        button(&form, "okButton")->click();
        QTRY_VERIFY(!form.waitingForService());
        QCOMPARE(askedTexts(), QStringList{QStringLiteral("Ошибка: ") + kNoConnection});
        QVERIFY(form.isVisible());
        QVERIFY(form.isEnabled());
        QVERIFY(!form.gaveUp());
    }

    // A settings store that fails under the request's worker is named in an error box and
    // the dialog stays for another try.
    void storeFailureUnderTheWorker_data() {
        QTest::addColumn<bool>("registration");
        QTest::addColumn<int>("damage");
        for (const bool registration : {true, false}) {
            for (const auto damage : StoreDamage::kAllKinds)
                QTest::addRow("%s, %s", registration ? "registration" : "restore",
                              qPrintable(StoreDamage::name(damage)))
                    << registration << int(damage);
        }
    }
    void storeFailureUnderTheWorker() {
        QFETCH(bool, registration);
        QFETCH(int, damage);
        useSandbox(m_sandbox.port());
        const int requests = int(m_sandbox.log().size());
        const QString path = m_registry->filePath();
        QVERIFY(StoreDamage::apply(StoreDamage::Kind(damage), path));
        QStringList asked;
        if (registration) {
            TRegForm form(m_client);
            fill(&form, Person());
            form.show();
            button(&form, "okButton")->click();
            QTRY_VERIFY(!form.waitingForService());
            asked = askedTexts();
            QVERIFY(form.isVisible());
            QVERIFY(form.isEnabled());
        } else {
            TRestoreAccountForm form(m_client);
            form.show();
            QTest::keyClicks(control(&form, "emailEdit"), QStringLiteral("old@example.org"));
            button(&form, "sendCodeButton")->click();
            QTRY_VERIFY(!form.waitingForService());
            asked = askedTexts();
            QVERIFY(form.isVisible());
            QVERIFY(form.isEnabled());
        }
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked[0].startsWith(QStringLiteral("Ошибка: ")) &&
                     StoreDamage::isReported(asked[0].mid(8), path),
                 qPrintable(asked[0]));
        QCOMPARE(int(m_sandbox.log().size()), requests);
        // A fresh store for the next test.
        m_client.reset();
        m_registry.reset();
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(path + suffix);
    }

    // Giving up at the start-up registration ends the program before the main window.
    void givingUpEndsTheProgram_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Отмена") << false;
        QTest::newRow("Escape") << true;
    }
    void givingUpEndsTheProgram() {
        QFETCH(bool, escape);
        ModalDriver<TRegForm> registration([escape](TRegForm* form) {
            if (escape)
                QTest::keyClick(control(form, "cityEdit"), Qt::Key_Escape);
            else
                button(form, "cancelButton")->click();
        });
        auto form = mainWindow(m_client);
        QCOMPARE(form->creation(), TMainForm::Creation::GaveUp);
        QVERIFY(!form->isVisible());
        QCOMPARE(registration.count(), 1);
        QVERIFY(storedKey().isEmpty());
    }

    void restoreButtonsFollowTheFields_data() {
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("sendEnabled");
        QTest::addColumn<bool>("okEnabled");
        QTest::newRow("nothing") << ""
                                 << "" << false << false;
        QTest::newRow("e-mail") << "a@b.c"
                                << "" << true << false;
        QTest::newRow("e-mail and code") << "a@b.c"
                                         << "1" << false << true;
        QTest::newRow("code") << ""
                              << "1" << false << true;
        QTest::newRow("blank code") << ""
                                    << " " << false << true;
    }
    void restoreButtonsFollowTheFields() {
        QFETCH(QString, email);
        QFETCH(QString, code);
        QFETCH(bool, sendEnabled);
        QFETCH(bool, okEnabled);
        TRestoreAccountForm form(m_client);
        QVERIFY(!button(&form, "sendCodeButton")->isEnabled());
        QVERIFY(!button(&form, "okButton")->isEnabled());
        QTest::keyClicks(control(&form, "emailEdit"), email);
        QTest::keyClicks(control(&form, "codeEdit"), code);
        QCOMPARE(button(&form, "sendCodeButton")->isEnabled(), sendEnabled);
        QCOMPARE(button(&form, "okButton")->isEnabled(), okEnabled);
    }

    // Restore at start: the code asked for by e-mail, then typed in groups; both dialogs
    // close and the main window runs with the restored key.
    void restoreAtStartUp() {
        useSandbox(m_sandbox.port());
        const QString key = m_sandbox.createAccount({{QStringLiteral("email"), "old@example.org"}});
        QCOMPARE(key.size(), 48);
        QString grouped;
        for (int i = 0; i < key.size(); i += 4)
            grouped += key.mid(i, 4) + QLatin1Char(' ');

        ModalDriver<TRestoreAccountForm> restore([&](TRestoreAccountForm* form) {
            QTest::keyClicks(control(form, "emailEdit"), QStringLiteral("old@example.org"));
            button(form, "sendCodeButton")->click();
            QTRY_VERIFY(!form->waitingForService());
            QVERIFY(form->isVisible());
            QTest::keyClicks(control(form, "codeEdit"), grouped);
            QVERIFY(!button(form, "sendCodeButton")->isEnabled());
            button(form, "okButton")->click();
        });
        ModalDriver<TRegForm> registration(
            [](TRegForm* form) { button(form, "restoreButton")->click(); });
        auto form = mainWindow(m_client);
        QCOMPARE(form->creation(), TMainForm::Creation::Running);
        QCOMPARE(registration.count(), 1);
        QCOMPARE(restore.count(), 1);
        QCOMPARE(storedKey(), key);
        QCOMPARE(m_client->userKey(), key);

        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].caption, QStringLiteral("Инфо"));
        QVERIFY2(asked[0].text.contains(key), qPrintable(asked[0].text));
        QVERIFY(asked[0].text.contains(QStringLiteral("\r\n")));
    }

    void restoreOfAnUnknownUser() {
        useSandbox(m_sandbox.port());
        TRestoreAccountForm form(m_client);
        form.show();
        QTest::keyClicks(control(&form, "emailEdit"), QStringLiteral("nobody@example.org"));
        button(&form, "sendCodeButton")->click();
        QTRY_VERIFY(!form.waitingForService());
        QCOMPARE(askedTexts(),
                 QStringList{QStringLiteral("Ошибка: Возможно такого пользователя нет.")});
        QVERIFY(form.isVisible());
        QVERIFY(storedKey().isEmpty());
    }

    void restoreWithoutConnectionCloses() {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        useSandbox(port);
        TRestoreAccountForm form(m_client);
        form.show();
        QTest::keyClicks(control(&form, "emailEdit"), QStringLiteral("old@example.org"));
        button(&form, "sendCodeButton")->click();
        QTRY_VERIFY(!form.waitingForService());
        QCOMPARE(askedTexts(), QStringList{QStringLiteral("Ошибка: Невозможно установить "
                                                          "соединение с сервером!\r\nПроверьте "
                                                          "настройки соединения.")});
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QVERIFY(!form.isVisible());
    }

    // A restore in the registration dialog is told to whoever opened it.
    void restoreIsTold() {
        ModalDriver<TRestoreAccountForm> restore([](TRestoreAccountForm* form) {
            QTest::keyClicks(control(form, "codeEdit"), QStringLiteral(" ") + kKey);
            button(form, "okButton")->click();
        });
        ModalDriver<TRegForm> registration(
            [](TRegForm* form) { button(form, "restoreButton")->click(); });
        int refreshes = 0;
        QVERIFY(AccountDialogs::registration(m_client, [&refreshes] { ++refreshes; }));
        QCOMPARE(refreshes, 1);
        QCOMPARE(storedKey(), kKey);
        QCOMPARE(m_client->userKey(), kKey);
    }

    // Wired as the program wires it: a login that finds the key unknown opens registration,
    // and a restore there has the login thread try the new key at once and lets registration
    // be offered again.
    void runTimeRestoreRefreshesAtOnce() {
        Settings(*m_registry).runFirstStart({});
        Registry().writeBytes(QString(), QString(),
                              "00000000000000000000000000000000000000000000FFFF");
        std::atomic<int> refreshes{0};
        TMainForm::Options options;
        options.client = m_client;
        options.instanceName = QStringLiteral("varnelo-account-test");
        options.refresh = [&refreshes] { ++refreshes; };
        options.dialogs.registration = [client = m_client](const std::function<void()>& restored) {
            return AccountDialogs::registration(client, restored);
        };
        TMainForm form(options);
        QCOMPARE(form.creation(), TMainForm::Creation::Running);
        QTRY_COMPARE(refreshes.load(), 1);

        ModalDriver<TRestoreAccountForm> restore([](TRestoreAccountForm* dialog) {
            QTest::keyClicks(control(dialog, "codeEdit"), kKey);
            button(dialog, "okButton")->click();
        });
        ModalDriver<TRegForm> registration(
            [](TRegForm* dialog) { button(dialog, "restoreButton")->click(); });
        LoginOutcome unknownKey;
        unknownKey.offerRegistration = true;
        m_client->setUserKey(QString());
        form.showLogin(unknownKey);
        QCOMPARE(registration.count(), 1);
        QCOMPARE(m_client->userKey(), kKey);
        QTRY_COMPARE(refreshes.load(), 2);
        m_client->setUserKey(QString());
        form.showLogin(unknownKey);
        QCOMPARE(registration.count(), 2);
    }

    void restoreCancelStoresNothing() {
        TRestoreAccountForm form(m_client);
        form.show();
        QTest::keyClicks(control(&form, "codeEdit"), kKey);
        QTest::keyClick(control(&form, "codeEdit"), Qt::Key_Escape);
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QVERIFY(storedKey().isEmpty());
    }

    // A protected key at start: three wrong passwords, Retry twice, then Cancel.
    void wrongPasswordThreeTimesThenCancel() {
        Settings settings(*m_registry);
        settings.runFirstStart({});
        Registry().writeBytes(QString(), QString(), protectedKey(kKey, QStringLiteral("верный")));
        ModalDriver<TPswForm> password([](TPswForm* form) {
            QCOMPARE(form->windowTitle(), QStringLiteral("Авторизация"));
            QCOMPARE(control(form, "passwordEdit")->echoMode(), QLineEdit::Password);
            control(form, "passwordEdit")->setText(QStringLiteral("неверный"));
            QTest::keyClick(control(form, "passwordEdit"), Qt::Key_Return);
        });
        Prompts::queueAnswer(int(QMessageBox::Retry));
        Prompts::queueAnswer(int(QMessageBox::Retry));
        Prompts::queueAnswer(int(QMessageBox::Cancel));
        auto form = mainWindow(m_client);
        QCOMPARE(form->creation(), TMainForm::Creation::GaveUp);
        QCOMPARE(password.count(), 3);
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 3);
        for (const Prompts::Asked& box : asked) {
            QCOMPARE(box.text, QStringLiteral("Неверный пароль!"));
            QCOMPARE(box.caption, QStringLiteral("Error"));
            QCOMPARE(box.buttons, QMessageBox::Retry | QMessageBox::Cancel);
        }
        QVERIFY(m_client->userKey().isEmpty() || m_client->userKey() != kKey);
    }

    void passwordDialogCancelEndsTheProgram() {
        Settings(*m_registry).runFirstStart({});
        Registry().writeBytes(QString(), QString(), protectedKey(kKey, QStringLiteral("a")));
        ModalDriver<TPswForm> password(
            [](TPswForm* form) { button(form, "cancelButton")->click(); });
        auto form = mainWindow(m_client);
        QCOMPARE(form->creation(), TMainForm::Creation::GaveUp);
        QVERIFY(Prompts::takeAsked().isEmpty());
    }

    // Setting, changing and removing the password from the settings dialog, with what is
    // stored each time, and the start that follows.
    void passwordLife() {
        Settings(*m_registry).runFirstStart({});
        Registry().writeBytes(QString(), QString(), Ansi::fromUnicode(kKey));
        m_client->setUserKey(kKey);

        const auto change = [this](const QString& current, const QString& next,
                                   const QString& confirmation) {
            ModalDriver<TMakePswForm> driver([&](TMakePswForm* form) {
                control(form, "currentEdit")->setText(current);
                QTest::keyClick(control(form, "currentEdit"), Qt::Key_Return);
                control(form, "newEdit")->setText(next);
                control(form, "confirmationEdit")->setText(confirmation);
                if (next != confirmation) {
                    button(form, "okButton")->click();
                    QVERIFY(control(form, "newEdit")->text().isEmpty());
                    QVERIFY(control(form, "confirmationEdit")->text().isEmpty());
                    QVERIFY(form->isVisible());
                    button(form, "cancelButton")->click();
                    return;
                }
                QTest::keyClick(control(form, "confirmationEdit"), Qt::Key_Return);
            });
            return ChangeAccessPassword(*m_client, nullptr);
        };

        // Set.
        QVERIFY(change(QString(), QStringLiteral("пароль"), QStringLiteral("пароль")));
        QCOMPARE(askedTexts(), QStringList{QStringLiteral("Информация: Пароль изменен!")});
        QCOMPARE(Registry().readBytes(QString(), QString()),
                 std::optional<QByteArray>(protectedKey(kKey, QStringLiteral("пароль"))));
        QCOMPARE(storedKey().size(), 96);
        QCOMPARE(m_client->userKey(), kKey);

        // A wrong current password changes nothing; neither does a mismatch.
        QVERIFY(!change(QStringLiteral("другой"), QStringLiteral("x"), QStringLiteral("x")));
        QCOMPARE(askedTexts(), QStringList{QStringLiteral("Ошибка: Неверный пароль!")});
        QVERIFY(!change(QStringLiteral("пароль"), QStringLiteral("x"), QStringLiteral("y")));
        QCOMPARE(askedTexts(),
                 QStringList{QStringLiteral("Ошибка: Введенные пароли не совпадают!")});
        QCOMPARE(Registry().readBytes(QString(), QString()),
                 std::optional<QByteArray>(protectedKey(kKey, QStringLiteral("пароль"))));

        // Change.
        QVERIFY(change(QStringLiteral("пароль"), QStringLiteral("Z9"), QStringLiteral("Z9")));
        QCOMPARE(askedTexts(), QStringList{QStringLiteral("Информация: Пароль изменен!")});
        QCOMPARE(Registry().readBytes(QString(), QString()),
                 std::optional<QByteArray>(protectedKey(kKey, QStringLiteral("Z9"))));

        // The next start asks for it and takes it.
        {
            ModalDriver<TPswForm> password([](TPswForm* form) {
                QTest::keyClicks(control(form, "passwordEdit"), QStringLiteral("Z9"));
                button(form, "okButton")->click();
            });
            m_client->setUserKey(QString());
            auto form = mainWindow(m_client);
            QCOMPARE(form->creation(), TMainForm::Creation::Running);
            QCOMPARE(password.count(), 1);
            QCOMPARE(m_client->userKey(), kKey);
        }

        // Remove: the plain key again, and no question at the next start.
        QVERIFY(change(QStringLiteral("Z9"), QString(), QString()));
        QCOMPARE(askedTexts(), QStringList{QStringLiteral("Информация: Пароль изменен!")});
        QCOMPARE(storedKey(), kKey);
        {
            ModalDriver<TPswForm> password(
                [](TPswForm* form) { button(form, "cancelButton")->click(); });
            auto form = mainWindow(m_client);
            QCOMPARE(form->creation(), TMainForm::Creation::Running);
            QCOMPARE(password.count(), 0);
        }
    }

    void makePasswordKeys() {
        TMakePswForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        control(&form, "currentEdit")->setFocus();
        QTest::keyClick(control(&form, "currentEdit"), Qt::Key_Return);
        QVERIFY(control(&form, "newEdit")->hasFocus());
        QTest::keyClick(control(&form, "newEdit"), Qt::Key_Return);
        QVERIFY(control(&form, "confirmationEdit")->hasFocus());
        QVERIFY(form.isVisible());
        QTest::keyClick(control(&form, "confirmationEdit"), Qt::Key_Escape);
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QVERIFY(!form.isVisible());
        QCOMPARE(form.windowTitle(), QStringLiteral("Создать пароль"));
    }

    // Last: a picture of each dialog, when asked for.
    void screenshots() {
        if (!Screenshots::wanted())
            QSKIP("set VARNELO_SCREENSHOTS to a folder");
        TRegForm registration(m_client);
        QVERIFY(Screenshots::save(&registration, QStringLiteral("registration")));
        TRestoreAccountForm restore(m_client);
        QVERIFY(Screenshots::save(&restore, QStringLiteral("restore")));
        TPswForm password;
        QVERIFY(Screenshots::save(&password, QStringLiteral("password")));
        TMakePswForm make;
        QVERIFY(Screenshots::save(&make, QStringLiteral("make-password")));
    }
};

QTEST_MAIN(AccountDialogsTest)
#include "AccountDialogsTest.moc"
