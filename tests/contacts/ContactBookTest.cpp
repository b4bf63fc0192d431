#include "contacts/ContactBook.h"
#include "BookLayout.h"
#include "TestProfile.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

// Where the model's rows are addressed in the tables: "" is the top level, "A" group A.
class ContactBookTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

    static QModelIndex parentNamed(const ContactBook& book, const QString& caption) {
        return caption.isEmpty() ? QModelIndex() : book.findGroup(caption);
    }

    static void watch(ContactBook& book) {
        new QAbstractItemModelTester(&book, QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     &book);
    }

private slots:
    void moveRows_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("destination");
        QTest::addColumn<QString>("result"); // empty: refused, nothing changes

        QTest::newRow("contact down in its group")
            << "A" << 0 << 1 << "A" << 3 << "A[y,z,x] B[u] C[]";
        QTest::newRow("contact up in its group")
            << "A" << 2 << 1 << "A" << 0 << "A[z,x,y] B[u] C[]";
        QTest::newRow("two contacts down") << "A" << 0 << 2 << "A" << 3 << "A[z,x,y] B[u] C[]";
        QTest::newRow("contact before a contact of another group")
            << "A" << 1 << 1 << "B" << 0 << "A[x,z] B[y,u] C[]";
        QTest::newRow("contact to the end of an empty group")
            << "B" << 0 << 1 << "C" << 0 << "A[x,y,z] B[] C[u]";
        QTest::newRow("group up with its contacts")
            << "" << 1 << 1 << "" << 0 << "B[u] A[x,y,z] C[]";
        QTest::newRow("group to the end") << "" << 0 << 1 << "" << 3 << "B[u] C[] A[x,y,z]";
        QTest::newRow("onto itself") << "A" << 1 << 1 << "A" << 1 << "";
        QTest::newRow("just behind itself") << "A" << 1 << 1 << "A" << 2 << "";
        QTest::newRow("group into a group") << "" << 0 << 1 << "B" << 0 << "";
        QTest::newRow("contact to the top level") << "A" << 0 << 1 << "" << 0 << "";
        QTest::newRow("range past the end") << "A" << 2 << 2 << "B" << 0 << "";
        QTest::newRow("destination past the end") << "A" << 0 << 1 << "B" << 2 << "";
        QTest::newRow("no rows") << "A" << 0 << 0 << "B" << 0 << "";
    }
    void moveRows() {
        QFETCH(QString, from);
        QFETCH(int, row);
        QFETCH(int, count);
        QFETCH(QString, to);
        QFETCH(int, destination);
        QFETCH(QString, result);
        const QString start = QStringLiteral("A[x,y,z] B[u] C[]");
        ContactBook book;
        book.setGroups(BookLayout::parse(start));
        watch(book);
        const bool moved =
            book.moveRows(parentNamed(book, from), row, count, parentNamed(book, to), destination);
        QCOMPARE(moved, !result.isEmpty());
        QCOMPARE(BookLayout::of(book), result.isEmpty() ? start : result);
    }

    void movedContactKeepsFieldsAndBinding() {
        ContactBook book;
        book.setGroups(BookLayout::parse(QStringLiteral("A[x,y] B[u]")));
        watch(book);
        const QModelIndex y = book.index(1, 0, book.groupIndex(0));
        book.setData(y, QStringLiteral("Personal"), ContactBook::SenderRole);
        book.setData(y, true, ContactBook::TranslitRole);
        const QPersistentModelIndex bound(y);
        QVERIFY(book.moveRows(book.groupIndex(0), 1, 1, book.groupIndex(1), 1));
        QVERIFY(bound.isValid());
        QCOMPARE(book.groupOf(bound), book.groupIndex(1));
        QCOMPARE(bound.row(), 1);
        const BookEntry moved = book.entry(bound);
        QCOMPARE(moved.caption, QStringLiteral("y"));
        QCOMPARE(moved.Sender, QStringLiteral("Personal"));
        QVERIFY(moved.Translit);
        QCOMPARE(moved.Number, QStringLiteral("+7y"));
    }

    void removingAGroupUnbindsItsContacts() {
        ContactBook book;
        book.setGroups(BookLayout::parse(QStringLiteral("A[x] B[u]")));
        watch(book);
        const QPersistentModelIndex x(book.index(0, 0, book.groupIndex(0)));
        const QPersistentModelIndex u(book.index(0, 0, book.groupIndex(1)));
        QVERIFY(book.removeRows(0, 1));
        QVERIFY(!x.isValid());
        QCOMPARE(book.entry(u).caption, QStringLiteral("u"));
        QCOMPARE(book.groupOf(u), book.groupIndex(0));
    }

    void insertAndRemoveRows() {
        ContactBook book;
        book.setGroups(BookLayout::parse(QStringLiteral("A[x] B[]")));
        watch(book);
        QVERIFY(book.insertRows(1, 2));
        QCOMPARE(BookLayout::of(book), QStringLiteral("A[x] [] [] B[]"));
        QVERIFY(book.insertRows(0, 1, book.groupIndex(3)));
        QCOMPARE(book.rowCount(book.groupIndex(3)), 1);
        QVERIFY(!book.insertRows(0, 1, book.index(0, 0, book.groupIndex(0)))); // below a contact
        QVERIFY(!book.insertRows(5, 1));
        QVERIFY(book.removeRows(1, 2));
        QVERIFY(book.removeRows(0, 1, book.groupIndex(0)));
        QVERIFY(!book.removeRows(0, 1, book.groupIndex(0)));
        QCOMPARE(BookLayout::of(book), QStringLiteral("A[] B[]"));
        QCOMPARE(book.contactCount(), 1);
    }

    void findGroupTakesTheLastExactMatch_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("row");
        QTest::newRow("shared caption") << "Work" << 2;
        QTest::newRow("letter case counts") << "work" << 1;
        QTest::newRow("blanks count") << "Work " << -1;
        QTest::newRow("none") << "Home" << -1;
        QTest::newRow("empty caption") << "" << 3;
    }
    void findGroupTakesTheLastExactMatch() {
        QFETCH(QString, caption);
        QFETCH(int, row);
        ContactBook book;
        for (const char* name : {"Work", "work", "Work", ""})
            book.appendGroup({.caption = QString::fromUtf8(name)});
        const QModelIndex found = book.findGroup(caption);
        QCOMPARE(found.isValid() ? found.row() : -1, row);
    }

    void rolesReadAndWriteTheFields() {
        ContactBook book;
        watch(book);
        const QModelIndex group = book.appendGroup({.caption = QStringLiteral("G")});
        const QModelIndex contact = book.appendContact(
            group, {.caption = QStringLiteral("C"), .Name = QStringLiteral("Name")});
        QVERIFY(contact.isValid());
        QSignalSpy changed(&book, &QAbstractItemModel::dataChanged);
        QVERIFY(book.setData(contact, QStringLiteral("+7001"), ContactBook::NumberRole));
        QCOMPARE(changed.count(), 1);
        QVERIFY(book.setData(group, true, ContactBook::ExpandedRole));
        QVERIFY(!book.setData(contact, true, ContactBook::ExpandedRole));
        QVERIFY(!book.setData(contact, 0, ContactBook::LevelRole));
        QCOMPARE(book.data(contact, ContactBook::NumberRole).toString(), QStringLiteral("+7001"));
        QCOMPARE(book.data(contact, ContactBook::NameRole).toString(), QStringLiteral("Name"));
        QCOMPARE(book.data(contact).toString(), QStringLiteral("C"));
        QCOMPARE(book.data(group, ContactBook::LevelRole).toInt(), 0);
        QCOMPARE(book.data(contact, ContactBook::LevelRole).toInt(), 1);
        QVERIFY(book.data(group, ContactBook::ExpandedRole).toBool());
        QVERIFY(!book.flags(group).testFlag(Qt::ItemIsEditable));
        QVERIFY(book.flags(contact).testFlag(Qt::ItemNeverHasChildren));
        QVERIFY(!book.appendContact(contact, {.caption = QStringLiteral("deeper")}).isValid());
        QCOMPARE(changed.count(), 2);
    }

    void sort_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("group"); // empty: sort the groups
        QTest::addColumn<QString>("result");
        QTest::newRow("groups keep their contacts") << "b[z,a] A[] a[y,x]"
                                                    << ""
                                                    << "A[] a[y,x] b[z,a]";
        QTest::newRow("contacts of one group only") << "b[z,a] a[y,x]"
                                                    << "a"
                                                    << "b[z,a] a[x,y]";
        QTest::newRow("code page order: digits, Latin, capital then small Cyrillic")
            << "G[жук,Жук,zeta,Zeta,1]"
            << "G"
            << "G[1,Zeta,zeta,Жук,жук]";
        QTest::newRow("shorter first") << "G[ab,x,a]"
                                       << "G"
                                       << "G[a,ab,x]";
        QTest::newRow("equal captions keep their order") << "b[1] a[2] b[3] a[4]"
                                                         << ""
                                                         << "a[2] a[4] b[1] b[3]";
    }
    void copiesStayAsTheyWere_data() {
        QTest::addColumn<int>("edit");
        QTest::newRow("setData") << 0;
        QTest::newRow("setEntry") << 1;
        QTest::newRow("through entryPointer") << 2;
    }
    // What groups() returned and what setGroups() was given are the caller's: later edits
    // of the book's entries, however made, never reach them.
    void copiesStayAsTheyWere() {
        QFETCH(int, edit);
        const QList<BookGroup> given = BookLayout::parse(QStringLiteral("G[a,b]"));
        ContactBook book;
        book.setGroups(given);
        const QList<BookGroup> taken = book.groups();
        const QModelIndex a = book.index(0, 0, book.groupIndex(0));
        BookEntry changed = book.entry(a);
        changed.Sender = QStringLiteral("changed");
        if (edit == 0)
            book.setData(a, changed.Sender, ContactBook::SenderRole);
        else if (edit == 1)
            book.setEntry(a, changed);
        else
            book.entryPointer(a)->Sender = changed.Sender;
        QCOMPARE(book.entry(a).Sender, QStringLiteral("changed"));
        QCOMPARE(given, BookLayout::parse(QStringLiteral("G[a,b]")));
        QCOMPARE(taken, BookLayout::parse(QStringLiteral("G[a,b]")));
    }

    void sort() {
        QFETCH(QString, start);
        QFETCH(QString, group);
        QFETCH(QString, result);
        ContactBook book;
        book.setGroups(BookLayout::parse(start));
        watch(book);
        if (group.isEmpty())
            book.sortGroups();
        else
            book.sortContacts(book.findGroup(group));
        QCOMPARE(BookLayout::of(book), result);
    }

    void sortingKeepsBindings() {
        ContactBook book;
        book.setGroups(BookLayout::parse(QStringLiteral("b[z,a] a[y]")));
        watch(book);
        const QPersistentModelIndex groupB(book.groupIndex(0));
        const QPersistentModelIndex z(book.index(0, 0, book.groupIndex(0)));
        book.sortGroups();
        QCOMPARE(groupB.row(), 1);
        QCOMPARE(book.entry(z).caption, QStringLiteral("z"));
        book.sortContacts(groupB);
        QCOMPARE(z.row(), 1);
        QCOMPARE(book.entry(z).caption, QStringLiteral("z"));
        QCOMPARE(book.groupOf(z), QModelIndex(groupB));
    }
};

QTEST_GUILESS_MAIN(ContactBookTest)
#include "ContactBookTest.moc"
