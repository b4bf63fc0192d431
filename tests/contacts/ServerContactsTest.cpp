#include "BookEntries.h"
#include "BookLayout.h"
#include "SandboxProcess.h"
#include "StoreDamage.h"
#include "TestProfile.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "contacts/ui/ContactTreeView.h"
#include "platform/Ansi.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"
#include "shell/MainUnit.h"

#include <QAction>
#include <QGuiApplication>
#include <QJsonObject>
#include <QTest>
#include <QTimer>

namespace {

const QString kSaving = QStringLiteral("Сохранение");
const QString kUploadQuestion =
    QStringLiteral("Вы действительно хотите сохранить свой контакт лист на сервере?\r\n"
                   "Сохраненные ранее контакты будут уничтожены!");
const QString kDownloadQuestion =
    QStringLiteral("Вы действительно хотите загрузить свой контакт лист с сервера?\r\n"
                   "Ваш текущий контакт лист будет очищен!");

using BookEntries::contact;

BookGroup group(const QString& caption, bool expanded, const QList<BookEntry>& contacts) {
    BookGroup result;
    result.entry.caption = caption;
    result.entry.expanded = expanded;
    result.contacts = contacts;
    return result;
}

QStringList asked() {
    QStringList result;
    for (const Prompts::Asked& box : Prompts::takeAsked())
        result << box.caption + QLatin1Char('|') + box.text;
    return result;
}

// The boxes asked until there are `count` of them: the outcome of a request is told once its
// reply is in, after the entry's handler has returned.
QStringList askedUntil(qsizetype count) {
    QStringList result;
    // Fewer boxes after the wait show in the caller's comparison.
    (void)QTest::qWaitFor(
        [&result, count] {
            result << asked();
            return result.size() >= count;
        },
        20000);
    return result;
}

} // namespace

// The main window's copy of the book on the service, against the real sandbox service.
class ServerContactsTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    SandboxProcess m_sandbox;
    QString m_key;
    std::unique_ptr<TMainForm> m_form;

    // The payload the service holds for the account, as bytes; null when none is stored.
    QByteArray storedOnServer() const {
        const QJsonValue contacts = m_sandbox.account(m_key).value(QLatin1String("contacts"));
        if (!contacts.isObject())
            return {};
        return QByteArray::fromHex(
            contacts.toObject().value(QLatin1String("hex")).toString().toLatin1());
    }
    qsizetype requestsSoFar() const { return m_sandbox.log().size(); }
    ContactBook& book() const { return m_form->book(); }

