#include "FakeHttpServer.h"
#include "SandboxProcess.h"
#include "Screenshots.h"
#include "ServiceFixture.h"
#include "StoreDamage.h"
#include "TestProfile.h"
#include "platform/Ansi.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "settings/AccountData.h"
#include "settings/ui/ChooseTimeInterval.h"
#include "settings/ui/ServerSettingsPage.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString kErrorCaption = QStringLiteral("Ошибка");
const QString kNoConnection = QStringLiteral("Ошибка при соединении с сервером!");
constexpr int kWaitMs = 30000;

// A LoadSettingsFromServer reply of these lines.
QByteArray accountReply(const QStringList& lines) {
    return Ansi::fromUnicode(lines.join(QChar(0x01))).toBase64();
}

QStringList elevenLines() {
    return {"42",
            "Привет от сервиса",
            "Mail@Example.RU",
            "Имя",
            "05.06.2025",
            "+7916",
            "11111",
            "22222",
            "Город",
            "7.25",
            "1.50"};
}

QString messageLine(const Prompts::Asked& asked) {
    return asked.kind + QLatin1Char('|') + asked.caption + QLatin1Char('|') + asked.text;
}

QStringList askedLines() {
    QStringList lines;
    for (const Prompts::Asked& asked : Prompts::takeAsked())
        lines << messageLine(asked);
    return lines;
}

QString error(const QString& text) {
    return QStringLiteral("message|Ошибка|") + text;
}

