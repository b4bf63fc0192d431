#include "Screenshots.h"
#include "TestProfile.h"
#include "UrlRecorder.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "contacts/ui/AddContactUnit.h"
#include "contacts/ui/ContactTreeView.h"
#include "history/HistoryFile.h"
#include "platform/Ansi.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "platform/Sound.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"
#include "shared/StoredValueCipher.h"
#include "shell/MainUnit.h"
#include "shell/StatusLabel.h"
#include "shell/TrayIcon.h"
#include "shell/WindowEffects.h"
#include "skins/SkinWriter.h"
#include "skins/ui/ImageButton3.h"
#include "skins/ui/SkinUnit.h"

#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QMutex>
#include <QPainter>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSizeGrip>
#include <QStatusBar>
#include <QTcpServer>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <atomic>

namespace {

const QString kKey = QStringLiteral("0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF");

// Records the addresses the program hands to the desktop.
// The form with a counting login routine and its own single-instance name.
struct FormUnderTest {
    std::atomic<int> refreshes{0};
    QStringList infoTexts;
    int registrations = 0;
    int payWindows = 0;
    // The pages opened: sender, name, number, sign, text, translit, and the node.
    struct Page {
        QStringList fields;
        bool translit = false;
        BookEntry* node = nullptr;
    };
    QList<Page> pages;
    std::shared_ptr<ServiceClient> client =
        std::make_shared<ServiceClient>(std::make_shared<Registry>());
    // A registration that succeeds.
    std::function<bool()> onRegistration = [this] {
        client->setUserKey(kKey);
        return true;
    };
    std::unique_ptr<TMainForm> form;

    explicit FormUnderTest(const QString& instance = QStringLiteral("varnelo-shell-test")) {
        TMainForm::Options options;
        options.client = client;
        options.refresh = [this] { ++refreshes; };
        options.instanceName = instance;
        options.dialogs.info = [this](const QString& text) { infoTexts << text; };
        options.dialogs.registration = [this](const std::function<void()>&) {
            ++registrations;
            return onRegistration();
        };
        options.dialogs.payWindow = [this] { ++payWindows; };
        options.dialogs.createNewPage =
            [this](const QString& sender, const QString& name, const QString& number,
                   const QString& sign, const QString& text, bool translit, BookEntry* node) {
                pages << Page{{sender, name, number, sign, text}, translit, node};
            };
        form = std::make_unique<TMainForm>(options);
    }
    TMainForm* operator->() const { return form.get(); }
};

// A logged-in store whose window fades out when it closes.
void storeWithSlowHide(Registry& registry) {
    Settings settings(registry);
    settings.runFirstStart({});
    settings.setStoredUserKey(kKey);
    settings.set(Setting::UseAlphaBlend, true);
    settings.set(Setting::SlowHideOnClose, true);
}

void clearStore() {
    Registry registry;
    for (const QString& name : registry.valueNames(QString()))
        registry.deleteValue(QString(), name);
    registry.deleteKeyTree(ContactStore::kBookKey);
}

QByteArray protectedKey(const QString& key, const QString& password) {
    return StoredValueCipher::EncipherValue(
        StoredValueCipher::ScrambleWithPassword(Ansi::fromUnicode(key),
                                                Ansi::fromUnicode(password)),
        StoredValueCipher::kUserKeyKey);
}

void sendMouse(QWidget* widget, QEvent::Type type, const QPoint& global) {
    const QPointF local = widget->mapFromGlobal(QPointF(global));
    QMouseEvent event(type, local, QPointF(global), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    UrlRecorder m_urls;

private slots:
    void initTestCase() {
        Prompts::enableTestMode();
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &m_urls, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_urls, "open");
    }

    void cleanupTestCase() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    }

    void init() {
        clearStore();
        Prompts::takeAsked();
        m_urls.urls.clear();
    }

