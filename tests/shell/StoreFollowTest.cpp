#include "BookEntries.h"
#include "LoggedInProfile.h"
#include "TestProfile.h"
#include "contacts/BookEdits.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "contacts/ui/ContactTreeView.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"
#include "platform/StoreWatcher.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "shell/MainUnit.h"
#include "shell/StoreFollower.h"

#include <QDialog>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

namespace {

using BookEntries::contact;
using BookEntries::group;

// Friends shut, Work open; Work's first contact is where the user stands.
QList<BookGroup> startBook() {
    return {group(QStringLiteral("Друзья"),
                  {contact(QStringLiteral("Оля"), QStringLiteral("+79160000001"))}),
            group(QStringLiteral("Работа"),
                  {contact(QStringLiteral("Иван"), QStringLiteral("+79160000002")),
                   contact(QStringLiteral("Петр"), QStringLiteral("+79160000003"))},
                  true)};
}

// What varnelo-cli config import brings in: a contact before Ivan at work, a new group,
// and the groups' stored expanded flags turned round.
const QString kImport =
    QStringLiteral("REGEDIT4\r\n\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Varnelo\\Contacts\\Друзья]\r\n@=\"1|1\"\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Varnelo\\Contacts\\Работа]\r\n@=\"2|0\"\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Varnelo\\Contacts\\Работа\\Анна]\r\n@=\"1\"\r\n"
                   "\"Number\"=\"+79160000009\"\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Varnelo\\Contacts\\Работа\\Иван]\r\n@=\"2\"\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Varnelo\\Contacts\\Работа\\Петр]\r\n@=\"3\"\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Varnelo\\Contacts\\Новые]\r\n@=\"3|1\"\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Varnelo\\Contacts\\Новые\\Петя]\r\n@=\"1\"\r\n"
                   "\"Number\"=\"+79160000010\"\r\n");

QStringList captions(const ContactBook& book) {
    QStringList all;
    for (const BookGroup& g : book.groups()) {
        all << g.entry.caption;
        for (const BookEntry& c : g.contacts)
            all << QStringLiteral("  ") + c.caption;
    }
    return all;
}

} // namespace

// The running main window beside the real varnelo-cli writing to the same store.
class StoreFollowTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    std::unique_ptr<TMainForm> m_form;

    static int cli(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral(VARNELO_CLI_EXE), arguments);
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    int importBook() const {
        const QString file = m_profile.root() + QStringLiteral("/book.reg");
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly))
            return -1;
        out.write(Ansi::fromUnicode(kImport));
        out.close();
        return cli({"config", "import", file});
    }

    ContactTreeView* tree() const { return m_form->findChild<ContactTreeView*>(); }
    ContactBook& book() const { return m_form->book(); }

