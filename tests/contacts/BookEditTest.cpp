#include "contacts/BookEdit.h"
#include "BookLayout.h"
#include "contacts/BookDrop.h"
#include "contacts/BookEdits.h"
#include "contacts/BookImport.h"
#include "contacts/ContactBook.h"

#include <QTest>

namespace {

const QString kBase = QStringLiteral("A[x,y,z] B[u] C[]");

// "G" is the first group G, "G/c" its contact c.
QModelIndex at(const ContactBook& book, const QString& path) {
    const QModelIndex group = book.findGroup(path.section('/', 0, 0));
    for (int row = 0; path.contains('/') && row < book.rowCount(group); ++row) {
        if (book.entry(book.index(row, 0, group)).caption == path.section('/', 1))
            return book.index(row, 0, group);
    }
    return group;
}

// Makes "kind path argument" on the book as the windows do; returns the edit as recorded.
BookEdit edit(ContactBook& book, const QString& command) {
    const QString kind = command.section(' ', 0, 0);
    const QString arg = command.section(' ', 2);
    const QModelIndex entry = at(book, command.section(' ', 1, 1));
    BookEdits::ContactFields fields{command.section(' ', 1, 1), arg, "+7" + arg, {}, false};
    if (kind == "edit") // a new name only
        fields.number = book.entry(entry).Number;
    if (kind == "add") {
        BookEdits::addContact(book, fields);
        return BookEdit::addContact(fields);
    }
    if (kind == "import") {
        BookImport::Plan plan;
        for (const BookGroup& group : BookLayout::parse(arg)) {
            for (const BookEntry& contact : group.contacts)
                plan.steps.append(
                    {group.entry.caption, !book.findGroup(group.entry.caption).isValid(), contact});
        }
        BookImport::apply(book, plan);
        return BookEdit::import(plan);
    }
    const QList<BookGroup> before = book.groups();
    const BookEdit made = kind == "edit"     ? BookEdit::editContact(book, entry, fields)
                          : kind == "rename" ? BookEdit::renameGroup(book, entry, arg)
                          : kind == "remove" ? BookEdit::remove(book, entry)
                          : kind == "drop"   ? BookEdit::drop(book, entry, at(book, arg))
                          : kind == "sort"   ? BookEdit::sort(book, entry)
                                           : BookEdit::replaceBook(before, BookLayout::parse(arg));
    if (kind == "edit")
        BookEdits::editContact(book, entry, fields);
    else if (kind == "rename")
        BookEdits::renameGroup(book, entry, arg);
    else if (kind == "remove")
        book.removeRows(entry.row(), 1, entry.parent());
    else if (kind == "drop")
        BookDrop::drop(book, entry, at(book, arg));
    else if (kind == "sort")
        ContactBook::isGroup(entry) ? book.sortGroups() : book.sortContacts(entry.parent());
    else
        book.setGroups(BookLayout::parse(arg));
    return made;
}

void row(const char* name, const QString& edit, const QString& newer, const QString& result) {
    QTest::newRow(name) << edit << newer << result;
}

} // namespace