    void firstStartWritesDefaults() {
        FormUnderTest form;
        QCOMPARE(form->creation(), TMainForm::Creation::Running);
        Registry registry;
        const QStringList written = registry.valueNames(QString());
        QStringList expected;
        for (const Setting::Entry& setting : Setting::kTable) {
            if (setting.firstStart)
                expected << QString::fromLatin1(setting.name);
        }
        QVERIFY(!expected.isEmpty());
        for (const QString& name : expected)
            QVERIFY2(written.contains(name, Qt::CaseInsensitive), qPrintable(name));
        QCOMPARE(form.client->serverAddress().host, QStringLiteral("localhost"));
        QCOMPARE(form.client->serverAddress().port, 3000);
        QCOMPARE(form->pos(), QPoint(248, 111));
        QCOMPARE(form->size(), QSize(204, 387));
        QCOMPARE(form->minimumWidth(), 204);
        QCOMPARE(form->maximumWidth(), 204);
        QCOMPARE(form->minimumHeight(), 250);
        QVERIFY(form->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(form->windowTitle(), QStringLiteral("Varnelo"));
        QTRY_COMPARE(form.refreshes.load(), 1);
    }

    void storedPlaceAndStayOnTop() {
        Registry registry;
        Settings settings(registry);
        settings.runFirstStart({30, 40, 100});
        settings.set(Setting::StayOnTop, true);
        FormUnderTest form;
        QCOMPARE(form->pos(), QPoint(30, 40));
        QCOMPARE(form->height(), 250); // never below the minimum
        QVERIFY(form->stayOnTopAction()->isChecked());
        QVERIFY(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

        form->toggleStayOnTop();
        QVERIFY(!form->stayOnTopAction()->isChecked());
        QVERIFY(!form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(Registry().readBool(QString(), QStringLiteral("StayOnTop")), false);
    }

    void protectedKeyAsksPassword_data() {
        QTest::addColumn<QVariantList>("answers");
        QTest::addColumn<int>("wrongPasswordBoxes");
        QTest::addColumn<bool>("running");

        const QVariant retry = int(QMessageBox::Retry);
        const QVariant cancel = int(QMessageBox::Cancel);
        QTest::newRow("right at once") << QVariantList{QStringLiteral("секрет")} << 0 << true;
        QTest::newRow("wrong, retry, right")
            << QVariantList{QStringLiteral("x"), retry, QStringLiteral("секрет")} << 1 << true;
        QTest::newRow("wrong, cancel") << QVariantList{QStringLiteral("x"), cancel} << 1 << false;
        QTest::newRow("dialog cancelled") << QVariantList{QVariant()} << 0 << false;
    }
    void protectedKeyAsksPassword() {
        QFETCH(QVariantList, answers);
        QFETCH(int, wrongPasswordBoxes);
        QFETCH(bool, running);

        Registry registry;
        Settings(registry).runFirstStart({});
        const QByteArray stored = protectedKey(kKey, QStringLiteral("секрет"));
        QVERIFY(stored.size() > 48);
        registry.writeBytes(QString(), QString(), stored);
        for (const QVariant& answer : answers)
            Prompts::queueAnswer(answer);

        FormUnderTest form;
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        int boxes = 0;
        for (const Prompts::Asked& question : asked) {
            if (question.kind != QLatin1String("message"))
                continue;
            ++boxes;
            QCOMPARE(question.text, QStringLiteral("Неверный пароль!"));
            QCOMPARE(question.caption, QStringLiteral("Error"));
            QCOMPARE(question.buttons, QMessageBox::Retry | QMessageBox::Cancel);
            // The window is not shown yet: the box goes to the screen's centre.
            QVERIFY(!question.parent);
        }
        QCOMPARE(boxes, wrongPasswordBoxes);
        QCOMPARE(form->creation() == TMainForm::Creation::Running, running);
        if (running) {
            QCOMPARE(form.client->userKey(), kKey);
            QCOMPARE(Ansi::fromUnicode(form->StoredKeyText()),
                     StoredValueCipher::ScrambleWithPassword(
                         Ansi::fromUnicode(kKey), Ansi::fromUnicode(QStringLiteral("секрет"))));
        } else {
            // Giving up saves nothing.
            form->close();
            QVERIFY(!Registry().keyExists(ContactStore::kBookKey));
        }
    }

    // A protected key that no password can unlock is reported as such, with no password
    // asked, and registration (which offers the account restore) follows.
    void unreadableProtectedKeyLeadsToRegistration_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("registered");
        const QByteArray notCipher(96, 'Z');
        QVERIFY(!StoredValueCipher::DecipherValue(notCipher, StoredValueCipher::kUserKeyKey));
        const QByteArray odd = protectedKey(kKey, QStringLiteral("секрет")).chopped(1);
        const QByteArray shortText =
            StoredValueCipher::EncipherValue(QByteArray(30, 'k'), StoredValueCipher::kUserKeyKey);
        QVERIFY(shortText.size() > 48);
        QTest::newRow("not a cipher, registered") << notCipher << true;
        QTest::newRow("not a cipher, registration given up") << notCipher << false;
        QTest::newRow("odd length") << odd << true;
        QTest::newRow("deciphers into no key's length") << shortText << true;
    }
    void unreadableProtectedKeyLeadsToRegistration() {
        QFETCH(QByteArray, stored);
        QFETCH(bool, registered);
        Registry registry;
        Settings(registry).runFirstStart({});
        registry.writeBytes(QString(), QString(), stored);
        Prompts::queueAnswer(QStringLiteral("любой пароль"));

        int registrations = 0;
        TMainForm::Options options;
        options.client = std::make_shared<ServiceClient>(std::make_shared<Registry>());
        options.refresh = [] {};
        options.instanceName = QStringLiteral("varnelo-shell-test");
        options.dialogs.registration = [&registrations, registered,
                                        client = options.client](const std::function<void()>&) {
            ++registrations;
            if (registered)
                client->setUserKey(kKey);
            return registered;
        };
        TMainForm form(options);
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].kind, QStringLiteral("message"));
        QCOMPARE(asked[0].caption, QStringLiteral("Ошибка"));
        QCOMPARE(asked[0].text,
                 QStringLiteral("Сохраненный ключ аккаунта поврежден, прочитать его невозможно.\r\n"
                                "Зарегистрируйтесь заново или восстановите аккаунт (кнопка "
                                "\"Восстановление аккаунта\" в окне регистрации)."));
        QCOMPARE(registrations, 1);
        QCOMPARE(form.StoredKeyText(), QString());
        QCOMPARE(form.creation() == TMainForm::Creation::Running, registered);
        QCOMPARE(options.client->userKey(), registered ? kKey : QString());
        if (!registered) {
            // Nothing was written over the stored value.
            QCOMPARE(Registry().readBytes(QString(), QString()), std::optional<QByteArray>(stored));
        }
    }