QByteArray vouchersFile() {
    QFile file(AppPaths::dataFolder() + QStringLiteral("Vouchers.txt"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// The page "Сервер" against the sandbox service over real HTTP, and against a scripted peer
// for the replies the service never gives (short replies, a comma in a price, odd codes).
class ServerPageTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    ServiceFixture m_fixture{m_profile.root()};
    SandboxProcess m_sandbox;
    FakeHttpServer m_fake;
    QString m_key;
    std::unique_ptr<ServerSettingsPage> m_page;

    void useSandbox() {
        m_fixture.reset(m_sandbox.port());
        m_fixture.client().setUserKey(m_key);
    }
    // The page's client turns to the fake service at its next request.
    void useFake(const FakeHttpServer::Behaviour& behaviour) {
        m_fixture.settings().set(Setting::Port, qint32(m_fake.port()));
        m_fake.clear();
        m_fake.setDefault(behaviour);
    }

    bool load() {
        QSignalSpy finished(m_page.get(), &ServerSettingsPage::loadFinished);
        m_page->loadButton()->click();
        return finished.wait(kWaitMs);
    }
    bool loadAndShow() {
        if (!load())
            return false;
        return QTest::qWaitFor([this] { return m_page->accountPanel()->isVisible(); }, kWaitMs);
    }
    bool save() {
        QSignalSpy finished(m_page.get(), &ServerSettingsPage::saveFinished);
        m_page->saveButton()->click();
        return finished.wait(kWaitMs);
    }
    // Runs a voucher command; the flow may end at once (a refused input) or after the reply.
    bool voucher(QPushButton* button) {
        QSignalSpy finished(m_page.get(), &ServerSettingsPage::voucherFinished);
        button->click();
        return !finished.isEmpty() || finished.wait(kWaitMs);
    }
    bool saveShownInsteadOfVouchers() const {
        return !m_page->saveButton()->isHidden() && m_page->buyVoucherButton()->isHidden() &&
               m_page->redeemVoucherButton()->isHidden();
    }
    bool vouchersShownInsteadOfSave() const {
        return m_page->saveButton()->isHidden() && !m_page->buyVoucherButton()->isHidden() &&
               !m_page->redeemVoucherButton()->isHidden();
    }
    int sandboxRequests() const { return m_sandbox.log().size(); }
    QString lastSandboxRequest() const {
        return m_sandbox.log()
            .last()
            .toObject()
            .value("request")
            .toObject()
            .value("text")
            .toString();
    }
    // Buys through the page and returns the serial it showed for copying.
    QString buyWithPage(const QString& amount) {
        Prompts::queueAnswer(amount);
        if (!voucher(m_page->buyVoucherButton()))
            return {};
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        return asked.size() == 2 && asked[1].caption == QStringLiteral("Ваучер") ? asked[1].initial
                                                                                 : QString();
    }

private slots:
    void initTestCase() {
        Prompts::enableTestMode();
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
    }

    void init() {
        QVERIFY(m_sandbox.reset());
        m_key = m_sandbox.createAccount({{"email", "Ivan.Petrov@Example.ORG"},
                                         {"name", "Иван Петров"},
                                         {"icq1", "123456"},
                                         {"icq2", "7890"},
                                         {"balance", "100.00"}});
        QCOMPARE(m_key.size(), 48);
        useSandbox();
        AccountPrices::set(0, 0);
        QFile::remove(AppPaths::dataFolder() + QStringLiteral("Vouchers.txt"));
        QDir(AppPaths::dataFolder() + QStringLiteral("Vouchers.txt")).removeRecursively();
        Prompts::takeAsked();
        m_page = std::make_unique<ServerSettingsPage>(m_fixture.sharedClient());
        m_page->resize(420, 360);
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    }

    void cleanup() { m_page.reset(); }

    void startsWithOnlyTheLoadButton() {
        QVERIFY(!m_page->loadButton()->isHidden());
        QVERIFY(m_page->accountPanel()->isHidden());
        QVERIFY(m_page->orderDetailButton()->isHidden());
        QVERIFY(!m_page->panelTimer()->isActive());
        QCOMPARE(m_page->panelTimer()->interval(), 1);
        QVERIFY(vouchersShownInsteadOfSave());
    }

    void loadsTheAccountFromTheService() {
        const QJsonObject account = m_sandbox.account(m_key);
        m_page->loadButton()->click();
        QCOMPARE(m_page->loadStatusText(), "Загрузка настроек с сервера...");
        QVERIFY(m_page->loadButton()->isHidden());
        QVERIFY(m_page->accountPanel()->isHidden());
        QSignalSpy finished(m_page.get(), &ServerSettingsPage::loadFinished);
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(m_page->loadStatusText(), QString());
        QTRY_VERIFY(m_page->accountPanel()->isVisible());
        QVERIFY(!m_page->panelTimer()->isActive());

        QCOMPARE(m_page->uniqueNumberText(), QString::number(account.value("id").toInt()));
        QVERIFY(m_page->greetingText().startsWith("Учебный сервис Varnelo"));
        QCOMPARE(m_page->emailText(), "ivan.petrov@example.org");
        QCOMPARE(m_page->registeredText(), account.value("registered").toString());
        QCOMPARE(m_page->icq1Edit()->text(), "123456");
        QCOMPARE(m_page->icq2Edit()->text(), "7890");
        QCOMPARE(m_page->balanceText(), "100.00 руб.");
        QCOMPARE(m_page->smsPriceText(), "1.50 руб.");
        // Filling the contact numbers counts as no edit.
        QVERIFY(vouchersShownInsteadOfSave());
        QCOMPARE(AccountPrices::voucherFee(), 2.0);
        QCOMPARE(AccountPrices::detailPrice(), 0.5);

        QVERIFY(Screenshots::save(m_page.get(), QStringLiteral("serverpage")));
    }

    // The hidden "Заказать детализацию" prices the days with the loaded detail price.
    void detailOrderUsesTheLoadedPrice() {
        QVERIFY(loadAndShow());
        QString firstLine;
        QTimer::singleShot(0, [&firstLine] {
            auto* form = qobject_cast<TChooseTimeInterval*>(QApplication::activeModalWidget());
            QVERIFY(form);
            firstLine = form->costLabel()->text();
            Prompts::queueAnswer(int(QMessageBox::Ok));
            form->okButton()->click();
        });
        const int before = sandboxRequests();
        m_page->orderDetail();
        QCOMPARE(firstLine, "Стоимость составит 0,5 руб за сутки детализации");
        QCOMPARE(askedLines(), (QStringList{"message|Подтверждение|Количество заказанных дней: 1\n"
                                            "Стоимость составит 0,5 руб.",
                                            "message|Varnelo|!!"}));
        QCOMPARE(sandboxRequests(), before);
    }

    void replyShapes_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("label");
        QTest::addColumn<double>("fee");
        QTest::addColumn<double>("detail");
        QStringList lines = elevenLines();
        QTest::newRow("11 lines") << accountReply(lines) << 200 << "" << 0.0 << 0.0;
        QTest::newRow("fee with a comma")
            << accountReply(lines + QStringList{"1,5", "0,25"}) << 200 << "" << 1.5 << 0.25;
        QTest::newRow("fee with a point")
            << accountReply(lines + QStringList{"1.5", "0.25"}) << 200 << "" << 1.5 << 0.25;
        QTest::newRow("fee not a number")
            << accountReply(lines + QStringList{"два", ""}) << 200 << "" << 0.0 << 0.0;
        QTest::newRow("10 lines") << accountReply(lines.mid(0, 10)) << 200 << kNoConnection << -1.0
                                  << -1.0;
        QTest::newRow("empty reply") << QByteArray() << 200 << "Ошибка!" << -1.0 << -1.0;
        QTest::newRow("nothing behind the Base64")
            << QByteArray("====") << 200 << "Ошибка!" << -1.0 << -1.0;
        QTest::newRow("server error") << QByteArray("x") << 500 << kNoConnection << -1.0 << -1.0;
    }
    void replyShapes() {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, label);
        QFETCH(double, fee);
        QFETCH(double, detail);
        AccountPrices::set(-1, -1);
        useFake(FakeHttpServer::reply(body, status));
        QVERIFY(load());
        QCOMPARE(m_page->loadStatusText(), label);
        QCOMPARE(AccountPrices::voucherFee(), fee);
        QCOMPARE(AccountPrices::detailPrice(), detail);
        if (label.isEmpty()) {
            QTRY_VERIFY(m_page->accountPanel()->isVisible());
            QCOMPARE(m_page->uniqueNumberText(), "42");
            QCOMPARE(m_page->emailText(), "mail@example.ru");
            QCOMPARE(m_page->balanceText(), "7.25 руб.");
            QCOMPARE(m_page->smsPriceText(), "1.50 руб.");
            QVERIFY(m_page->loadButton()->isHidden());
        } else {
            QVERIFY(!m_page->loadButton()->isHidden());
            QVERIFY(!m_page->panelTimer()->isActive());
            QVERIFY(m_page->accountPanel()->isHidden());
        }
    }

    void feeInThePurchasePrompt_data() {
        QTest::addColumn<double>("fee");
        QTest::addColumn<QString>("prompt");
        const QString plain = QStringLiteral("Введите сумму для покупки ваучера");
        const QString warning =
            plain + "\n\nВНИМАНИЕ!\nЗа приобретение ваучера вы отдадите стоимость ваучера + ";
        QTest::newRow("no fee") << 0.0 << plain;
        QTest::newRow("whole fee") << 2.0 << warning + "2 руб.";
        QTest::newRow("fee with a fraction") << 1.5 << warning + "1,5 руб.";
        QTest::newRow("fee below a rouble") << 0.05 << warning + "0,05 руб.";
    }
    void feeInThePurchasePrompt() {
        QFETCH(double, fee);
        QFETCH(QString, prompt);
        AccountPrices::set(fee, 0);
        QVERIFY(voucher(m_page->buyVoucherButton())); // cancelled
        QCOMPARE(askedLines(), QStringList{"input|Покупка ваучера|" + prompt});
    }

    void amountsRefusedOrSentAsTyped_data() {
        QTest::addColumn<QVariant>("typed");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("sent");
        QTest::newRow("blank after the digits")
            << QVariant("100 ") << QStringList{error("Неверно задана сумма!")} << "";
        QTest::newRow("letters") << QVariant("1o0") << QStringList{error("Неверно задана сумма!")}
                                 << "";
        QTest::newRow("empty") << QVariant("") << QStringList{} << "";
        QTest::newRow("cancelled") << QVariant() << QStringList{} << "";
        QTest::newRow("leading zero sent as typed") << QVariant("0100") << QStringList{} << "0100";
    }
    void amountsRefusedOrSentAsTyped() {
        QFETCH(QVariant, typed);
        QFETCH(QStringList, messages);
        QFETCH(QString, sent);
        Prompts::queueAnswer(typed);
        const int before = sandboxRequests();
        QVERIFY(voucher(m_page->buyVoucherButton()));
        QStringList asked = askedLines();
        QVERIFY(asked.takeFirst().startsWith("input|Покупка ваучера|"));
        if (sent.isEmpty()) {
            QCOMPARE(asked, messages);
            QCOMPARE(sandboxRequests(), before);
            return;
        }
        QCOMPARE(sandboxRequests(), before + 1);
        QCOMPARE(lastSandboxRequest(), "," + m_key + "\x01\x03\x01" + sent);
    }

    void purchaseCreatesThenAppendsTheVoucherFile() {
        QVERIFY(loadAndShow());
        QVERIFY(vouchersFile().isEmpty());
        const QString first = buyWithPage("10");
        QCOMPARE(first.size(), 32);
        const QRegularExpression line(QStringLiteral(
            "^\\d\\d\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d\\t([0-9A-F]{32})\\t(\\d+) руб\\.\r\n"));
        const QString afterFirst = Ansi::toUnicode(vouchersFile());
        const QRegularExpressionMatch match = line.match(afterFirst);
        QVERIFY2(match.hasMatch(), qPrintable(afterFirst));
        QCOMPARE(match.captured(1), first);
        QCOMPARE(match.captured(2), "10");
        // 10 for the voucher and the fee of 2.
        QCOMPARE(m_sandbox.account(m_key).value("balance").toString(), "88.00");

        const QString second = buyWithPage("5");
        QCOMPARE(second.size(), 32);
        QVERIFY(second != first);
        const QString afterSecond = Ansi::toUnicode(vouchersFile());
        QVERIFY(afterSecond.startsWith(afterFirst));
        const QRegularExpressionMatch secondMatch = line.match(afterSecond.mid(afterFirst.size()));
        QVERIFY(secondMatch.hasMatch());
        QCOMPARE(secondMatch.captured(1), second);
        QCOMPARE(secondMatch.captured(2), "5");
        QCOMPARE(afterSecond.count("\r\n"), 2);
    }

    void serialShownForCopying() {
        Prompts::queueAnswer("10");
        QVERIFY(voucher(m_page->buyVoucherButton()));
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[1].kind, "input");
        QCOMPARE(asked[1].caption, "Ваучер");
        QCOMPARE(asked[1].text, "Скопируйте серийный номер вашего ваучера!\n"
                                "Все ваши ваучеры также можно найти в файле \"Vouchers.txt\"");
        QVERIFY(vouchersFile().contains(asked[1].initial.toLatin1()));
    }

    // The service has issued the voucher and taken the money: the serial still reaches the
    // user when the file cannot be written.
    void serialShownWhenTheFileCannotBeWritten() {
        QVERIFY(QDir().mkpath(AppPaths::dataFolder() + QStringLiteral("Vouchers.txt")));
        Prompts::queueAnswer("10");
        QVERIFY(voucher(m_page->buyVoucherButton()));
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 3);
        QCOMPARE(asked[1].caption, kErrorCaption);
        QVERIFY(asked[1].text.startsWith("Ошибка при попытке покупки ваучера!\n"));
        QCOMPARE(asked[2].caption, "Ваучер");
        QVERIFY(asked[2].text.startsWith("Скопируйте серийный номер вашего ваучера!\n"));
        QCOMPARE(asked[2].initial.size(), 32);
        QCOMPARE(m_sandbox.account(m_key).value("balance").toString(), "88.00");
    }

    void balanceTooLowAtTheService() {
        Prompts::queueAnswer("1000");
        QVERIFY(voucher(m_page->buyVoucherButton()));
        QCOMPARE(askedLines().mid(1), QStringList{error("У вас недостаточно средств на балансе!")});
        QVERIFY(vouchersFile().isEmpty());
    }

    void purchaseReplies_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("0") << QByteArray("0") << 200
                           << "Ошибка при регистрации нового ваучера!\nОбратитесь к разработчикам.";
        QTest::newRow("-1") << QByteArray("-1") << 200 << "У вас недостаточно средств на балансе!";
        QTest::newRow("empty") << QByteArray() << 200 << kNoConnection;
        QTest::newRow("31 characters") << QByteArray(31, 'A') << 200 << "Неизвестная ошибка!";
        QTest::newRow("server error")
            << QByteArray("x") << 500 << "Ошибка при попытке покупки ваучера!";
    }
    void purchaseReplies() {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, message);
        useFake(FakeHttpServer::reply(body, status));
        Prompts::queueAnswer("10");
        QVERIFY(voucher(m_page->buyVoucherButton()));
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(messageLine(asked[1]), error(message));
        QCOMPARE(asked[1].icon, QMessageBox::NoIcon);
        QCOMPARE(asked[1].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(vouchersFile().isEmpty());
    }

    void redeemsAVoucherBoughtByAnotherAccount() {
        const QString serial = buyWithPage("10");
        QCOMPARE(serial.size(), 32);
        const QString other = m_sandbox.createAccount({{"balance", "1.00"}});
        m_fixture.client().setUserKey(other);

        Prompts::queueAnswer(serial);
        QVERIFY(voucher(m_page->redeemVoucherButton()));
        QCOMPARE(askedLines(),
                 (QStringList{"input|Продажа ваучера|Введите серийный номер ваучера",
                              "message|Ваучер|Ваучер на сумму 10 успешно активирован"}));
        QCOMPARE(m_sandbox.account(other).value("balance").toString(), "11.00");

        Prompts::queueAnswer(serial);
        QVERIFY(voucher(m_page->redeemVoucherButton()));
        QCOMPARE(askedLines().mid(1), QStringList{error("Ваучер не найден!")});
    }

    void serialLength_data() {
        QTest::addColumn<QVariant>("typed");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("requests");
        QTest::newRow("33 characters")
            << QVariant(QString(33, 'A')) << QStringList{error("Неверный серийный номер ваучера!")}
            << 0;
        QTest::newRow("31 characters")
            << QVariant(QString(31, 'A')) << QStringList{error("Неверный серийный номер ваучера!")}
            << 0;
        QTest::newRow("32 blanks are sent")
            << QVariant(QString(32, ' ')) << QStringList{error("Ваучер не найден!")} << 1;
        QTest::newRow("32 characters are sent")
            << QVariant(QString(32, 'Z')) << QStringList{error("Ваучер не найден!")} << 1;
        QTest::newRow("empty") << QVariant("") << QStringList{} << 0;
        QTest::newRow("cancelled") << QVariant() << QStringList{} << 0;
    }
    void serialLength() {
        QFETCH(QVariant, typed);
        QFETCH(QStringList, messages);
        QFETCH(int, requests);
        const int before = sandboxRequests();
        Prompts::queueAnswer(typed);
        QVERIFY(voucher(m_page->redeemVoucherButton()));
        QCOMPARE(askedLines().mid(1), messages);
        QCOMPARE(sandboxRequests(), before + requests);
    }

    void activationReplies_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("0") << QByteArray("0") << 200 << error("Неизвестная ошибка!");
        QTest::newRow("amount with a comma")
            << QByteArray("12,5") << 200
            << "message|Ваучер|Ваучер на сумму 12,5 успешно активирован";
        QTest::newRow("-1") << QByteArray("-1") << 200 << error("Ваучер не найден!");
        QTest::newRow("-2") << QByteArray("-2") << 200 << error("Вы не активировали аккаунт!");
        QTest::newRow("-3") << QByteArray("-3") << 200 << error("Пользователь не найден!");
        QTest::newRow("empty") << QByteArray() << 200 << error(kNoConnection);
        QTest::newRow("words") << QByteArray("OK") << 200 << error("Неизвестная ошибка!");
        QTest::newRow("server error")
            << QByteArray("x") << 500 << error("Ошибка при попытке продажи ваучера!");
    }
    void activationReplies() {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, message);
        useFake(FakeHttpServer::reply(body, status));
        Prompts::queueAnswer(QString(32, 'C'));
        QVERIFY(voucher(m_page->redeemVoucherButton()));
        QCOMPARE(askedLines().mid(1), QStringList{message});
        QCOMPARE(m_fake.requests().size(), 1);
    }

    void savesTheContactNumbers() {
        QVERIFY(loadAndShow());
        m_page->icq1Edit()->clear();
        QTest::keyClicks(m_page->icq1Edit(), "55a 5-6");
        QCOMPARE(m_page->icq1Edit()->text(), "5556");
        QVERIFY(saveShownInsteadOfVouchers());

        m_page->saveButton()->click();
        QCOMPARE(m_page->saveStatusText(), "Сохранение настроек...");
        QVERIFY(vouchersShownInsteadOfSave());
        QSignalSpy finished(m_page.get(), &ServerSettingsPage::saveFinished);
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(m_page->saveStatusText(), "Настройки успешно сохранены!");
        QVERIFY(vouchersShownInsteadOfSave());
        QCOMPARE(m_sandbox.account(m_key).value("icq1").toString(), "5556");
        QCOMPARE(m_sandbox.account(m_key).value("icq2").toString(), "7890");
        QCOMPARE(lastSandboxRequest(), "0" + m_key + "\x01\x04" + "5556\x05" + "7890\x05" + "0");
    }

    void pastedTextKeepsOnlyDigits() {
        QVERIFY(loadAndShow());
        QApplication::clipboard()->setText(QStringLiteral("8 (916) 12"));
        m_page->icq2Edit()->clear();
        m_page->icq2Edit()->paste();
        QCOMPARE(m_page->icq2Edit()->text(), "891612");
    }

    void saveReplies_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("label");
        QTest::newRow("1") << QByteArray("1") << 200 << "Настройки успешно сохранены!";
        QTest::newRow("-1") << QByteArray("-1") << 200 << "Ошибка!";
        QTest::newRow("empty") << QByteArray() << 200 << "Ошибка!";
        QTest::newRow("server error") << QByteArray("1") << 500 << kNoConnection;
    }
    void saveReplies() {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, label);
        useFake(FakeHttpServer::reply(accountReply(elevenLines())));
        QVERIFY(loadAndShow());
        m_fake.setDefault(FakeHttpServer::reply(body, status));
        QTest::keyClicks(m_page->icq1Edit(), "1");
        QVERIFY(save());
        QCOMPARE(m_page->saveStatusText(), label);
        const bool stored = label == QStringLiteral("Настройки успешно сохранены!");
        QCOMPARE(vouchersShownInsteadOfSave(), stored);
        QCOMPARE(saveShownInsteadOfVouchers(), !stored);
    }

    // While the service has not answered, the dialog takes no input but keeps painting.
    void inputBlockedUntilTheVoucherReply() {
        useFake(FakeHttpServer::reply("-1", 200, 1500));
        QSignalSpy finished(m_page.get(), &ServerSettingsPage::voucherFinished);
        Prompts::queueAnswer("10");
        m_page->buyVoucherButton()->click();
        QVERIFY(finished.isEmpty());
        QTest::mouseClick(m_page->redeemVoucherButton(), Qt::LeftButton);
        QTest::keyClick(m_page->icq1Edit(), Qt::Key_5);
        m_page->update();
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(askedLines().mid(1), QStringList{error("У вас недостаточно средств на балансе!")});
        QCOMPARE(m_fake.requests().size(), 1);
        QCOMPARE(m_page->icq1Edit()->text(), QString());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    // A settings store that fails under a command's worker is reported where the command
    // reports its failures, nothing reaches the service, and the page can be used again.
    void storeFailureUnderTheWorker_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("damage");
        for (const char* command : {"load", "save", "buy", "sell"}) {
            for (const auto damage : StoreDamage::kAllKinds)
                QTest::addRow("%s, %s", command, qPrintable(StoreDamage::name(damage)))
                    << QString::fromLatin1(command) << int(damage);
        }
    }
    void storeFailureUnderTheWorker() {
        QFETCH(QString, command);
        QFETCH(int, damage);
        if (command != QLatin1String("load"))
            QVERIFY(loadAndShow());
        if (command == QLatin1String("save"))
            m_page->icq1Edit()->setText(QStringLiteral("555"));
        Prompts::takeAsked();
        const int requests = sandboxRequests();
        QVERIFY(StoreDamage::apply(StoreDamage::Kind(damage), m_fixture.registry().filePath()));

        const auto reported = [this](const QString& text) {
            return StoreDamage::isReported(text, m_fixture.registry().filePath());
        };
        if (command == QLatin1String("load")) {
            QVERIFY(load());
            QVERIFY2(reported(m_page->loadStatusText()), qPrintable(m_page->loadStatusText()));
            QVERIFY(!m_page->loadButton()->isHidden());
            QVERIFY(!m_page->accountPanel()->isVisible());
        } else if (command == QLatin1String("save")) {
            QVERIFY(save());
            QVERIFY2(reported(m_page->saveStatusText()), qPrintable(m_page->saveStatusText()));
            QVERIFY(saveShownInsteadOfVouchers());
        } else {
            const bool buy = command == QLatin1String("buy");
            Prompts::queueAnswer(buy ? QStringLiteral("10") : QString(32, QLatin1Char('A')));
            QVERIFY(voucher(buy ? m_page->buyVoucherButton() : m_page->redeemVoucherButton()));
            const QStringList asked = askedLines();
            QCOMPARE(asked.size(), 2);
            const QString failed = buy ? QStringLiteral("Ошибка при попытке покупки ваучера!")
                                       : QStringLiteral("Ошибка при попытке продажи ваучера!");
            const QString start = error(failed + QLatin1Char('\n'));
            QVERIFY2(asked[1].startsWith(start) && reported(asked[1].mid(start.size())),
                     qPrintable(asked[1]));
            QVERIFY(m_page->isEnabled());
            QCOMPARE(QApplication::overrideCursor(), nullptr);
        }
        QCOMPARE(sandboxRequests(), requests);
    }

    // A page closed while its request runs gets no late reply, and the request stops.
    void closedWhileLoading() {
        useFake(FakeHttpServer::of(FakeHttpServer::Behaviour::Mode::Silent));
        QSignalSpy finished(m_page.get(), &ServerSettingsPage::loadFinished);
        m_page->loadButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_fake.requests().size(), 1, kWaitMs);
        m_page.reset();
        QCoreApplication::processEvents();
        QVERIFY(finished.isEmpty());
    }
};

QTEST_MAIN(ServerPageTest)
#include "ServerPageTest.moc"