private slots:
    void initTestCase() { Prompts::enableTestMode(); }

    void init() {
        m_form =
            LoggedInProfile::start(startBook(), 3000, QStringLiteral("varnelo-storefollow-test"));
        QCOMPARE(m_form->creation(), TMainForm::Creation::Running);
        m_form->show();
        tree()->selectEntry(book().index(0, 0, book().groupIndex(1))); // Ivan
        Prompts::takeAsked();
    }

    void cleanup() { m_form.reset(); }

    void bookChangedByTheToolIsShown() {
        QCOMPARE(importBook(), 0);
        QTRY_COMPARE(book().groupCount(), 3);
        QCOMPARE(captions(book()), QStringList({"Друзья", "  Оля", "Работа", "  Анна", "  Иван",
                                                "  Петр", "Новые", "  Петя"}));
        // The user's open groups stay as they were; a new group comes as stored.
        QVERIFY(!tree()->isExpanded(book().groupIndex(0)));
        QVERIFY(tree()->isExpanded(book().groupIndex(1)));
        QVERIFY(tree()->isExpanded(book().groupIndex(2)));
        QCOMPARE(book().entry(tree()->selectedEntry()).caption, QStringLiteral("Иван"));
        QVERIFY(Prompts::takeAsked().isEmpty());

        // The next save of the user's builds on the book the tool left.
        m_form->SaveContacts();
        QCOMPARE(ContactStore::readBook(Registry()).size(), 3);
    }

    void contactsImportedByTheToolSurviveTheUsersNextSave() {
        const QString file = m_profile.root() + QStringLiteral("/phone.vcf");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Маша\r\nTEL;TYPE=CELL:8 916 000-00-11\r\n"
                  "CATEGORIES:Работа\r\nEND:VCARD\r\n");
        out.close();
        QProcess import;
        import.start(QStringLiteral(VARNELO_CLI_EXE), {"contacts", "import", file});
        QVERIFY(import.waitForFinished(30000));
        QCOMPARE(import.exitCode(), 0);
        QCOMPARE(import.readAllStandardOutput(),
                 QByteArray("imported 1, duplicates 0, repeated in file 0, invalid 0\n"));
        QTRY_COMPARE(book().contactCount(), 4);

        // The user's own change right after: both stay.
        BookEdits::addContact(book(), {QStringLiteral("Друзья"),
                                       QStringLiteral("Света"),
                                       QStringLiteral("+79160000012"),
                                       {},
                                       false});
        m_form->SaveContacts();
        ContactBook stored;
        stored.setGroups(ContactStore::readBook(Registry()));
        QCOMPARE(captions(stored), QStringList({"Друзья", "  Оля", "  Света", "Работа", "  Иван",
                                                "  Петр", "  Маша"}));
        QCOMPARE(stored.entry(stored.index(2, 0, stored.groupIndex(1))).Number,
                 QStringLiteral("+79160000011"));
    }

    void addressChangedByTheToolReachesTheNextRequest() {
        QCOMPARE(cli({"config", "set", "Host", "example.org"}), 0);
        QCOMPARE(cli({"config", "set", "Port", "3001", "--integer"}), 0);
        // Read from the store at the request, with nothing to follow in between.
        QCOMPARE(m_form->serviceClient()->serverAddress().host, QStringLiteral("example.org"));
        QCOMPARE(m_form->serviceClient()->serverAddress().port, 3001);
    }

    void editInFlightMeetsAChange_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("keep mine")
            << int(QMessageBox::Yes)
            << QStringList({"Друзья", "  Оля", "Работа", "  Иван (новый)", "  Петр"});
        QTest::newRow("take theirs") << int(QMessageBox::No)
                                     << QStringList({"Друзья", "  Оля", "Работа", "  Анна",
                                                     "  Иван", "  Петр", "Новые", "  Петя"});
    }

    // The editor is open while the tool writes: the tree waits, and the save that follows
    // the edit asks instead of overwriting.
    void editInFlightMeetsAChange() {
        QFETCH(int, answer);
        QFETCH(QStringList, stored);
        QDialog editor(m_form.get());
        editor.setModal(true);
        editor.show();
        QSignalSpy storeChanged(m_form->findChild<StoreWatcher*>(), &StoreWatcher::changed);
        QCOMPARE(importBook(), 0);
        QVERIFY(storeChanged.wait()); // the window has heard of the import
        QCOMPARE(book().groupCount(), 2);

        BookEntry renamed = book().entry(tree()->selectedEntry());
        renamed.caption = renamed.Name = QStringLiteral("Иван (новый)");
        book().setEntry(tree()->selectedEntry(), renamed);
        editor.close();
        Prompts::queueAnswer(answer);
        m_form->SaveContacts();
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        // The change of a field made in place is not an edit that can be made again.
        QCOMPARE(asked[0].text, StoreFollower::kChangedElsewhereText.arg(3));

        ContactBook inStore;
        inStore.setGroups(ContactStore::readBook(Registry()));
        QCOMPARE(captions(inStore), stored);
        QCOMPARE(captions(book()), stored);
    }

    void dragMeetsABookChangedElsewhere_data() {
        QTest::addColumn<bool>("ivanGone");
        QTest::addColumn<QVariant>("answer"); // invalid: none given, the default button
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("both kept, nothing asked")
            << false << QVariant()
            << QStringList({"Друзья", "  Оля", "  Иван", "Работа", "  Петр", "  Анна"});
        QTest::newRow("moved contact gone: by default theirs")
            << true << QVariant() << QStringList({"Друзья", "  Оля", "Работа", "  Петр", "  Анна"});
        QTest::newRow("moved contact gone: mine on Yes")
            << true << QVariant(int(QMessageBox::Yes))
            << QStringList({"Друзья", "  Оля", "  Иван", "Работа", "  Петр"});
    }
    // The user drags Ivan to the friends over a book that a second copy changed unseen: Anna
    // came in at work, perhaps Ivan went.
    void dragMeetsABookChangedElsewhere() {
        QFETCH(bool, ivanGone);
        QFETCH(QVariant, answer);
        QFETCH(QStringList, stored);
        Registry registry; // a second copy of the program
        ContactStore store(registry);
        ContactBook other;
        store.LoadContacts(other);
        if (ivanGone)
            other.removeRows(0, 1, other.groupIndex(1));
        other.appendContact(other.groupIndex(1), contact("Анна", "+79160000009"));
        store.SaveContacts(other);
        if (answer.isValid())
            Prompts::queueAnswer(answer);
        QVERIFY(tree()->ContactTreeDragDrop(book().groupIndex(0)));
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), ivanGone ? 1 : 0);
        if (ivanGone)
            QCOMPARE(asked[0].text, StoreFollower::kChangedElsewhereText.arg(2));
        ContactBook inStore;
        inStore.setGroups(ContactStore::readBook(Registry()));
        QCOMPARE(captions(inStore), stored);
        QCOMPARE(captions(book()), stored);
    }
};

QTEST_MAIN(StoreFollowTest)
#include "StoreFollowTest.moc"