    // A damaged history is told once at start.
    void damagedHistoryIsToldAtStart() {
        Registry registry;
        Settings(registry).setStoredUserKey(kKey);
        QVERIFY(HistoryFile().rewrite({}).isEmpty());
        QFile file(HistoryFile::defaultPath());
        QVERIFY(file.open(QIODevice::Append) && file.write("torn") == 4);
        file.close();
        FormUnderTest form;
        HistoryFile::Damage damage;
        HistoryFile().rewrite(HistoryFile().readAll(nullptr, &damage));
        QVERIFY(damage);
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].caption, QStringLiteral("Ошибка"));
        QCOMPARE(asked[0].text, QStringLiteral("Файл истории %1 поврежден: прочитано записей: 0. "
                                               "Копия поврежденного файла сохранена как %2.")
                                    .arg(HistoryFile::defaultPath(), damage->copyPath));
    }

    void plainKeyAsksNothing() {
        Registry registry;
        Settings(registry).runFirstStart({});
        Settings(registry).setStoredUserKey(kKey);
        FormUnderTest form;
        QVERIFY(Prompts::takeAsked().isEmpty());
        QCOMPARE(form.client->userKey(), kKey);
        QCOMPARE(form.registrations, 0);
    }

    void emptyKeyOpensRegistrationUntilThereIsOne() {
        int calls = 0;
        TMainForm::Options options;
        options.client = std::make_shared<ServiceClient>(std::make_shared<Registry>());
        options.refresh = [] {};
        options.instanceName = QStringLiteral("varnelo-shell-test");
        options.dialogs.registration = [&calls,
                                        client = options.client](const std::function<void()>&) {
            if (++calls == 2)
                client->setUserKey(kKey);
            return true;
        };
        {
            TMainForm form(options);
            QCOMPARE(calls, 2);
            QCOMPARE(form.creation(), TMainForm::Creation::Running);
        }

        options.dialogs.registration = [](const std::function<void()>&) { return false; };
        options.client->setUserKey(QString());
        TMainForm gaveUp(options);
        QCOMPARE(gaveUp.creation(), TMainForm::Creation::GaveUp);
    }

    // Every text the login shows in the status bar fits beside the size grip of the
    // 204-pixel window, in the desktop's font and in the wide DejaVu Sans.
    void statusTextsShowWhole_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("text");
        const QLocale russian(QLocale::Russian, QLocale::Russia);
        for (const QString& family : {QString(), QStringLiteral("DejaVu Sans")}) {
            const QString font = family.isEmpty() ? QStringLiteral("desktop font") : family;
            QStringList texts{QStringLiteral("Подключение..."), QStringLiteral("Не активирован"),
                              QStringLiteral("Ошибка. Проверьте настройки."),
                              QStringLiteral("SMS: 123456")};
            for (const double balance : {0.0, -5.0, 125.5, 999999.99})
                texts << QStringLiteral("Баланс: ") + russian.toCurrencyString(balance)
                      << QStringLiteral("Баланс: ") + QLocale::c().toCurrencyString(balance);
            for (const QString& text : texts)
                QTest::addRow("%s: %s", qPrintable(font), qPrintable(text)) << family << text;
        }
    }
    void statusTextsShowWhole() {
        QFETCH(QString, family);
        QFETCH(QString, text);
        FormUnderTest form;
        if (!family.isEmpty())
            form->setFont(QFont(family));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.form.get()));
        QCOMPARE(form->width(), 204);
        form->SetStatusText(text);
        QCoreApplication::processEvents();
        auto* label = form->statusBar()->findChild<StatusLabel*>();
        QVERIFY(label);
        QCOMPARE(label->text(), text);
        const QFont shown = label->shownFont();
        const int needed = QFontMetrics(shown, label).horizontalAdvance(text);
        const QRect room = label->contentsRect();
        QVERIFY2(needed <= room.width(),
                 qPrintable(QStringLiteral("%1 wide in %2").arg(needed).arg(room.width())));
        // Smaller only where the window's font would not fit, and still readable.
        if (label->fontMetrics().horizontalAdvance(text) <= room.width())
            QCOMPARE(shown.pointSizeF(), label->font().pointSizeF());
        QVERIFY(shown.pointSizeF() >= 7);
        QVERIFY(Screenshots::save(form->statusBar(),
                                  QStringLiteral("mainform.status.") + QTest::currentDataTag()));
        // Nothing lies over the text: not the grip, not the window's edge.
        const QRect area(label->mapTo(form.form.get(), room.topLeft()), room.size());
        QVERIFY(form->rect().contains(area));
        if (QWidget* grip = form->statusBar()->findChild<QSizeGrip*>())
            QVERIFY(!QRect(grip->mapTo(form.form.get(), QPoint()), grip->size())
                         .intersects(QRect(area.topLeft(), QSize(needed, area.height()))));
    }

    void statusBarClickRule() {
        FormUnderTest form;
        form->show();
        QTRY_COMPARE(form.refreshes.load(), 1); // the first login
        form->statusClickPause()->setInterval(1500);
        QLabel* status = form->statusBar()->findChild<QLabel*>();
        QVERIFY(status);

        QTest::mouseClick(status, Qt::LeftButton);
        QTest::mouseClick(form->statusBar(), Qt::LeftButton);
        QTRY_COMPARE(form.refreshes.load(), 2);
        QVERIFY(!form->statusClickArmed());

        QTRY_VERIFY(form->statusClickArmed());
        QCOMPARE(form.refreshes.load(), 2); // the click while disarmed asked for none
        QVERIFY(!form->statusClickPause()->isActive());
        QTest::mouseClick(status, Qt::LeftButton);
        QTRY_COMPARE(form.refreshes.load(), 3);
    }

    void timersAskForRefresh() {
        FormUnderTest form;
        QTRY_COMPARE(form.refreshes.load(), 1);
        QCOMPARE(form->balanceTimer()->interval(), 60000);
        QCOMPARE(form->loginRetryTimer()->interval(), 30000);
        QVERIFY(!form->balanceTimer()->isActive());

        form->RestartBalanceTimer();
        QVERIFY(form->balanceTimer()->isActive());
        form->balanceTimer()->setInterval(10);
        form->RestartBalanceTimer();
        QTRY_COMPARE(form.refreshes.load(), 2);
        QVERIFY(!form->balanceTimer()->isActive());

        form->loginRetryTimer()->setInterval(10);
        form->enableLoginRetry();
        QTRY_COMPARE(form.refreshes.load(), 3);
        QVERIFY(!form->loginRetryTimer()->isActive());
    }

    void secondStartHandsOver() {
        const QString name = QStringLiteral("varnelo-shell-handover");
        FormUnderTest first(name);
        first->show();
        first->hide();
        FormUnderTest second(name);
        QCOMPARE(second->creation(), TMainForm::Creation::SecondInstance);
        QTRY_VERIFY(first->isVisible());
        QVERIFY(!second->isVisible());
    }

    void serviceNoticeIsShownWithTheSound_data() {
        QTest::addColumn<QString>("notice");
        QTest::newRow("notice") << QStringLiteral("Новый тариф с понедельника");
        QTest::newRow("empty") << QString();
    }
    void serviceNoticeIsShownWithTheSound() {
        QFETCH(QString, notice);
        const QString sound = m_profile.root() + QStringLiteral("/sent.wav");
        QFile file(sound);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        // The sound plays on a worker.
        QMutex playedLock;
        QStringList played;
        Sound::setPlayerForTests([&](const QString& path) {
            const QMutexLocker locker(&playedLock);
            played << path;
        });
        const auto playedSoFar = [&] {
            const QMutexLocker locker(&playedLock);
            return played;
        };

        FormUnderTest form;
        Settings(*form->settingsStore()).set(Setting::SoundSentOK, sound);
        form->showServiceNotice(notice);
        QCOMPARE(form.infoTexts, QStringList{notice});
        QTRY_COMPARE(playedSoFar(), QStringList{sound});
        Sound::setPlayerForTests({});
    }

    void unknownKeyOffersRegistrationOnce_data() {
        QTest::addColumn<bool>("registered");
        QTest::newRow("registered") << true;
        QTest::newRow("gave up") << false; // ends the program, as at start
    }
    void unknownKeyOffersRegistrationOnce() {
        QFETCH(bool, registered);
        Settings(*std::make_shared<Registry>()).runFirstStart({});
        Settings(*std::make_shared<Registry>()).setStoredUserKey(kKey);
        FormUnderTest form;
        form.onRegistration = [registered] { return registered; };
        QSignalSpy ended(form.form.get(), &TMainForm::EndedAtOnce);
        form->show();
        QCOMPARE(form.registrations, 0);
        LoginOutcome unknownKey;
        unknownKey.offerRegistration = true;
        form.client->setUserKey(QString());
        form->showLogin(unknownKey);
        QCOMPARE(form.registrations, 1);
        QCOMPARE(ended.count(), registered ? 0 : 1);
        if (registered) {
            // Offered once a run, unless an account is restored there.
            form.client->setUserKey(QString());
            form->showLogin(unknownKey);
            QCOMPARE(form.registrations, 1);
        }
    }

    // Giving up the registration the login offered ends the program as giving up at start
    // does: no closing steps, so neither the book nor the position is saved, and no fade.
    void givenUpRegistrationEndsAtOnce() {
        Registry registry;
        storeWithSlowHide(registry);
        FormUnderTest form;
        form.onRegistration = [] { return false; };
        QSignalSpy ended(form.form.get(), &TMainForm::EndedAtOnce);
        QSignalSpy closed(form.form.get(), &TMainForm::FormClosed);
        BookEntry group;
        group.caption = QStringLiteral("Друзья");
        form->book().appendGroup(group);
        form->show();
        form->move(300, 200);
        const int alpha = form->windowEffects()->alpha();

        form->OfferRegistration();
        QCOMPARE(ended.count(), 1);
        // Whatever still reaches the window afterwards (the quit's own close) runs no step.
        QCoreApplication::processEvents();
        form->close();
        QCOMPARE(closed.count(), 0);
        QCOMPARE(form->windowEffects()->alpha(), alpha);
        QCOMPARE(registry.readInteger(QString(), QStringLiteral("Left")), 248);
        QCOMPARE(registry.readInteger(QString(), QStringLiteral("Top")), 111);
        QVERIFY(ContactStore::readBook(registry).isEmpty());
    }

    // With the slow hide, closing fades the window out on the screen first; the closing
    // steps end once it has faded, and a second close meanwhile changes nothing.
    void closingFadesBeforeTheWindowGoes() {
        Registry registry;
        storeWithSlowHide(registry);
        FormUnderTest form;
        QSignalSpy closed(form.form.get(), &TMainForm::FormClosed);
        form->show();
        QVERIFY(!form->close());
        QVERIFY(!form->close());
        QVERIFY(form->isVisible());
        QCOMPARE(closed.count(), 0);
        QVERIFY(form->windowEffects()->alpha() > 0);
        QTRY_COMPARE(closed.count(), 1);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->windowEffects()->alpha(), 0);
    }

    void paymentOpensThePageOrTheWindow() {
        Settings(*std::make_shared<Registry>()).runFirstStart({});
        Settings(*std::make_shared<Registry>()).setStoredUserKey(kKey);
        FormUnderTest form;
        form->showPayment();
        QCOMPARE(m_urls.urls.size(), 1);
        const QString address = m_urls.urls.first().toString();
        const QString prefix = QStringLiteral("http://localhost:3000/howpay.php?");
        QVERIFY2(address.startsWith(prefix), qPrintable(address));
        const QString query = address.mid(prefix.size());
        QCOMPARE(query.size(), 48 + 12);
        QCOMPARE(query.left(8), kKey.left(8));
        QCOMPARE(query.mid(38, 10), kKey.right(10));
        // The default colours InfoText $B1552C and Main $CEECD3.
        QCOMPARE(query.right(12), QStringLiteral("B1552CCEECD3"));
        QCOMPARE(form.payWindows, 0);

        AccountState account = form.client->account();
        account.extraOptionEnabled = true;
        form.client->setAccount(account);
        form->showPayment();
        QCOMPARE(form.payWindows, 1);
        QCOMPARE(m_urls.urls.size(), 1);
    }

    void loginOutcomeReachesTheWindow() {
        FormUnderTest form;
        LoginOutcome outcome;
        outcome.statusText = QStringLiteral("Баланс: 10,00 ₽");
        outcome.serverContactsVisible = true;
        outcome.balloon = LoginOutcome::Balloon{QStringLiteral("Varnelo"),
                                                QStringLiteral("Ошибка. Проверьте настройки."),
                                                LoginOutcome::BalloonKind::Error, 10000};
        outcome.notice = QStringLiteral("Внимание");
        form->showLogin(outcome);
        QCOMPARE(form.infoTexts, QStringList{QStringLiteral("Внимание")});
        QTRY_COMPARE(form->statusText(), QStringLiteral("Баланс: 10,00 ₽"));
        QVERIFY(form->uploadBookAction()->isVisible());
        QVERIFY(form->downloadBookAction()->isVisible());
        QVERIFY(form->serverBookSeparator()->isVisible());
        QTRY_VERIFY(form->trayIcon()->lastBalloon().has_value());
        QCOMPARE(form->trayIcon()->lastBalloon()->text,
                 QStringLiteral("Ошибка. Проверьте настройки."));
        QCOMPARE(form->trayIcon()->lastBalloon()->icon, QSystemTrayIcon::Critical);
    }

    void failedLoginIsShownAndRetried() {
        // A port nobody listens on: the login fails at once.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const int port = probe.serverPort();
        probe.close();
        Registry registry;
        Settings settings(registry);
        settings.runFirstStart({});
        settings.set(Setting::Port, port);
        settings.setStoredUserKey(kKey);

        TMainForm::Options options;
        options.client = std::make_shared<ServiceClient>(std::make_shared<Registry>());
        options.instanceName = QStringLiteral("varnelo-shell-test");
        TMainForm form(options);
        QTRY_COMPARE_WITH_TIMEOUT(form.statusText(), QStringLiteral("Ошибка. Проверьте настройки."),
                                  20000);
        QTRY_VERIFY(form.loginRetryTimer()->isActive());
        QTRY_VERIFY(form.trayIcon()->lastBalloon().has_value());
        QCOMPARE(form.trayIcon()->lastBalloon()->icon, QSystemTrayIcon::Critical);
        form.close();
    }

    void trayMenuListsTheBookAndTheIconBringsTheWindowBack() {
        FormUnderTest form;
        BookEntry group;
        group.caption = QStringLiteral("Друзья");
        BookEntry contact;
        contact.caption = QStringLiteral("Иван");
        contact.Number = QStringLiteral("79001234567");
        form->book().appendContact(form->book().appendGroup(group), contact);
        emit form->trayMenu()->aboutToShow();
        QVERIFY(!form->traySendMenu()->actions().isEmpty());

        QVERIFY(!form->trayIconAdded());
        form->show();
        QTRY_VERIFY(form->trayIconAdded()); // once the window has drawn its first frame
        form->hide();
        emit form->trayIcon()->trayClick();
        QVERIFY(form->isVisible());
    }

    void closingStopsAWaitingLoginThread() {
        // A login whose outcome waits for the window while the window closes.
        Settings(*std::make_shared<Registry>()).runFirstStart({});
        Settings(*std::make_shared<Registry>()).setStoredUserKey(kKey);
        TMainForm::Options options;
        options.client = std::make_shared<ServiceClient>(std::make_shared<Registry>());
        options.instanceName = QStringLiteral("varnelo-shell-test");
        options.dialogs.registration = [](const std::function<void()>&) { return true; };
        TMainForm form(options);
        // The login thread waits for the window to show "connecting", which it cannot while
        // this handler runs.
        QElapsedTimer clock;
        clock.start();
        form.close();
        QVERIFY(clock.elapsed() < 2000);
    }

    void headerDragSnapsToTheWorkArea_data() {
        QTest::addColumn<int>("plannedLeft");
        QTest::addColumn<int>("expectedLeft");
        QTest::newRow("8 px from the left edge") << 8 << 0;
        QTest::newRow("11 px from the left edge") << 11 << 11;
        QTest::newRow("10 px from the left edge") << 10 << 0;
    }
    void headerDragSnapsToTheWorkArea() {
        QFETCH(int, plannedLeft);
        QFETCH(int, expectedLeft);
        FormUnderTest form;
        form->move(200, 150);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.form.get()));
        const QRect work = form->screen()->availableGeometry();

        const QPoint grab = form->pos() + QPoint(20, 10);
        sendMouse(form->headerImage(), QEvent::MouseButtonPress, grab);
        const QPoint to = grab + QPoint(work.left() + plannedLeft - form->x(), 0);
        sendMouse(form->headerImage(), QEvent::MouseMove, to);
        sendMouse(form->headerImage(), QEvent::MouseButtonRelease, to);
        QCOMPARE(form->x(), work.left() + expectedLeft);
        QCOMPARE(form->y(), 150);
    }

    void sizeGripSnapsToTheWorkArea_data() {
        QTest::addColumn<int>("bottomGap"); // from the work area's bottom after the drag
        QTest::addColumn<int>("expectedGap");
        QTest::newRow("far from the edge") << 100 << 100;
        QTest::newRow("8 px from the bottom") << 8 << 0;
        QTest::newRow("11 px from the bottom") << 11 << 11;
    }
    void sizeGripSnapsToTheWorkArea() {
        QFETCH(int, bottomGap);
        QFETCH(int, expectedGap);
        FormUnderTest form;
        const QRect work = form->screen()->availableGeometry();
        const int top = work.bottom() + 1 - 400;
        form->move(200, top);
        form->resize(204, 250);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.form.get()));
        auto* grip = form->statusBar()->findChild<QSizeGrip*>();
        QVERIFY(grip);

        // Sizing snaps the window's place, never its size: a bottom edge close to the work
        // area's moves the window down to it.
        const QPoint from = grip->mapToGlobal(QPoint(2, 2));
        const int plannedHeight = 400 - bottomGap;
        sendMouse(grip, QEvent::MouseButtonPress, from);
        sendMouse(grip, QEvent::MouseMove, from + QPoint(0, plannedHeight - 250));
        sendMouse(grip, QEvent::MouseButtonRelease, from + QPoint(0, plannedHeight - 250));
        QCOMPARE(form->height(), plannedHeight);
        QCOMPARE(work.bottom() + 1 - form->frameGeometry().bottom() - 1, expectedGap);
        QCOMPARE(form->x(), 200);
    }

    void sizeGripKeepsTheMinimumHeight() {
        FormUnderTest form;
        form->move(200, 150);
        form->resize(204, 300);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.form.get()));
        auto* grip = form->statusBar()->findChild<QSizeGrip*>();
        QVERIFY(grip);
        const QPoint from = grip->mapToGlobal(QPoint(2, 2));
        sendMouse(grip, QEvent::MouseButtonPress, from);
        sendMouse(grip, QEvent::MouseMove, from - QPoint(0, 200));
        sendMouse(grip, QEvent::MouseButtonRelease, from - QPoint(0, 200));
        QCOMPARE(form->height(), 250);
        QCOMPARE(form->pos(), QPoint(200, 150));
    }

    void closingSavesPositionAndBook() {
        Settings(*std::make_shared<Registry>()).runFirstStart({});
        Settings(*std::make_shared<Registry>()).setStoredUserKey(kKey);
        FormUnderTest form;
        QSignalSpy closed(form.form.get(), &TMainForm::FormClosed);
        BookEntry group;
        group.caption = QStringLiteral("Друзья");
        BookEntry contact;
        contact.caption = QStringLiteral("Иван");
        contact.Number = QStringLiteral("79001234567");
        form->book().appendContact(form->book().appendGroup(group), contact);
        form->show();
        form->move(300, 200);
        form->resize(204, 420);
        form->close();

        QCOMPARE(closed.count(), 1);
        Registry registry;
        QCOMPARE(registry.readInteger(QString(), QStringLiteral("Left")), 300);
        QCOMPARE(registry.readInteger(QString(), QStringLiteral("Top")), 200);
        QCOMPARE(registry.readInteger(QString(), QStringLiteral("Height")), 420);
        const QList<BookGroup> saved = ContactStore::readBook(registry);
        QCOMPARE(saved.size(), 1);
        QCOMPARE(saved.first().entry.caption, QStringLiteral("Друзья"));
        QCOMPARE(saved.first().contacts.size(), 1);
        QCOMPARE(saved.first().contacts.first().Number, QStringLiteral("79001234567"));
    }

    void escapeHidesOrMinimises() {
        FormUnderTest form;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.form.get()));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.form.get()));
        QTest::keyClick(form->contactTree(), Qt::Key_Escape);
        // No tray offscreen: minimised, so the window can still be found.
        QVERIFY(form->isMinimized() || !form->isVisible());
        QCOMPARE(Registry().readInteger(QString(), QStringLiteral("Height")), form->height());
    }

    void helpOpensTheGuide() {
        FormUnderTest form;
        form->HelpClick();
        QCOMPARE(m_urls.urls.size(), 1);
        QVERIFY(m_urls.urls.first().isLocalFile());
        QVERIFY(m_urls.urls.first().toLocalFile().endsWith(QStringLiteral("/guide/index.html")));
    }

    void menusHaveTheirEntries() {
        FormUnderTest form;
        QStringList popup;
        for (QAction* action : form->treeMenu()->actions())
            popup << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(popup,
                 (QStringList{"Отправить СМС", "-", "Добавить абонента", "Редактировать", "Удалить",
                              "-", "Сохранить на сервере", "Загрузить с сервера", "-",
                              "Импорт контактов...", "Экспорт контактов...", "-", "Сортировать",
                              "-", "Вызов справки", "О программе", "-", "Закрыть"}));
        QCOMPARE(form->treeMenu()->defaultAction(), form->treeSendAction());
        QVERIFY(!form->uploadBookAction()->isVisible());
        QVERIFY(!form->downloadBookAction()->isVisible());
        QVERIFY(!form->serverBookSeparator()->isVisible());

        QStringList tray;
        for (QAction* action : form->trayMenu()->actions())
            tray << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(tray, (QStringList{"Отправить СМС", "Результат отправки неизвестен...",
                                    "Запланированные...", "-", "Поверх всех окон", "Настройка", "-",
                                    "Вызов справки", "О программе", "-", "Закрыть"}));
        QVERIFY(!form->unknownOutcomesAction()->isVisible());
        QVERIFY(form->stayOnTopAction()->isCheckable());
    }
    void treeAndTrayOpenPagesThroughTheHook() {
        FormUnderTest form;
        ContactBook& book = form->book();
        BookEntry family;
        family.caption = QStringLiteral("Семья");
        family.Name = family.caption;
        const QModelIndex group = book.appendGroup(family);
        for (const char* number : {"+7001", "+7002", "+7003"}) {
            BookEntry contact;
            contact.caption = QString::fromLatin1(number).right(1);
            contact.Number = QString::fromLatin1(number);
            book.appendContact(group, contact);
        }
        book.appendGroup(BookEntry{QStringLiteral("Пусто")});

        form->contactTree()->selectEntry(group);
        form->treeSendAction()->trigger();
        QCOMPARE(form.pages.size(), 1);
        QCOMPARE(form.pages[0].fields, QStringList({"", "Семья", "+7001|+7002|+7003", "", ""}));
        QCOMPARE(form.pages[0].node, book.entryPointer(group));

        form->contactTree()->selectEntry(book.groupIndex(1));
        QTest::keyClick(form->contactTree(), Qt::Key_Return);
        QCOMPARE(form.pages.size(), 1); // an empty group opens nothing

        TrayContact chosen{QStringLiteral("Shop"), QStringLiteral("Анна"), QStringLiteral("+7999"),
                           QStringLiteral("А."), true};
        emit form->trayIcon()->contactChosen(chosen);
        chosen.Number.clear();
        emit form->trayIcon()->contactChosen(chosen);
        QCOMPARE(form.pages.size(), 2);
        QCOMPARE(form.pages[1].fields, QStringList({"Shop", "Анна", "+7999", "А.", ""}));
        QVERIFY(form.pages[1].translit);
        QVERIFY(!form.pages[1].node);
    }

    void contactCommandsReachTheTreeAndTheStore() {
        FormUnderTest form;
        ContactBook& book = form->book();
        for (const char* caption : {"Работа", "Дом"}) {
            BookEntry group{QString::fromUtf8(caption)};
            const QModelIndex index = book.appendGroup(group);
            for (const char* name : {"Яна", "Анна"})
                book.appendContact(index, BookEntry{QString::fromUtf8(name)});
        }
        form->contactTree()->selectEntry(book.index(0, 0, book.groupIndex(1)));
        emit form->treeMenu()->aboutToShow();
        QCOMPARE(form->treeSendAction()->text(), QStringLiteral("Отправить СМС"));
        QCOMPARE(form->treeSortAction()->text(), QStringLiteral("Сортировать внутри группы"));
        QVERIFY(!form->treeSortAction()->icon().isNull());
        form->treeSortAction()->trigger();
        const auto stored = [] {
            Registry registry;
            QStringList groups;
            for (const BookGroup& group : ContactStore::readBook(registry)) {
                QStringList names;
                for (const BookEntry& contact : group.contacts)
                    names << contact.caption;
                groups << group.entry.caption + ":" + names.join(',');
            }
            return groups.join(' ');
        };
        QCOMPARE(stored(), QStringLiteral("Работа:Яна,Анна Дом:Анна,Яна"));

        form->contactTree()->selectEntry(book.groupIndex(0));
        emit form->treeMenu()->aboutToShow();
        QCOMPARE(form->treeSendAction()->text(), QStringLiteral("Отправить СМС группе"));
        QCOMPARE(form->treeSortAction()->text(), QStringLiteral("Сортировать группы"));
        Prompts::queueAnswer(int(QMessageBox::Yes));
        emit form->deleteContactButton()->clicked();
        QCOMPARE(Prompts::takeAsked().value(0).text,
                 QStringLiteral("Вы действительно хотите удалить группу \"Работа\"?"));
        QCOMPARE(stored(), QStringLiteral("Дом:Анна,Яна"));
    }

    void editorOpensFromTheButtons() {
        FormUnderTest form;
        ContactBook& book = form->book();
        const QModelIndex group = book.appendGroup(BookEntry{QStringLiteral("Работа")});
        BookEntry contact{QStringLiteral("Иван")};
        contact.Sender = QStringLiteral("MyShop");
        book.appendContact(group, contact);
        form->contactTree()->selectEntry(book.index(0, 0, group));

        // The editor runs modally; its own event loop fills and confirms it.
        QString title;
        const auto fillWhenShown = [&title](const std::function<void(TAddContactForm*)>& fill) {
            QTimer::singleShot(0, [&title, fill] {
                auto* editor = qobject_cast<TAddContactForm*>(QApplication::activeModalWidget());
                QVERIFY(editor);
                title = editor->title();
                fill(editor);
            });
        };
        fillWhenShown([](TAddContactForm* editor) {
            BookEdits::ContactFields fields = editor->fields();
            fields.name = QStringLiteral("Пётр");
            fields.number = QStringLiteral("+7002");
            editor->setFields(fields);
            editor->confirm();
        });
        emit form->addContactButton()->clicked();
        QCOMPARE(title, QStringLiteral("Создать контакт"));
        QCOMPARE(book.rowCount(group), 2);
        QCOMPARE(book.entry(book.index(1, 0, group)).caption, QStringLiteral("Пётр"));

        fillWhenShown([](TAddContactForm* editor) {
            BookEdits::ContactFields fields = editor->fields();
            fields.number = QStringLiteral("+7111");
            editor->setFields(fields);
            editor->confirm();
        });
        emit form->editContactButton()->clicked();
        QCOMPARE(title, QStringLiteral("Изменить контакт"));
        const BookEntry edited = book.entry(book.index(0, 0, group));
        QCOMPARE(edited.Number, QStringLiteral("+7111"));
        QCOMPARE(edited.Sender, QStringLiteral("varnelo.ru"));
        Registry registry;
        QCOMPARE(ContactStore::readBook(registry).value(0).contacts.size(), 2);
        QCOMPARE(ContactStore::readBook(registry).value(0).contacts.value(0).Sender,
                 QStringLiteral("varnelo.ru"));

        // Without a selection there is nothing to edit.
        form->contactTree()->clearSelection();
        title.clear();
        emit form->editContactButton()->clicked();
        QVERIFY(title.isEmpty());
    }

    // A skin whose button pictures have another colour in the corner than pure red: the
    // buttons still cut out pure red, and only that.
    void toolButtonsCutOutPureRed() {
        Registry registry;
        Settings(registry).runFirstStart({});
        Settings(registry).setStoredUserKey(kKey);
        QImage sheet(330, 66, QImage::Format_RGB32);
        sheet.fill(Qt::red);
        for (int column = 0; column < 8; ++column) {
            for (int row = 0; row < 3; ++row) {
                const QRect cell(column * 22, row * 22, 22, 22);
                QPainter(&sheet).fillRect(cell.adjusted(5, 5, -5, -5), Qt::darkGreen);
                // The bottom-left pixel, which the automatic mode would take as see-through.
                sheet.setPixel(cell.bottomLeft(), qRgb(0, 0, 255));
            }
        }
        QByteArray bitmap;
        QBuffer bitmapBuffer(&bitmap);
        QVERIFY(bitmapBuffer.open(QIODevice::WriteOnly));
        QVERIFY(sheet.save(&bitmapBuffer, "BMP"));
        QFile skin(AppPaths::dataFolder() + QStringLiteral("Corner.skn"));
        QVERIFY(skin.open(QIODevice::WriteOnly | QIODevice::Truncate));
        SkinWriter writer(skin);
        QVERIFY(writer.writeHeader(QStringLiteral("Corner")));
        QVERIFY(writer.addEntry(QStringLiteral("1.bmp"), bitmap));
        skin.close();
        Settings(registry).set(Setting::Theme, QStringLiteral("Corner.skn"));
        QVERIFY(SkinUnit::active().loadActiveSkin(m_profile.store()));

        FormUnderTest form;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.form.get()));
        const QList<TImageButton*> buttons = form->toolPanel()->findChildren<TImageButton*>();
        QCOMPARE(buttons.size(), 8);
        for (TImageButton* button : buttons) {
            QCOMPARE(button->TransparentMode(), TImageButton::tmFixed);
            QCOMPARE(button->TransparentColor(), QColor(Qt::red));
            const QRegion shape = button->mask();
            QVERIFY2(!shape.contains(QPoint(1, 1)), qPrintable(button->objectName()));
            QVERIFY(!shape.contains(QPoint(21, 0)));
            QVERIFY(shape.contains(QPoint(11, 11)));
            QVERIFY(shape.contains(QPoint(0, 21)));
        }
        QVERIFY(Screenshots::save(form.form.get(), QStringLiteral("mainform.corner"),
                                  QRect(0, 0, 204, 60)));
    }

    // Last: the skin is loaded for the rest of the run.
    void defaultSkinDressesTheWindow() {
        Registry registry;
        Settings(registry).runFirstStart({});
        Settings(registry).setStoredUserKey(kKey);
        QVERIFY(SkinUnit::active().loadActiveSkin(m_profile.store()));
        FormUnderTest form;
        BookEntry group;
        group.caption = QStringLiteral("Работа");
        group.expanded = true;
        const QModelIndex work = form->book().appendGroup(group);
        for (const char* name : {"Анна", "Борис"}) {
            BookEntry contact;
            contact.caption = QString::fromUtf8(name);
            form->book().appendContact(work, contact);
        }
        group.caption = QStringLiteral("Семья");
        form->book().appendGroup(group);
        form->contactTree()->expandAll();
        form->SetStatusText(QStringLiteral("Баланс: 125,50 ₽"));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.form.get()));

        QVERIFY(!form->headerImage()->pixmap().isNull());
        QVERIFY(!form->toolPanelImage()->pixmap().isNull());
        for (TImageButton* button : form->toolPanel()->findChildren<TImageButton*>()) {
            QVERIFY(!button->NoneBitmap().isNull());
            QCOMPARE(button->size(), QSize(22, 22));
        }
        QCOMPARE(form->contactTree()->palette().color(QPalette::Base), SkinUnit::active().Main());

        const QImage shot = form->grab().toImage();
        QCOMPARE(shot.size(), QSize(204, 387));
        if (Screenshots::wanted()) {
            QVERIFY(Screenshots::save(shot, QStringLiteral("mainform")));
            // The tree's menu as it opens over a group, on an account that keeps contacts.
            form->contactTree()->selectEntry(work);
            form->SetServerContactsVisible(true);
            emit form->treeMenu()->aboutToShow();
            for (QMenu* menu : {form->treeMenu(), form->trayMenu()}) {
                menu->adjustSize();
                QVERIFY(Screenshots::save(menu, QStringLiteral("mainform.") + menu->objectName()));
            }
        }
    }

    // A screen reader names each tool button by its hint and knows it for a button it can press.
    void toolButtonsAreReadByTheirHints_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("hint");
        QTest::newRow("add") << "addContactButton"
                             << "Добавить контакт";
        QTest::newRow("edit") << "editContactButton"
                              << "Редактировать контакт";
        QTest::newRow("delete") << "deleteContactButton"
                                << "Удалить контакт";
        QTest::newRow("settings") << "settingsButton"
                                  << "Настройка";
        QTest::newRow("history") << "historyButton"
                                 << "История";
        QTest::newRow("payment") << "paymentButton"
                                 << "Оплата";
        QTest::newRow("tray") << "hideToTrayButton"
                              << "Свернуть";
        QTest::newRow("close") << "closeButton"
                               << "Закрыть";
    }
    void toolButtonsAreReadByTheirHints() {
        QFETCH(QString, button);
        QFETCH(QString, hint);
        FormUnderTest form;
        auto* control = form->findChild<TImageButton*>(button);
        QVERIFY(control);
        QCOMPARE(control->toolTip(), hint);
        QAccessibleInterface* readable = QAccessible::queryAccessibleInterface(control);
        QVERIFY(readable);
        QCOMPARE(readable->text(QAccessible::Name), hint);
        QCOMPARE(readable->role(), QAccessible::Button);
        QVERIFY(readable->actionInterface());
        QVERIFY(readable->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
    }
};

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
