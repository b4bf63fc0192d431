#include "BookLayout.h"
#include "Screenshots.h"
#include "TestProfile.h"
#include "contacts/ContactBook.h"
#include "contacts/ui/ContactTreeView.h"
#include "platform/ui/Prompts.h"

#include <QAccessible>
#include <QAction>
#include <QTest>

namespace {

// "G" is the group G, "G/c" its contact c; the last entry of that caption counts.
QModelIndex entryAt(const ContactBook& book, const QString& path) {
    const QStringList parts = path.split(QLatin1Char('/'));
    for (int row = book.groupCount() - 1; row >= 0; --row) {
        const QModelIndex group = book.groupIndex(row);
        if (book.entry(group).caption != parts[0])
            continue;
        if (parts.size() == 1)
            return group;
        for (int child = book.rowCount(group) - 1; child >= 0; --child) {
            const QModelIndex contact = book.index(child, 0, group);
            if (book.entry(contact).caption == parts[1])
                return contact;
        }
    }
    return {};
}

QString pathOf(const ContactBook& book, const QModelIndex& index) {
    if (!index.isValid())
        return {};
    if (ContactBook::isGroup(index))
        return book.entry(index).caption;
    return book.entry(index.parent()).caption + QLatin1Char('/') + book.entry(index).caption;
}

// The numbers of each contact in book order, "+7" + caption.
QString numbersOf(const ContactBook& book) {
    QStringList numbers;
    for (const BookGroup& group : book.groups()) {
        for (const BookEntry& contact : group.contacts)
            numbers << contact.Number;
    }
    return numbers.join(QLatin1Char(' '));
}

// A tree over a book, recording the pages it opens and its saves.
struct TreeUnderTest {
    ContactBook book;
    ContactTreeView view;
    QList<PageRequest> pages;
    int saves = 0;
    std::optional<BookEdit> saved; // the change the last save was handed

    explicit TreeUnderTest(const QString& layout) {
        book.setGroups(BookLayout::parse(layout));
        view.setBook(&book);
        view.openPage = [this](const PageRequest& page) { pages << page; };
        view.saveContacts = [this](const BookEdit& edit) {
            ++saves;
            saved = edit;
        };
        view.resize(220, 400);
    }
    void select(const QString& path) {
        const QModelIndex index = entryAt(book, path);
        QVERIFY2(index.isValid(), qPrintable(path));
        view.selectEntry(index);
    }
    QPoint centreOf(const QString& path) { return view.visualRect(entryAt(book, path)).center(); }
    // The saved change made again on the book laid out so; empty when it cannot be.
    QString replayedOn(const QString& layout) const {
        QList<BookGroup> groups = BookLayout::parse(layout);
        return saved && saved->applyTo(groups) ? BookLayout::of(groups) : QString();
    }
};

} // namespace

class ContactTreeTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

