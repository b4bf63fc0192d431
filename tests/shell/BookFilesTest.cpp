#include "LoggedInProfile.h"
#include "TestProfile.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "contacts/ui/ImportContactsDialog.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "shell/MainUnit.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>

namespace {

BookEntry entry(const QString& caption, const QString& number = {}, const QString& sign = {},
                const QString& sender = {}, bool translit = false) {
    return {caption, caption, number, sender, sign, translit, false};
}

QList<BookGroup> startBook() {
    return {{entry(QStringLiteral("Друзья")), {entry("Оля", QStringLiteral("+79160000001"))}}};
}

// Groups and contacts as "Group", "  Name Number" lines.
QStringList lines(const QList<BookGroup>& groups) {
    QStringList all;
    for (const BookGroup& g : groups) {
        all << g.entry.caption;
        for (const BookEntry& c : g.contacts)
            all << QStringLiteral("  %1 %2").arg(c.caption, c.Number);
    }
    return all;
}

// What the import dialog showed, and how it was left.
struct Seen {
    QString counts;
    QStringList invalid;
    bool shown = false;
};

} // namespace

// The book to and from files through the main window's menu, into the real store.
class BookFilesTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    std::unique_ptr<TMainForm> m_form;

    ContactBook& book() const { return m_form->book(); }

    QString writeFile(const QString& name, const QByteArray& bytes) const {
        const QString path = m_profile.root() + QLatin1Char('/') + name;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(bytes);
        return path;
    }

    // Runs the menu's import with `path` answered, and the dialog (when it comes) accepted
    // or cancelled, after choosing `group` for rows without one.
    Seen importThroughMenu(const QString& path, bool accept, const QString& group = {}) {
        Seen seen;
        // Gone with this call, so it cannot answer a later test's dialog when none came here.
        QTimer answer;
        answer.setSingleShot(true);
        connect(&answer, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<ImportContactsDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen.shown = true;
            if (!group.isEmpty()) {
                dialog->groupBox()->setEditText(group);
                // Planned again after a pause in typing: rows without a group go there.
                QTRY_VERIFY(
                    std::any_of(dialog->plan().steps.begin(), dialog->plan().steps.end(),
                                [&](const BookImport::Step& step) { return step.group == group; }));
            }
            seen.counts = dialog->countsLabel()->text();
            for (int i = 0; i < dialog->invalidList()->count(); ++i)
                seen.invalid << dialog->invalidList()->item(i)->text();
            if (accept)
                dialog->importButton()->click();
            else
                dialog->reject();
        });
        answer.start(0);
        Prompts::queueAnswer(path);
        m_form->importContactsAction()->trigger();
        return seen;
    }

    QList<BookGroup> storedBook() const { return ContactStore::readBook(Registry()); }

