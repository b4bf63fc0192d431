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
#include "service/ServiceState.h"
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

void fill(TRegForm* form, const Person& person) {
    form->EditFIO->setText(person.name);
    form->EditCity->setText(person.city);
    form->Editnumber->setText(person.number);
    form->EditBirth->setDate(person.birth);
    form->EditEMail->setText(person.email);
    form->Edit1->setText(person.referrer);
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
std::unique_ptr<TMainForm> mainWindow(int* refreshes = nullptr) {
    TMainForm::Options options;
    options.instanceName = QStringLiteral("varnelo-account-test");
    options.refresh = [refreshes] {
        if (refreshes)
            ++*refreshes;
    };
    options.dialogs.password = [] { return AccountDialogs::password(); };
    options.dialogs.registration = [] { return AccountDialogs::registration(); };
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

    // The store as the program leaves it, talking to the sandbox.
    void useSandbox(quint16 port) {
        Settings settings(*m_registry);
        settings.runFirstStart({});
        settings.set(Setting::Host, QStringLiteral("127.0.0.1"));
        settings.set(Setting::Port, qint32(port));
        ServiceState::SetServiceAddress(QStringLiteral("127.0.0.1"), port);
    }

private slots:
    void initTestCase() {
        Prompts::enableTestMode();
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
        QVERIFY(SkinUnit::active().loadActiveSkin());
    }

    void init() {
        QVERIFY(m_sandbox.reset());
        {
            Registry registry;
            for (const QString& name : registry.valueNames(QString()))
                registry.deleteValue(QString(), name);
        }
        m_registry = std::make_shared<Registry>();
        ServiceState::SetSettingsStore(m_registry);
        ServiceState::UserKey.set(QString());
        ServiceState::RegistrationOffered.set(false);
        TSettingsForm::resetSkinChangedForTests();
        Prompts::takeAsked();
    }

    // A first start without a key: the registration dialog, the server set through its
    // connection settings, a new account from the sandbox, and then the main window.
    void firstStartRegistersAndRuns() {
        ModalDriver<TSettingsForm> settings([this](TSettingsForm* form) {
            QVERIFY(!form->PageControl1->isTabVisible(1));
            QVERIFY(!form->PageControl1->isTabVisible(2));
            QVERIFY(!form->PageControl1->isTabVisible(3));
            form->Edit1->setText(QStringLiteral("127.0.0.1"));
            form->Edit2->setText(QString::number(m_sandbox.port()));
            form->ButOK->click();
        });
        ModalDriver<TRegForm> registration([](TRegForm* form) {
            QCOMPARE(form->windowTitle(), QStringLiteral("Регистрация пользователя"));
            form->SpeedButton1->click(); // connection settings
            fill(form, Person());
            form->ButOK->click();
        });
        int refreshes = 0;
        auto form = mainWindow(&refreshes);
        QCOMPARE(form->creation(), TMainForm::Creation::Running);
        QCOMPARE(registration.count(), 1);
        QCOMPARE(settings.count(), 1);

        const QString key = storedKey();
        QCOMPARE(key.size(), 48);
        QCOMPARE(ServiceState::UserKey.get(), key);
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
            << true << "EditFIO"
            << "x@example.org"
            << "Предупреждение: Неверно указана дата рождения!";
        QTest::newRow("no name") << false << "EditFIO"
                                 << "x@example.org"
                                 << "Предупреждение: Вы заполнили не все поля!";
        QTest::newRow("no city") << false << "EditCity"
                                 << "x@example.org"
                                 << "Предупреждение: Вы заполнили не все поля!";
        QTest::newRow("no number") << false << "Editnumber"
                                   << "x@example.org"
                                   << "Предупреждение: Вы заполнили не все поля!";
        QTest::newRow("no e-mail") << false << "EditEMail"
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

        TRegForm form;
        Person person;
        person.email = email;
        person.referrer = QStringLiteral("friend@example.org");
        fill(&form, person);
        if (noBirthDate)
            form.EditBirth->setDate(TRegForm::zeroDate());
        if (!emptyField.isEmpty())
            form.findChild<QLineEdit*>(emptyField)->clear();
        form.show();
        form.ButOK->click();
        QCOMPARE(askedTexts(), QStringList{asked});
        QVERIFY(form.isVisible());
        QVERIFY(storedKey().isEmpty());
        QVERIFY(ServiceState::UserKey.get().isEmpty());
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
        TRegForm form;
        form.show();
        QTest::keyClicks(form.EditBirth, typed);
        QCOMPARE(form.EditBirth->text(), shown);
        QCOMPARE(form.EditBirth->date(), date.isValid() ? date : TRegForm::zeroDate());
        // The other fields are empty: a date passes the first check and meets the second.
        form.ButOK->click();
        QCOMPARE(askedTexts(),
                 QStringList{date.isValid() ? QStringLiteral("Предупреждение: Вы заполнили "
                                                             "не все поля!")
                                            : QStringLiteral("Предупреждение: Неверно указана "
                                                             "дата рождения!")});
        QVERIFY(form.isVisible());
    }

    void birthDateTakesItsTurnAtTab() {
        TRegForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(QApplication::focusWidget(), form.EditFIO);
        const QList<QWidget*> order = {form.EditFIO,   form.EditCity,  form.Editnumber,
                                       form.EditBirth, form.EditEMail, form.Edit1};
        for (int i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[i]);
        }
    }

    // Empty, the calendar opens at January thirty years back; with a date, at that date.
    // Picked by keys, the date fills the field; Escape closes the calendar, not the dialog.
    void birthCalendarByKeys() {
        TRegForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.EditBirth->setFocus();
        QTest::keyClick(form.EditBirth, Qt::Key_F4);
        QCalendarWidget* calendar = form.EditBirth->calendar();
        QVERIFY(calendar);
        QVERIFY(form.EditBirth->calendarShown());
        const int year = QDate::currentDate().year() - 30;
        QCOMPARE(calendar->yearShown(), year);
        QCOMPARE(calendar->monthShown(), 1);
        QTest::keyClick(calendar->focusProxy(), Qt::Key_Escape);
        QVERIFY(!form.EditBirth->calendarShown());
        QVERIFY(form.isVisible());
        QVERIFY(!form.gaveUp());
        QCOMPARE(form.EditBirth->date(), TRegForm::zeroDate());

        QTest::keyClick(form.EditBirth, Qt::Key_Down, Qt::AltModifier);
        QVERIFY(form.EditBirth->calendarShown());
        QTest::keyClick(calendar->focusProxy(), Qt::Key_Right);
        QTest::keyClick(calendar->focusProxy(), Qt::Key_Return);
        QVERIFY(!form.EditBirth->calendarShown());
        QCOMPARE(form.EditBirth->date(), QDate(year, 1, 2));
        QCOMPARE(form.EditBirth->text(), QStringLiteral("02.01.%1").arg(year));

        form.EditBirth->setDate(QDate(1980, 5, 17));
        form.EditBirth->showCalendar();
        QCOMPARE(calendar->yearShown(), 1980);
        QCOMPARE(calendar->monthShown(), 5);
        QCOMPARE(calendar->selectedDate(), QDate(1980, 5, 17));
    }

    void referrerMayBeEmpty() {
        useSandbox(m_sandbox.port());
        TRegForm form;
        fill(&form, Person());
        form.show();
        form.ButOK->click();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(storedKey().size(), 48);
    }

    // While the service answers, the dialog keeps painting but takes no input: Escape and
    // a second click do nothing, and the reply still lands.
    void slowReplyBlocksTheDialog() {
        useSandbox(m_sandbox.port());
        QVERIFY(m_sandbox.failNext(1, QStringLiteral("delay"), 700));
        TRegForm form;
        fill(&form, Person());
        form.show();
        int ticksWhileBlocked = 0;
        QTimer watcher;
        watcher.setInterval(5);
        connect(&watcher, &QTimer::timeout, &form, [&] {
            if (form.isEnabled())
                return;
            if (++ticksWhileBlocked > 1)
                return;
            // Press and release, both refused by the blocked dialog.
            for (int i = 0; i < 2; ++i)
                QTest::ignoreMessage(QtWarningMsg,
                                     "Keyboard event not accepted by receiving widget");
            QTest::keyClick(&form, Qt::Key_Escape);
            form.ButOK->click();
        });
        watcher.start();
        form.ButOK->click();
        watcher.stop();
        QVERIFY(ticksWhileBlocked > 0);
        QVERIFY(!form.gaveUp());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(storedKey().size(), 48);
        QCOMPARE(Prompts::takeAsked().size(), 1);
    }

    void noConnectionKeepsTheDialog() {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        useSandbox(port);

        TRegForm form;
        fill(&form, Person());
        form.show();
        form.ButOK->click();
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
            TRegForm form;
            fill(&form, Person());
            form.show();
            form.ButOK->click();
            asked = askedTexts();
            QVERIFY(form.isVisible());
            QVERIFY(form.isEnabled());
        } else {
            TRestoreAccountForm form;
            form.show();
            QTest::keyClicks(form.EditEMail, QStringLiteral("old@example.org"));
            form.ButOK->click();
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
        ServiceState::SetSettingsStore(nullptr);
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
                QTest::keyClick(form->EditCity, Qt::Key_Escape);
            else
                form->ButCancel->click();
        });
        auto form = mainWindow();
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
        TRestoreAccountForm form;
        QVERIFY(!form.ButOK->isEnabled());
        QVERIFY(!form.SpeedButton1->isEnabled());
        QTest::keyClicks(form.EditEMail, email);
        QTest::keyClicks(form.Edit1, code);
        QCOMPARE(form.ButOK->isEnabled(), sendEnabled);
        QCOMPARE(form.SpeedButton1->isEnabled(), okEnabled);
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
            QTest::keyClicks(form->EditEMail, QStringLiteral("old@example.org"));
            form->ButOK->click();
            QVERIFY(form->isVisible());
            QTest::keyClicks(form->Edit1, grouped);
            QVERIFY(!form->ButOK->isEnabled());
            form->SpeedButton1->click();
        });
        ModalDriver<TRegForm> registration([](TRegForm* form) { form->SpeedButton2->click(); });
        ServiceState::RegistrationOffered.set(false);
        auto form = mainWindow();
        QCOMPARE(form->creation(), TMainForm::Creation::Running);
        QCOMPARE(registration.count(), 1);
        QCOMPARE(restore.count(), 1);
        QCOMPARE(storedKey(), key);
        QCOMPARE(ServiceState::UserKey.get(), key);

        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].caption, QStringLiteral("Инфо"));
        QVERIFY2(asked[0].text.contains(key), qPrintable(asked[0].text));
        QVERIFY(asked[0].text.contains(QStringLiteral("\r\n")));
    }

    void restoreOfAnUnknownUser() {
        useSandbox(m_sandbox.port());
        TRestoreAccountForm form;
        form.show();
        QTest::keyClicks(form.EditEMail, QStringLiteral("nobody@example.org"));
        form.ButOK->click();
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
        TRestoreAccountForm form;
        form.show();
        QTest::keyClicks(form.EditEMail, QStringLiteral("old@example.org"));
        form.ButOK->click();
        QCOMPARE(askedTexts(), QStringList{QStringLiteral("Ошибка: Невозможно установить "
                                                          "соединение с сервером!\r\nПроверьте "
                                                          "настройки соединения.")});
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QVERIFY(!form.isVisible());
    }

    // At run time the login thread asked for the dialog; a restore then asks for a refresh
    // at once and lets registration be offered again.
    void restoreAtRunTimeAsksForRefresh_data() {
        QTest::addColumn<bool>("askedByLogin");
        QTest::newRow("asked by the login thread") << true;
        QTest::newRow("at start") << false;
    }
    void restoreAtRunTimeAsksForRefresh() {
        QFETCH(bool, askedByLogin);
        ServiceState::RegistrationOffered.set(askedByLogin);
        ModalDriver<TRestoreAccountForm> restore([](TRestoreAccountForm* form) {
            QTest::keyClicks(form->Edit1, QStringLiteral(" ") + kKey);
            form->SpeedButton1->click();
        });
        ModalDriver<TRegForm> registration([](TRegForm* form) { form->SpeedButton2->click(); });
        int refreshes = 0;
        QVERIFY(AccountDialogs::registration([&refreshes] { ++refreshes; }));
        QCOMPARE(refreshes, askedByLogin ? 1 : 0);
        QCOMPARE(ServiceState::RegistrationOffered.get(), false);
        QCOMPARE(storedKey(), kKey);
    }

    // Wired as the program wires it: message 253 from the login thread opens registration,
    // and a restore there has the login thread try the new key at once.
    void runTimeRestoreRefreshesAtOnce() {
        Settings(*m_registry).runFirstStart({});
        Registry().writeBytes(QString(), QString(),
                              "00000000000000000000000000000000000000000000FFFF");
        std::atomic<int> refreshes{0};
        TMainForm* self = nullptr;
        TMainForm::Options options;
        options.instanceName = QStringLiteral("varnelo-account-test");
        options.refresh = [&refreshes] { ++refreshes; };
        options.dialogs.registration = [&self] {
            return AccountDialogs::registration([&self] {
                if (self)
                    self->requestUserInfo();
            });
        };
        TMainForm form(options);
        self = &form;
        QCOMPARE(form.creation(), TMainForm::Creation::Running);
        QTRY_COMPARE(refreshes.load(), 1);

        ModalDriver<TRestoreAccountForm> restore([](TRestoreAccountForm* dialog) {
            QTest::keyClicks(dialog->Edit1, kKey);
            dialog->SpeedButton1->click();
        });
        ModalDriver<TRegForm> registration([](TRegForm* dialog) { dialog->SpeedButton2->click(); });
        form.WMUserMessage(253, 0);
        QCOMPARE(registration.count(), 1);
        QCOMPARE(ServiceState::UserKey.get(), kKey);
        QCOMPARE(ServiceState::RegistrationOffered.get(), false);
        QTRY_COMPARE(refreshes.load(), 2);
    }

    void restoreCancelStoresNothing() {
        TRestoreAccountForm form;
        form.show();
        QTest::keyClicks(form.Edit1, kKey);
        QTest::keyClick(form.Edit1, Qt::Key_Escape);
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
            QCOMPARE(form->Edit1->echoMode(), QLineEdit::Password);
            form->Edit1->setText(QStringLiteral("неверный"));
            QTest::keyClick(form->Edit1, Qt::Key_Return);
        });
        Prompts::queueAnswer(int(QMessageBox::Retry));
        Prompts::queueAnswer(int(QMessageBox::Retry));
        Prompts::queueAnswer(int(QMessageBox::Cancel));
        auto form = mainWindow();
        QCOMPARE(form->creation(), TMainForm::Creation::GaveUp);
        QCOMPARE(password.count(), 3);
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 3);
        for (const Prompts::Asked& box : asked) {
            QCOMPARE(box.text, QStringLiteral("Неверный пароль!"));
            QCOMPARE(box.caption, QStringLiteral("Error"));
            QCOMPARE(box.buttons, QMessageBox::Retry | QMessageBox::Cancel);
        }
        QVERIFY(ServiceState::UserKey.get().isEmpty() || ServiceState::UserKey.get() != kKey);
    }

    void passwordDialogCancelEndsTheProgram() {
        Settings(*m_registry).runFirstStart({});
        Registry().writeBytes(QString(), QString(), protectedKey(kKey, QStringLiteral("a")));
        ModalDriver<TPswForm> password([](TPswForm* form) { form->ButCancel->click(); });
        auto form = mainWindow();
        QCOMPARE(form->creation(), TMainForm::Creation::GaveUp);
        QVERIFY(Prompts::takeAsked().isEmpty());
    }

    // Setting, changing and removing the password from the settings dialog, with what is
    // stored each time, and the start that follows.
    void passwordLife() {
        Settings(*m_registry).runFirstStart({});
        Registry().writeBytes(QString(), QString(), Ansi::fromUnicode(kKey));
        ServiceState::UserKey.set(kKey);

        const auto change = [](const QString& current, const QString& next,
                               const QString& confirmation) {
            ModalDriver<TMakePswForm> driver([&](TMakePswForm* form) {
                form->Edit3->setText(current);
                QTest::keyClick(form->Edit3, Qt::Key_Return);
                form->Edit1->setText(next);
                form->Edit2->setText(confirmation);
                if (next != confirmation) {
                    form->ButOK->click();
                    QVERIFY(form->Edit1->text().isEmpty());
                    QVERIFY(form->Edit2->text().isEmpty());
                    QVERIFY(form->isVisible());
                    form->ButCancel->click();
                    return;
                }
                QTest::keyClick(form->Edit2, Qt::Key_Return);
            });
            return ChangeAccessPassword(nullptr);
        };

        // Set.
        QVERIFY(change(QString(), QStringLiteral("пароль"), QStringLiteral("пароль")));
        QCOMPARE(askedTexts(), QStringList{QStringLiteral("Информация: Пароль изменен!")});
        QCOMPARE(Registry().readBytes(QString(), QString()),
                 std::optional<QByteArray>(protectedKey(kKey, QStringLiteral("пароль"))));
        QCOMPARE(storedKey().size(), 96);
        QCOMPARE(ServiceState::UserKey.get(), kKey);

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
                QTest::keyClicks(form->Edit1, QStringLiteral("Z9"));
                form->ButOK->click();
            });
            ServiceState::UserKey.set(QString());
            auto form = mainWindow();
            QCOMPARE(form->creation(), TMainForm::Creation::Running);
            QCOMPARE(password.count(), 1);
            QCOMPARE(ServiceState::UserKey.get(), kKey);
            ServiceState::SetSettingsStore(m_registry);
        }

        // Remove: the plain key again, and no question at the next start.
        QVERIFY(change(QStringLiteral("Z9"), QString(), QString()));
        QCOMPARE(askedTexts(), QStringList{QStringLiteral("Информация: Пароль изменен!")});
        QCOMPARE(storedKey(), kKey);
        {
            ModalDriver<TPswForm> password([](TPswForm* form) { form->ButCancel->click(); });
            auto form = mainWindow();
            QCOMPARE(form->creation(), TMainForm::Creation::Running);
            QCOMPARE(password.count(), 0);
        }
    }

    void makePasswordKeys() {
        TMakePswForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.Edit3->setFocus();
        QTest::keyClick(form.Edit3, Qt::Key_Return);
        QVERIFY(form.Edit1->hasFocus());
        QTest::keyClick(form.Edit1, Qt::Key_Return);
        QVERIFY(form.Edit2->hasFocus());
        QVERIFY(form.isVisible());
        QTest::keyClick(form.Edit2, Qt::Key_Escape);
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QVERIFY(!form.isVisible());
        QCOMPARE(form.windowTitle(), QStringLiteral("Создать пароль"));
    }

    // Last: a picture of each dialog, when asked for.
    void screenshots() {
        if (!Screenshots::wanted())
            QSKIP("set VARNELO_SCREENSHOTS to a folder");
        TRegForm registration;
        QVERIFY(Screenshots::save(&registration, QStringLiteral("registration")));
        TRestoreAccountForm restore;
        QVERIFY(Screenshots::save(&restore, QStringLiteral("restore")));
        TPswForm password;
        QVERIFY(Screenshots::save(&password, QStringLiteral("password")));
        TMakePswForm make;
        QVERIFY(Screenshots::save(&make, QStringLiteral("make-password")));
    }
};

QTEST_MAIN(AccountDialogsTest)
#include "AccountDialogsTest.moc"