private slots:
    void initTestCase() { Prompts::enableTestMode(); }
    void init() { Prompts::takeAsked(); }

    void viewSettings() {
        TreeUnderTest tree(QStringLiteral("G+[a]"));
        ContactTreeView& view = tree.view;
        QCOMPARE(view.indentation(), 19);
        QVERIFY(!view.rootIsDecorated());
        QVERIFY(view.isHeaderHidden());
        QVERIFY(!view.expandsOnDoubleClick());
        QCOMPARE(view.editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(view.selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(view.selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(view.dragEnabled());
        QCOMPARE(view.contextMenuPolicy(), Qt::CustomContextMenu);
        QCOMPARE(view.palette().color(QPalette::Inactive, QPalette::Highlight),
                 view.palette().color(QPalette::Active, QPalette::Highlight));
        QVERIFY(view.isExpanded(tree.book.groupIndex(0)));
        QVERIFY(!tree.book.data(entryAt(tree.book, "G/a"), Qt::ToolTipRole).isValid());

        if (Screenshots::wanted()) {
            tree.select("G/a");
            QVERIFY(Screenshots::save(&view, QStringLiteral("tree")));
        }
    }

    void groupPageJoinsNumbersInBookOrder_data() {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QString>("joined");
        QTest::newRow("three") << QStringList{"+7001", "+7002", "+7003"} << "+7001|+7002|+7003";
        QTest::newRow("one") << QStringList{"+7001"} << "+7001";
        // The group still has a contact, so its page opens; the service judges the number.
        QTest::newRow("numbers missing") << QStringList{"", "+7002", ""} << "|+7002|";
    }
    void groupPageJoinsNumbersInBookOrder() {
        QFETCH(QStringList, numbers);
        QFETCH(QString, joined);
        TreeUnderTest tree(QStringLiteral("Before[x] G[] After[y]"));
        const QModelIndex group = entryAt(tree.book, "G");
        tree.book.setData(group, QStringLiteral("Семья"), ContactBook::NameRole);
        tree.book.setData(group, QStringLiteral("+7999"), ContactBook::NumberRole);
        for (int i = 0; i < numbers.size(); ++i) {
            BookEntry contact;
            contact.caption = QString(QChar(u'A' + i));
            contact.Number = numbers[i];
            tree.book.appendContact(group, contact);
        }
        tree.select("G");
        tree.view.ContactTreeDblClick();
        QCOMPARE(tree.pages.size(), 1);
        const PageRequest& page = tree.pages[0];
        QCOMPARE(page.number, joined);
        QCOMPARE(page.name, QStringLiteral("Семья"));
        QVERIFY(page.text.isEmpty());
        QCOMPARE(tree.book.indexOf(page.node), group);
        // The joined numbers stay in the group's Number until the next group page.
        QCOMPARE(tree.book.entry(group).Number, joined);
        QCOMPARE(tree.saves, 0);
    }

    void emptyGroupOpensNothing() {
        TreeUnderTest tree(QStringLiteral("A[x] G[]"));
        const QModelIndex group = entryAt(tree.book, "G");
        tree.book.setData(group, QStringLiteral("+7001|+7002"), ContactBook::NumberRole);
        tree.select("G");
        tree.view.ContactTreeDblClick();
        QTest::keyClick(&tree.view, Qt::Key_Return);
        QVERIFY(tree.pages.isEmpty());
        QVERIFY(tree.book.entry(group).Number.isEmpty());
    }

    void contactPageCarriesTheContact() {
        TreeUnderTest tree(QStringLiteral("G[a,b]"));
        const QModelIndex b = entryAt(tree.book, "G/b");
        BookEntry fields = tree.book.entry(b);
        fields.Sender = QStringLiteral("Shop");
        fields.Name = QStringLiteral("Борис");
        fields.Sign = QStringLiteral("-- B");
        fields.Translit = true;
        tree.book.setEntry(b, fields);
        tree.select("G/b");
        tree.view.ContactTreeDblClick();
        QCOMPARE(tree.pages.size(), 1);
        const PageRequest& page = tree.pages[0];
        QCOMPARE(page.sender, QStringLiteral("Shop"));
        QCOMPARE(page.name, QStringLiteral("Борис"));
        QCOMPARE(page.number, QStringLiteral("+7b"));
        QCOMPARE(page.sign, QStringLiteral("-- B"));
        QVERIFY(page.translit);
        QCOMPARE(tree.book.indexOf(page.node), b);
        // Once the entry is gone, the page's pointer no longer finds it.
        tree.book.removeRows(0, 1, tree.book.groupIndex(0));
        tree.book.removeRows(0, 1, tree.book.groupIndex(0));
        QVERIFY(!tree.book.indexOf(page.node).isValid());
    }

    void mouseAndKeysOpenPages() {
        TreeUnderTest tree(QStringLiteral("G+[a,b]"));
        tree.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree.view));
        QTest::mouseDClick(tree.view.viewport(), Qt::LeftButton, {}, tree.centreOf("G/b"));
        QCOMPARE(tree.pages.size(), 1);
        QCOMPARE(tree.pages[0].number, QStringLiteral("+7b"));
        tree.select("G/a");
        QTest::keyClick(&tree.view, Qt::Key_Enter);
        QCOMPARE(tree.pages.size(), 2);
        QCOMPARE(tree.pages[1].number, QStringLiteral("+7a"));
        // Nothing selected: nothing opens.
        tree.view.clearSelection();
        QTest::keyClick(&tree.view, Qt::Key_Return);
        QCOMPARE(tree.pages.size(), 2);
    }

    void releaseOverAGroupFlipsIt() {
        TreeUnderTest tree(QStringLiteral("G[a] H+[b]"));
        tree.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree.view));
        const QModelIndex g = entryAt(tree.book, "G");
        QTest::mouseClick(tree.view.viewport(), Qt::LeftButton, {}, tree.centreOf("G"));
        QVERIFY(tree.book.entry(g).expanded);
        QVERIFY(tree.view.isExpanded(g));
        QTest::mouseClick(tree.view.viewport(), Qt::RightButton, {}, tree.centreOf("G"));
        QVERIFY(tree.book.entry(g).expanded);
        QTest::mouseClick(tree.view.viewport(), Qt::LeftButton, {}, tree.centreOf("H/b"));
        QVERIFY(tree.book.entry(entryAt(tree.book, "H")).expanded);
        QTest::mouseClick(tree.view.viewport(), Qt::LeftButton, {}, tree.centreOf("G"));
        QVERIFY(!tree.book.entry(g).expanded);
        QVERIFY(!tree.view.isExpanded(g));
        // Collapsing by keyboard reaches the book too.
        tree.view.collapse(entryAt(tree.book, "H"));
        QVERIFY(!tree.book.entry(entryAt(tree.book, "H")).expanded);
        QCOMPARE(tree.saves, 0);
    }

    void contextMenuCaptions_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("send");
        QTest::addColumn<QString>("sort");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("contact") << "G/a"
                                 << "Отправить СМС"
                                 << "Сортировать внутри группы" << true;
        QTest::newRow("group") << "G"
                               << "Отправить СМС группе"
                               << "Сортировать группы" << true;
        QTest::newRow("nothing") << ""
                                 << "Отправить СМС"
                                 << "Сортировать" << false;
    }
    void contextMenuCaptions() {
        QFETCH(QString, selected);
        QFETCH(QString, send);
        QFETCH(QString, sort);
        QFETCH(bool, enabled);
        TreeUnderTest tree(QStringLiteral("G+[a]"));
        QAction sendAction(QStringLiteral("x"));
        QAction sortAction(QStringLiteral("y"));
        // From whatever an earlier opening left.
        tree.select("G");
        tree.view.fitMenuToSelection(&sendAction, &sortAction);
        if (selected.isEmpty())
            tree.view.clearSelection();
        else
            tree.select(selected);
        tree.view.fitMenuToSelection(&sendAction, &sortAction);
        QCOMPARE(sendAction.text(), send);
        QCOMPARE(sortAction.text(), sort);
        QCOMPARE(sendAction.isEnabled(), enabled);
        QCOMPARE(sortAction.isEnabled(), enabled);
    }

    void rightClickSelectsTheEntryUnderTheCursor() {
        TreeUnderTest tree(QStringLiteral("G+[a,b] H[]"));
        tree.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree.view));
        tree.select("G/a");
        tree.view.ContactTreeContextPopup(tree.centreOf("H"));
        QCOMPARE(pathOf(tree.book, tree.view.selectedEntry()), QStringLiteral("H"));
        // Below the last entry the selection stays.
        tree.view.ContactTreeContextPopup(QPoint(5, tree.view.viewport()->height() - 2));
        QCOMPARE(pathOf(tree.book, tree.view.selectedEntry()), QStringLiteral("H"));
    }

    void dragAndDrop_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("after");

        QTest::newRow("contact onto a collapsed group: last, group expanded")
            << "A+[a1,a2] B[b1,b2]"
            << "A/a1"
            << "B" << true << "A+[a2] B+[b1,b2,a1]";
        QTest::newRow("contact onto its own group: to the end") << "A+[a1,a2,a3]"
                                                                << "A/a1"
                                                                << "A" << true << "A+[a2,a3,a1]";
        QTest::newRow("contact onto an empty group") << "A+[a1] B[]"
                                                     << "A/a1"
                                                     << "B" << true << "A+[] B+[a1]";
        QTest::newRow("contact onto a contact of another group: just above")
            << "A+[a1,a2] B[b1,b2]"
            << "A/a2"
            << "B/b2" << true << "A+[a1] B+[b1,a2,b2]";
        QTest::newRow("contact down within its group") << "A+[a1,a2,a3,a4]"
                                                       << "A/a1"
                                                       << "A/a3" << true << "A+[a2,a1,a3,a4]";
        QTest::newRow("contact up within its group") << "A+[a1,a2,a3,a4]"
                                                     << "A/a4"
                                                     << "A/a2" << true << "A+[a1,a4,a2,a3]";
        QTest::newRow("contact onto the one after it") << "A+[a1,a2]"
                                                       << "A/a1"
                                                       << "A/a2" << true << "A+[a1,a2]";
        QTest::newRow("group onto a later group: just before it, with its contacts")
            << "A+[a1] B[b1] C[c1]"
            << "A"
            << "C" << true << "B[b1] A+[a1] C[c1]";
        QTest::newRow("group onto an earlier group") << "A[a1] B[b1] C+[c1]"
                                                     << "C"
                                                     << "A" << true << "C+[c1] A[a1] B[b1]";
        QTest::newRow("group onto a contact: refused") << "A[a1] B+[b1]"
                                                       << "A"
                                                       << "B/b1" << false << "A[a1] B+[b1]";
        QTest::newRow("group onto its own contact: refused") << "A+[a1]"
                                                             << "A"
                                                             << "A/a1" << false << "A+[a1]";
        QTest::newRow("onto itself: nothing changes") << "A+[a1,a2]"
                                                      << "A/a1"
                                                      << "A/a1" << true << "A+[a1,a2]";
        QTest::newRow("onto no entry: refused") << "A+[a1] B[]"
                                                << "A/a1"
                                                << "" << false << "A+[a1] B[]";
    }
    void dragAndDrop() {
        QFETCH(QString, layout);
        QFETCH(QString, dragged);
        QFETCH(QString, target);
        QFETCH(bool, accepted);
        QFETCH(QString, after);
        TreeUnderTest tree(layout);
        const QString numbersBefore = numbersOf(tree.book);
        tree.select(dragged);
        const QModelIndex targetIndex = entryAt(tree.book, target);
        QCOMPARE(tree.view.ContactTreeDragOver(targetIndex), accepted);
        QCOMPARE(tree.view.ContactTreeDragDrop(targetIndex), accepted);
        QCOMPARE(BookLayout::of(tree.book), after);
        QCOMPARE(tree.saves, accepted ? 1 : 0);
        if (!accepted)
            return;
        QCOMPARE(tree.replayedOn(layout), after);
        // The moved entry stays selected and keeps its fields; the view shows its group open.
        QCOMPARE(pathOf(tree.book, tree.view.selectedEntry()).section('/', -1),
                 dragged.section('/', -1));
        QCOMPARE(numbersOf(tree.book).split(' ').size(), numbersBefore.split(' ').size());
        const QModelIndex moved = tree.view.selectedEntry();
        QCOMPARE(tree.book.entry(moved).Number,
                 ContactBook::isContact(moved) ? "+7" + dragged.section('/', -1) : QString());
        if (ContactBook::isContact(moved))
            QVERIFY(tree.view.isExpanded(moved.parent()));
    }

    void sorting_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("anchor");
        QTest::addColumn<QString>("after");

        QTest::newRow("a contact sorts its group only") << "Z+[c,a,b] Y+[z,x] X[q,p]"
                                                        << "Y/x"
                                                        << "Z+[c,a,b] Y+[x,z] X[q,p]";
        QTest::newRow("a group sorts the groups, contacts travel unsorted")
            << "Z+[c,a,b] Y+[z,x] X[q,p]"
            << "Y"
            << "X[q,p] Y+[z,x] Z+[c,a,b]";
        // Code page 1251: digits, Latin capitals, Latin small, Ё, ё, Cyrillic capitals, small.
        QTest::newRow("code page order of the groups")
            << "яблоко[] Яблоко[] 10[] Zeta[] alpha[] ёж[] Ёж[] апрель[] Апрель[] 1[]"
            << "Zeta"
            << "1[] 10[] Zeta[] alpha[] Ёж[] ёж[] Апрель[] Яблоко[] апрель[] яблоко[]";
        QTest::newRow("code page order within a group")
            << "G+[ярд,Ярд,9,Bob,bob,Ёлка,ёлка,Ан,ан,А] H[я,А]"
            << "G/bob"
            << "G+[9,Bob,bob,Ёлка,ёлка,А,Ан,Ярд,ан,ярд] H[я,А]";
        QTest::newRow("the shorter beginning first") << "G+[Иванова,Иван,Иванов]"
                                                     << "G/Иван"
                                                     << "G+[Иван,Иванов,Иванова]";
    }
    void sorting() {
        QFETCH(QString, layout);
        QFETCH(QString, anchor);
        QFETCH(QString, after);
        TreeUnderTest tree(layout);
        tree.select(anchor);
        tree.view.sortSelected();
        QCOMPARE(BookLayout::of(tree.book), after);
        QCOMPARE(tree.saves, 1);
        QCOMPARE(tree.replayedOn(layout), after);
        QCOMPARE(pathOf(tree.book, tree.view.sortAnchor()), anchor);
        QCOMPARE(pathOf(tree.book, tree.view.selectedEntry()), anchor);
    }

    void sortingIsStable() {
        TreeUnderTest tree(QStringLiteral("G+[b,a,b,a] H[] G[] H[]"));
        const QModelIndex g = tree.book.groupIndex(0);
        const QStringList numbers{"+1", "+2", "+3", "+4"};
        for (int row = 0; row < 4; ++row)
            tree.book.setData(tree.book.index(row, 0, g), numbers[row], ContactBook::NumberRole);
        tree.book.setData(tree.book.groupIndex(1), "first H", ContactBook::NameRole);
        tree.book.setData(tree.book.groupIndex(2), "second G", ContactBook::NameRole);
        tree.view.selectEntry(tree.book.index(0, 0, g));
        tree.view.sortSelected();
        QCOMPARE(numbersOf(tree.book), QStringLiteral("+2 +4 +1 +3"));
        tree.view.selectEntry(tree.book.groupIndex(1));
        tree.view.sortSelected();
        QCOMPARE(BookLayout::of(tree.book), QStringLiteral("G+[a,a,b,b] G[] H[] H[]"));
        QCOMPARE(tree.book.entry(tree.book.groupIndex(1)).Name, QStringLiteral("second G"));
        QCOMPARE(tree.book.entry(tree.book.groupIndex(2)).Name, QStringLiteral("first H"));
    }

    void sortingWithoutSelectionDoesNothing() {
        TreeUnderTest tree(QStringLiteral("B[] A[]"));
        tree.view.sortSelected();
        QCOMPARE(BookLayout::of(tree.book), QStringLiteral("B[] A[]"));
        QCOMPARE(tree.saves, 0);
    }

    void deleteAsksFirst_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("after");
        const QString group = QStringLiteral("Вы действительно хотите удалить группу \"Работа\"?");
        const QString contact =
            QStringLiteral("Вы действительно хотите удалить абонента \"Иван\"?");
        QTest::newRow("group, yes: its contacts go too")
            << "Работа" << int(QMessageBox::Yes) << group << "Дом[Мама]";
        QTest::newRow("group, no")
            << "Работа" << int(QMessageBox::No) << group << "Работа+[Иван,Петр] Дом[Мама]";
        QTest::newRow("contact, yes")
            << "Работа/Иван" << int(QMessageBox::Yes) << contact << "Работа+[Петр] Дом[Мама]";
        QTest::newRow("contact, no")
            << "Работа/Иван" << int(QMessageBox::No) << contact << "Работа+[Иван,Петр] Дом[Мама]";
    }
    void deleteAsksFirst() {
        QFETCH(QString, selected);
        QFETCH(int, answer);
        QFETCH(QString, question);
        QFETCH(QString, after);
        TreeUnderTest tree(QStringLiteral("Работа+[Иван,Петр] Дом[Мама]"));
        tree.select(selected);
        Prompts::queueAnswer(answer);
        tree.view.ButDelContactClick();
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, question);
        QCOMPARE(asked[0].caption, QStringLiteral("Подтверждение"));
        QCOMPARE(asked[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(BookLayout::of(tree.book), after);
        QCOMPARE(tree.saves, answer == QMessageBox::Yes ? 1 : 0);
        if (tree.saves)
            QCOMPARE(tree.replayedOn(QStringLiteral("Работа+[Иван,Петр] Дом[Мама]")), after);
    }

    void deleteWithoutSelectionAsksNothing() {
        TreeUnderTest tree(QStringLiteral("A[a]"));
        tree.view.ButDelContactClick();
        QVERIFY(Prompts::takeAsked().isEmpty());
        QCOMPARE(BookLayout::of(tree.book), QStringLiteral("A[a]"));
    }

    void f3FindsTheNextMatch_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QVariant>("answer");
        QTest::addColumn<QString>("found");
        const QVariant cancel;
        QTest::newRow("caption, letter case ignored")
            << "Друзья" << QVariant("ИВАН") << "Друзья/иванов";
        QTest::newRow("searching on from the selection")
            << "Друзья/иванов" << QVariant("иван") << "Работа/Иван.Ёлкин";
        QTest::newRow("wrapping past the end")
            << "Работа/Иван.Ёлкин" << QVariant("иван") << "Друзья/иванов";
        QTest::newRow("ё by the code page's case rule")
            << "Друзья" << QVariant("ёлкин") << "Работа/Иван.Ёлкин";
        QTest::newRow("by number") << "Друзья" << QVariant("+7Пет") << "Работа/Петр";
        QTest::newRow("a group") << "Работа/Петр" << QVariant("друз") << "Друзья";
        QTest::newRow("nothing without a selection: from the top")
            << "" << QVariant("ПЕТР") << "Работа/Петр";
        QTest::newRow("no match keeps the selection") << "Друзья" << QVariant("xyz") << "Друзья";
        QTest::newRow("empty answer keeps it") << "Друзья" << QVariant("") << "Друзья";
        QTest::newRow("cancelled") << "Друзья" << cancel << "Друзья";
    }
    void f3FindsTheNextMatch() {
        QFETCH(QString, selected);
        QFETCH(QVariant, answer);
        QFETCH(QString, found);
        TreeUnderTest tree(QStringLiteral("Друзья[иванов,Оля] Работа[Петр,Иван.Ёлкин]"));
        if (!selected.isEmpty())
            tree.select(selected);
        Prompts::queueAnswer(answer);
        QTest::keyClick(&tree.view, Qt::Key_F3);
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].kind, QStringLiteral("input"));
        QCOMPARE(asked[0].caption, QStringLiteral("Поиск контакта"));
        QCOMPARE(asked[0].text, QStringLiteral("Введите информацию для поиска"));
        QCOMPARE(pathOf(tree.book, tree.view.selectedEntry()), found);
        if (found.contains('/'))
            QVERIFY(tree.view.isExpanded(tree.view.selectedEntry().parent()));
        QCOMPARE(tree.saves, 0);
    }

    void replacedBookShowsItsExpandedGroups() {
        TreeUnderTest tree(QStringLiteral("A+[a]"));
        tree.book.setGroups(BookLayout::parse(QStringLiteral("X[x] Y+[y] Z+[]")));
        QVERIFY(!tree.view.isExpanded(tree.book.groupIndex(0)));
        QVERIFY(tree.view.isExpanded(tree.book.groupIndex(1)));
        // A contact appended to an expanded empty group shows at once.
        BookEntry contact;
        contact.caption = QStringLiteral("z");
        tree.book.appendContact(tree.book.groupIndex(2), contact);
        QVERIFY(tree.view.isExpanded(tree.book.groupIndex(2)));
    }

    // A screen reader reads each shown entry of the tree by its caption, in the tree's order,
    // and learns which entries are groups that open.
    void screenReaderReadsEntriesByCaption() {
        TreeUnderTest tree(QStringLiteral("Семья+[Мама,Папа] Работа[Шеф] Пусто[]"));
        tree.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree.view));
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(&tree.view);
        QVERIFY(view);
        QCOMPARE(view->role(), QAccessible::Tree);
        QStringList captions;
        QStringList expandable;
        for (int i = 0; i < view->childCount(); ++i) {
            QAccessibleInterface* item = view->child(i);
            QVERIFY(item);
            if (item->role() != QAccessible::TreeItem)
                continue;
            captions << item->text(QAccessible::Name);
            if (item->state().expandable)
                expandable << item->text(QAccessible::Name);
        }
        QCOMPARE(captions, (QStringList{"Семья", "Мама", "Папа", "Работа", "Пусто"}));
        QCOMPARE(expandable, (QStringList{"Семья", "Работа"}));
    }
};

QTEST_MAIN(ContactTreeTest)
#include "ContactTreeTest.moc"