class BookEditTest : public QObject {
    Q_OBJECT

private slots:
    void madeAgainOnANewerBook_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("newer");  // what another program stored over kBase
        QTest::addColumn<QString>("result"); // empty: the edit cannot be made there
        row("add beside theirs", "add B n", "A[x,y,z] B[u,o] C[]", "A[x,y,z] B[u,o,n] C[]");
        row("add into the group they made", "add D n", "A[x] D[o]", "A[x] D[o,n]");
        row("edit", "edit A/y w", "A[x,y,z,o] B[u] C[]", "A[x,w,z,o] B[u] C[]");
        row("edit, contact gone", "edit A/y w", "A[x,z] B[u] C[]", "");
        row("rename", "rename B D", "A[x,y,z] B[u,o] C[]", "A[x,y,z] D[u,o] C[]");
        row("remove contact", "remove A/x", "A[x,y,z] B[u] C[o]", "A[y,z] B[u] C[o]");
        row("remove group, gone", "remove C", "A[x,y,z] B[u]", "");
        row("drop onto a contact", "drop A/x A/z", "A[z,y,x] B[u] C[]", "A+[x,z,y] B[u] C[]");
        row("drop onto a group", "drop A/y B", "A[x,y,z] B[u,o] C[]", "A[x,z] B+[u,o,y] C[]");
        row("drop, target gone", "drop A/y C", "A[x,y,z] B[u]", "");
        row("drop, dragged gone", "drop A/y C", "A[x,z] B[u] C[]", "");
        row("drop a group", "drop C A", "A[x,y,z] D[] B[u] C[]", "C[] A[x,y,z] D[] B[u]");
        row("sort contacts", "sort A/x", "A[x,y,z,a] B[u] C[]", "A[a,x,y,z] B[u] C[]");
        row("sort groups", "sort B", "B[u] A[x,y,z] C[] 0[]", "0[] A[x,y,z] B[u] C[]");
        row("import, part there", "import - B[n] D[d]", "A[x] B[u,n]", "A[x] B[u,n] D[d]");
        row("book from the service", "replace - S[s]", "A[x,y,z] B[u,o] C[]", "");
    }
    // Each edit is made on kBase as the windows make it, then again on the newer book.
    void madeAgainOnANewerBook() {
        QFETCH(QString, edit);
        QFETCH(QString, newer);
        QFETCH(QString, result);
        ContactBook book;
        book.setGroups(BookLayout::parse(kBase));
        const QList<BookEdit> edits{::edit(book, edit)};
        const QList<BookGroup> base = BookLayout::parse(kBase);
        const auto both = BookEdit::rebase(edits, base, book.groups(), BookLayout::parse(newer));
        QCOMPARE(both ? BookLayout::of(*both) : QString(), result);
        // Made again on its own book, it gives what the window made there.
        QVERIFY(BookEdit::rebase(edits, base, book.groups(), base));
    }

    // The user renames y; the other program gave y a new number and a signature.
    void editKeepsTheFieldsTheUserLeft() {
        ContactBook book;
        book.setGroups(BookLayout::parse(kBase));
        QList<BookGroup> newer = BookLayout::parse(kBase);
        newer[0].contacts[1].Number = QStringLiteral("+7999");
        newer[0].contacts[1].Sign = QStringLiteral("S");
        const QList<BookEdit> edits{edit(book, "edit A/y y2")};
        const auto both = BookEdit::rebase(edits, BookLayout::parse(kBase), book.groups(), newer);
        QVERIFY(both);
        const BookEntry y = (*both)[0].contacts[1];
        QCOMPARE(QStringList({y.caption, y.Number, y.Sign}), QStringList({"y2", "+7999", "S"}));
        QCOMPARE(BookEdit::countChanges(BookLayout::parse(kBase), newer), 1);
    }

    void countChanges_data() {
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("changes");
        QTest::newRow("order and open groups only") << "C+[] B[u] A[z,x,y]" << 0;
        QTest::newRow("contact removed, another added") << "A[x,z] B[u] C[n]" << 2;
        QTest::newRow("group added with its contacts") << "A[x,y,z] B[u] C[] D[n,m]" << 3;
        QTest::newRow("group removed with its contact") << "A[x,y,z] C[]" << 2;
        QTest::newRow("800 added") << "A[x,y,z] B[u" + QString(",n").repeated(800) + "] C[]" << 800;
    }
    void countChanges() {
        QFETCH(QString, after);
        QFETCH(int, changes);
        QCOMPARE(BookEdit::countChanges(BookLayout::parse(kBase), BookLayout::parse(after)),
                 changes);
    }
};

QTEST_MAIN(BookEditTest)
#include "BookEditTest.moc"