private slots:
    void initTestCase() {
        Prompts::enableTestMode();
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
    }

    void init() {
        QVERIFY(m_sandbox.reset());
        m_key = m_sandbox.createAccount({{QStringLiteral("serverContacts"), true}});
        QCOMPARE(m_key.size(), 48);
        Registry registry;
        registry.deleteKeyTree(ContactStore::kBookKey);
        Settings settings(registry);
        settings.runFirstStart({});
        settings.set(Setting::Host, m_sandbox.host());
        settings.set(Setting::Port, int(m_sandbox.port()));
        settings.setStoredUserKey(m_key);

        TMainForm::Options options;
        options.client = std::make_shared<ServiceClient>(m_profile.sharedStore());
        options.instanceName = QStringLiteral("varnelo-server-contacts-test");
        m_form = std::make_unique<TMainForm>(options);
        QCOMPARE(m_form->creation(), TMainForm::Creation::Running);
        // The login tells the window that the service keeps contacts.
        QTRY_VERIFY(m_form->uploadBookAction()->isVisible());
        QVERIFY(m_form->downloadBookAction()->isVisible());
        QVERIFY(m_form->serverBookSeparator()->isVisible());
        Prompts::takeAsked();
    }

    void cleanup() {
        m_form->close();
        m_form.reset();
    }

    void entriesFollowTheService() {
        QVERIFY(m_sandbox.changeAccount(m_key, {{QStringLiteral("serverContacts"), false}}));
        m_form->requestUserInfo();
        QTRY_VERIFY(!m_form->uploadBookAction()->isVisible());
        QVERIFY(!m_form->downloadBookAction()->isVisible());
        QVERIFY(!m_form->serverBookSeparator()->isVisible());
        // A hidden entry runs nothing.
        const qsizetype before = requestsSoFar();
        m_form->uploadBookAction()->trigger();
        m_form->downloadBookAction()->trigger();
        QVERIFY(asked().isEmpty());
        QCOMPARE(requestsSoFar(), before);
    }

    void uploadHandsOverThePayload_data() {
        QTest::addColumn<QList<BookGroup>>("groups");
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("one expanded group, one contact")
            << QList<BookGroup>{group("G", true, {contact("C", "+7001")})}
            << QByteArray("\x02"
                          "1G\x04"
                          "C\x03+7001\x03\x03"
                          "0\x05");
        QTest::newRow("two groups, translit, sign, sender dropped")
            << QList<BookGroup>{group("Семья", false,
                                      {contact("Мама", "+7001", "Целую", "MyShop", true),
                                       contact("Папа", "+7002")}),
                                group("Пусто", true, {})}
            << Ansi::fromUnicode(QStringLiteral("\x02"
                                                "0Семья\x04Мама\x03+7001\x03Целую\x03"
                                                "1\x05\x04Папа\x03+7002\x03\x03"
                                                "0\x05"
                                                "\x02"
                                                "1Пусто"));
    }
    void uploadHandsOverThePayload() {
        QFETCH(QList<BookGroup>, groups);
        QFETCH(QByteArray, payload);
        book().setGroups(groups);
        Prompts::queueAnswer(int(QMessageBox::Yes));
        m_form->uploadBookAction()->trigger();
        QCOMPARE(askedUntil(2), QStringList({kSaving + "|" + kUploadQuestion,
                                             kSaving + "|Данные успешно сохранены на сервере"}));
        QCOMPARE(storedOnServer(), payload);
    }

    void roundTripLosesSendersAndCutsLongTexts() {
        const QString longName = QStringLiteral("Очень длинное имя абонента, больше тридцати");
        const QString longGroup = QStringLiteral("Группа с очень длинным названием!");
        QVERIFY(longName.size() > 30 && longGroup.size() > 30);
        book().setGroups(
            {group("Семья", true,
                   {contact("Мама", "+79161234567", "Целую", "MyShop"),
                    contact(longName, "+7916123456789012", "Подпись длиннее 15", "+79000000000",
                            true)}),
             group(longGroup, false, {contact("Коллега", "+7003", {}, "Работа", true)}),
             group("Пустая", true, {})});
        Prompts::queueAnswer(int(QMessageBox::Yes));
        m_form->uploadBookAction()->trigger();
        QCOMPARE(askedUntil(2).last(), kSaving + "|Данные успешно сохранены на сервере");

        // Something else locally, saved, then the service's copy comes back.
        book().setGroups(BookLayout::parse(QStringLiteral("Другое+[x,y]")));
        m_form->SaveContacts();
        Prompts::queueAnswer(int(QMessageBox::Yes));
        m_form->downloadBookAction()->trigger();
        QCOMPARE(askedUntil(2), QStringList({kSaving + "|" + kDownloadQuestion,
                                             "Выполнено|Контакт лист успешно загружен!"}));

        const QList<BookGroup> expected{
            group("Семья", true,
                  {contact("Мама", "+79161234567", "Целую"),
                   contact(longName.left(30), "+79161234567890", "Подпись длиннее", {}, true)}),
            group(longGroup.left(30), false, {contact("Коллега", "+7003", {}, {}, true)}),
            group("Пустая", true, {})};
        QCOMPARE(book().groups(), expected);
        for (const BookGroup& downloaded : book().groups()) {
            for (const BookEntry& entry : downloaded.contacts)
                QVERIFY(entry.Sender.isEmpty());
        }
        QVERIFY(m_form->contactTree()->isExpanded(book().groupIndex(0)));
        QVERIFY(!m_form->contactTree()->isExpanded(book().groupIndex(1)));

        // Not saved at once: the store keeps the earlier book until the next save.
        Registry registry;
        QCOMPARE(BookLayout::of(ContactStore::readBook(registry)), QStringLiteral("Другое+[x,y]"));
        m_form->close();
        // A group without contacts is read back collapsed, as every stored empty group is.
        QList<BookGroup> reloaded = expected;
        reloaded[2].entry.expanded = false;
        QCOMPARE(ContactStore::readBook(registry), reloaded);
    }

    void answeringNoSendsNothing() {
        book().setGroups(BookLayout::parse(QStringLiteral("A+[a]")));
        const qsizetype before = requestsSoFar();
        Prompts::queueAnswer(int(QMessageBox::No));
        m_form->uploadBookAction()->trigger();
        Prompts::queueAnswer(int(QMessageBox::No));
        m_form->downloadBookAction()->trigger();
        QCOMPARE(asked(),
                 QStringList({kSaving + "|" + kUploadQuestion, kSaving + "|" + kDownloadQuestion}));
        QCOMPARE(requestsSoFar(), before);
        QCOMPARE(BookLayout::of(book()), QStringLiteral("A+[a]"));
        QVERIFY(storedOnServer().isNull());
    }

    void nothingStoredLeavesTheBook() {
        book().setGroups(BookLayout::parse(QStringLiteral("A+[a] B[]")));
        Prompts::queueAnswer(int(QMessageBox::Yes));
        m_form->downloadBookAction()->trigger();
        QCOMPARE(askedUntil(2).last(), kSaving + "|На сервере не найдено сохраненных контактов!");
        QCOMPARE(BookLayout::of(book()), QStringLiteral("A+[a] B[]"));
    }

    void failuresAreReported_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("service refuses the account") << "refused";
        QTest::newRow("server error") << "http500";
        QTest::newRow("connection closed") << "close";
        QTest::newRow("garbage reply") << "garbage";
    }
    void failuresAreReported() {
        QFETCH(QString, fault);
        // A copy on the service to begin with.
        book().setGroups(BookLayout::parse(QStringLiteral("Сервер+[s]")));
        Prompts::queueAnswer(int(QMessageBox::Yes));
        m_form->uploadBookAction()->trigger();
        askedUntil(2);
        const QByteArray stored = storedOnServer();
        QVERIFY(!stored.isEmpty());
        book().setGroups(BookLayout::parse(QStringLiteral("A+[a] B[]")));
        Prompts::takeAsked();

        const auto arm = [&] {
            if (fault == QLatin1String("refused"))
                QVERIFY(m_sandbox.changeAccount(m_key, {{"serverContacts", false}}));
            else
                QVERIFY(m_sandbox.failNext(1, fault));
        };
        arm();
        Prompts::queueAnswer(int(QMessageBox::Yes));
        m_form->uploadBookAction()->trigger();
        QCOMPARE(askedUntil(2).last(), QStringLiteral("Ошибка|Не удалось сохранить данные!"));
        QCOMPARE(storedOnServer(), stored);

        arm();
        Prompts::queueAnswer(int(QMessageBox::Yes));
        m_form->downloadBookAction()->trigger();
        QCOMPARE(askedUntil(2).last(),
                 QStringLiteral("Ошибка|Не удается выполнить загрузку контактов с сервера!"));
        QCOMPARE(BookLayout::of(book()), QStringLiteral("A+[a] B[]"));
    }

    // A settings store that fails under the request's worker is named in an error box, the
    // book stays as it was, and the window goes on.
    void storeFailureUnderTheWorker_data() {
        QTest::addColumn<bool>("upload");
        QTest::newRow("upload") << true;
        QTest::newRow("download") << false;
    }
    void storeFailureUnderTheWorker() {
        QFETCH(bool, upload);
        book().setGroups(BookLayout::parse(QStringLiteral("A+[a] B[]")));
        const qsizetype before = requestsSoFar();
        QVERIFY(StoreDamage::apply(StoreDamage::Kind::TablesDropped, AppPaths::registryFile()));
        Prompts::queueAnswer(int(QMessageBox::Yes));
        (upload ? m_form->uploadBookAction() : m_form->downloadBookAction())->trigger();
        QList<Prompts::Asked> boxes;
        QVERIFY(QTest::qWaitFor([&boxes] {
            boxes << Prompts::takeAsked();
            return boxes.size() >= 2;
        }));
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[1].caption, QStringLiteral("Ошибка"));
        QVERIFY2(StoreDamage::isReported(boxes[1].text, AppPaths::registryFile()),
                 qPrintable(boxes[1].text));
        QCOMPARE(requestsSoFar(), before);
        QCOMPARE(BookLayout::of(book()), QStringLiteral("A+[a] B[]"));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        // Mended, so that the window can close as usual.
        Registry mended;
    }

    // While the reply is out, the window paints and runs its timers but takes no input, so
    // the book cannot change under the download.
    void theWindowKeepsRunningDuringARequest() {
        book().setGroups(BookLayout::parse(QStringLiteral("A+[a]")));
        QVERIFY(m_sandbox.failNext(1, QStringLiteral("delay"), 300));
        bool timerRan = false;
        Prompts::queueAnswer(int(QMessageBox::Yes));
        m_form->downloadBookAction()->trigger();
        QCOMPARE(asked(), QStringList{kSaving + "|" + kDownloadQuestion});
        QTimer::singleShot(0, m_form.get(), [&timerRan] { timerRan = true; });
        QTRY_VERIFY(timerRan);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        m_form->contactTree()->setCurrentIndex(book().groupIndex(0));
        QTest::keyClick(m_form->contactTree(), Qt::Key_Down);
        QCOMPARE(m_form->contactTree()->currentIndex(), book().groupIndex(0));
        QCOMPARE(askedUntil(1),
                 QStringList{kSaving + "|На сервере не найдено сохраненных контактов!"});
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QTest::keyClick(m_form->contactTree(), Qt::Key_Down);
        QVERIFY(m_form->contactTree()->currentIndex() != book().groupIndex(0));
    }
};

QTEST_MAIN(ServerContactsTest)
#include "ServerContactsTest.moc"