private slots:
    void initTestCase() { Prompts::enableTestMode(); }

    void init() {
        m_form = LoggedInProfile::start(startBook(), 9, QStringLiteral("varnelo-bookfiles-test"));
        QCOMPARE(m_form->creation(), TMainForm::Creation::Running);
        Prompts::takeAsked();
    }

    void cleanup() { m_form.reset(); }

    void importShowsThenApplies_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<QStringList>("invalid");
        QTest::addColumn<QStringList>("after");

        QTest::newRow("vCard into the chosen group, a duplicate and a bad number")
            << QByteArray(
                   "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Петрова;Анна\r\nTEL;CELL:8 916 000-00-05\r\n"
                   "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:Оля\r\n"
                   "TEL:+7 916 000 00 01\r\nCATEGORIES:Друзья\r\nEND:VCARD\r\n"
                   "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Сосед\r\nTEL:12\r\nEND:VCARD\r\n")
            << "Работа"
            << "Новых контактов: 1\nУже есть в книге: 1\nС ошибкой в номере: 1\nНовых групп: 1"
            << QStringList{"Строка 12: Сосед — неверный номер «12»"}
            << QStringList{"Друзья", "  Оля +79160000001", "Работа", "  Анна Петрова +79160000005"};
        QTest::newRow("CSV without groups goes to Без группы")
            << QByteArray("Имя;Телефон\r\nИван;89160000006\r\nБез номера;\r\n") << ""
            << "Новых контактов: 1\nУже есть в книге: 0\nС ошибкой в номере: 1\nНовых групп: 1"
            << QStringList{"Строка 3: Без номера — нет номера"}
            << QStringList{"Друзья", "  Оля +79160000001", "Без группы", "  Иван +79160000006"};
    }
    void importShowsThenApplies() {
        QFETCH(QByteArray, file);
        QFETCH(QString, group);
        QFETCH(QString, counts);
        QFETCH(QStringList, invalid);
        QFETCH(QStringList, after);

        const Seen seen = importThroughMenu(writeFile(QStringLiteral("in.txt"), file), true, group);
        QVERIFY(seen.shown);
        QCOMPARE(seen.counts, counts);
        QCOMPARE(seen.invalid, invalid);
        QCOMPARE(lines(book().groups()), after);
        QCOMPARE(lines(storedBook()), after);
        QVERIFY(Prompts::takeAsked().size() == 1); // the file prompt only
    }

    void cancelChangesNothing() {
        const QString path = writeFile(QStringLiteral("in.csv"), "Name,Phone\nИван,9160000006\n");
        const Seen seen = importThroughMenu(path, false);
        QVERIFY(seen.shown);
        QCOMPARE(lines(book().groups()), lines(startBook()));
        QCOMPARE(lines(storedBook()), lines(startBook()));
    }

    void fileThatIsNoContactsIsTold_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::newRow("no contact table")
            << writeFile(QStringLiteral("notes.txt"), "a,b\n1,2\n") << "не найдены контакты";
        QTest::newRow("missing file")
            << m_profile.root() + QStringLiteral("/gone.vcf") << "Не удалось открыть файл";
    }
    void fileThatIsNoContactsIsTold() {
        QFETCH(QString, path);
        QFETCH(QString, message);
        const Seen seen = importThroughMenu(path, true);
        QVERIFY(!seen.shown);
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 2);
        QVERIFY2(asked[1].text.contains(message), qPrintable(asked[1].text));
        QCOMPARE(lines(storedBook()), lines(startBook()));
    }

    void exportThenImportGivesTheSameBook_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("keepsEmptyGroups");
        QTest::newRow("vCard") << "book.vcf" << false;
        QTest::newRow("CSV") << "book.csv" << true;
    }
    void exportThenImportGivesTheSameBook() {
        QFETCH(QString, fileName);
        QFETCH(bool, keepsEmptyGroups);
        const QList<BookGroup> original{
            {entry(QStringLiteral("Работа; отдел \"А\"")),
             {entry(QStringLiteral("Петров, Пётр"), QStringLiteral("+79161234567"),
                    QStringLiteral("С уважением,\\ Пётр"), QStringLiteral("SHOP"), true),
              entry(QStringLiteral("John Smith"), QStringLiteral("+442079460958"))}},
            {entry(QStringLiteral("Пустая")), {}},
            {entry(QStringLiteral("Друзья")),
             {entry(QStringLiteral("Оля"), QStringLiteral("+79160000001"), {}, {}, false)}}};
        book().setGroups(original);
        const QString path = m_profile.root() + QLatin1Char('/') + fileName;
        Prompts::queueAnswer(path);
        m_form->exportContactsAction()->trigger();
        QVERIFY(QFile::exists(path));

        book().clear();
        QVERIFY(importThroughMenu(path, true).shown);
        QList<BookGroup> expected = original;
        if (!keepsEmptyGroups)
            expected.removeAt(1);
        QCOMPARE(book().groups(), expected);
    }
};

QTEST_MAIN(BookFilesTest)
#include "BookFilesTest.moc"
