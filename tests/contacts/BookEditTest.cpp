#include "contacts/BookEdit.h"
#include "BookLayout.h"
#include "TestProfile.h"
#include "contacts/BookDrop.h"
#include "contacts/BookEdits.h"
#include "contacts/BookImport.h"
#include "contacts/ContactBook.h"

#include <QTest>

namespace {

// "G" is the first group G, "G/c" its contact c.
QModelIndex at(const ContactBook& book, const QString& path) {
    const QModelIndex group = book.findGroup(path.section('/', 0, 0));
    for (int row = 0; path.contains('/') && row < book.rowCount(group); ++row) {
        if (book.entry(book.index(row, 0, group)).caption == path.section('/', 1))
            return book.index(row, 0, group);
    }
    return group;
}

BookEdits::ContactFields fieldsOf(const QString& group, const BookEntry& contact) {
    return {group, contact.caption, contact.Number, contact.Sign, contact.Translit};
}

// Makes the edit on the book, as the windows do, and returns it as recorded.
BookEdit edit(ContactBook& book, const QString& kind, const QString& path, const QString& arg) {
    const QModelIndex entry = at(book, path);
    if (kind == "add") {
        const BookEdits::ContactFields fields{path, arg, "+7" + arg, {}, false};
        BookEdits::addContact(book, fields);
        return BookEdit::addContact(fields);
    }
    if (kind == "edit") {
        BookEntry contact = book.entry(entry);
        contact.caption = arg;
        const BookEdit made = BookEdit::editContact(book, entry, fieldsOf({}, contact));
        BookEdits::editContact(book, entry, fieldsOf({}, contact));
        return made;
    }
    if (kind == "rename") {
        const BookEdit made = BookEdit::renameGroup(book, entry, arg);
        BookEdits::renameGroup(book, entry, arg);
        return made;
    }
    if (kind == "remove") {
        const BookEdit made = BookEdit::remove(book, entry);
        book.removeRows(entry.row(), 1, entry.parent());
        return made;
    }
    if (kind == "drop") {
        const BookEdit made = BookEdit::drop(book, entry, at(book, arg));
        BookDrop::drop(book, entry, at(book, arg));
        return made;
    }
    if (kind == "sort") {
        const BookEdit made = BookEdit::sort(book, entry);
        ContactBook::isGroup(entry) ? book.sortGroups() : book.sortContacts(entry.parent());
        return made;
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
    book.setGroups(BookLayout::parse(arg));
    return BookEdit::replaceBook(before, book.groups());
}

const QString kBase = QStringLiteral("A+[x,y,z] B[u] C[]");

} // namespace

class BookEditTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

private slots:
    void madeAgainOnANewerBook_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QString>("newer");  // what another program stored over kBase
        QTest::addColumn<QString>("result"); // empty: cannot be made there

        QTest::newRow("add beside theirs") << "add"
                                           << "B"
                                           << "n"
                                           << "A+[x,y,z] B[u,o] C[]"
                                           << "A+[x,y,z] B[u,o,n] C[]";
        QTest::newRow("add into the group they made") << "add"
                                                      << "D"
                                                      << "n"
                                                      << "A+[x] D[o]"
                                                      << "A+[x] D[o,n]";
        QTest::newRow("edit") << "edit"
                              << "A/y"
                              << "w"
                              << "A+[x,y,z,o] B[u] C[]"
                              << "A+[x,w,z,o] B[u] C[]";
        QTest::newRow("edit, contact gone") << "edit"
                                            << "A/y"
                                            << "w"
                                            << "A+[x,z] B[u] C[]"
                                            << "";
        QTest::newRow("rename") << "rename"
                                << "B"
                                << "D"
                                << "A+[x,y,z] B[u,o] C[]"
                                << "A+[x,y,z] D[u,o] C[]";
        QTest::newRow("rename, group gone") << "rename"
                                            << "B"
                                            << "D"
                                            << "A+[x,y,z] C[]"
                                            << "";
        QTest::newRow("remove contact") << "remove"
                                        << "A/x"
                                        << ""
                                        << "A+[x,y,z] B[u] C[o]"
                                        << "A+[y,z] B[u] C[o]";
        QTest::newRow("remove group, gone") << "remove"
                                            << "C"
                                            << ""
                                            << "A+[x,y,z] B[u]"
                                            << "";
        QTest::newRow("drop onto a contact they moved") << "drop"
                                                        << "A/x"
                                                        << "A/z"
                                                        << "A+[z,y,x] B[u] C[]"
                                                        << "A+[x,z,y] B[u] C[]";
        QTest::newRow("drop onto a group") << "drop"
                                           << "A/y"
                                           << "B"
                                           << "A+[x,y,z] B[u,o] C[]"
                                           << "A+[x,z] B+[u,o,y] C[]";
        QTest::newRow("drop, target gone") << "drop"
                                           << "A/y"
                                           << "C"
                                           << "A+[x,y,z] B[u]"
                                           << "";
        QTest::newRow("drop, dragged gone") << "drop"
                                            << "A/y"
                                            << "C"
                                            << "A+[x,z] B[u] C[]"
                                            << "";
        QTest::newRow("drop a group") << "drop"
                                      << "C"
                                      << "A"
                                      << "A+[x,y,z] D[] B[u] C[]"
                                      << "C[] A+[x,y,z] D[] B[u]";
        QTest::newRow("sort contacts") << "sort"
                                       << "A/x"
                                       << ""
                                       << "A+[x,y,z,a] B[u] C[]"
                                       << "A+[a,x,y,z] B[u] C[]";
        QTest::newRow("sort groups") << "sort"
                                     << "B"
                                     << ""
                                     << "B[u] A+[x,y,z] C[] 0[]"
                                     << "0[] A+[x,y,z] B[u] C[]";
        QTest::newRow("import, some of it there already") << "import"
                                                          << ""
                                                          << "B[n] D[d]"
                                                          << "A+[x,y,z] B[u,n] C[]"
                                                          << "A+[x,y,z] B[u,n] C[] D[d]";
        QTest::newRow("book from the service over theirs") << "replace"
                                                           << ""
                                                           << "S[s]"
                                                           << "A+[x,y,z] B[u,o] C[]"
                                                           << "";
    }
    // Each edit is made on kBase as the windows make it, then again on the newer book.
    void madeAgainOnANewerBook() {
        QFETCH(QString, kind);
        QFETCH(QString, path);
        QFETCH(QString, arg);
        QFETCH(QString, newer);
        QFETCH(QString, result);
        ContactBook book;
        book.setGroups(BookLayout::parse(kBase));
        const QList<BookEdit> edits{edit(book, kind, path, arg)};
        const std::optional<QList<BookGroup>> both = BookEdit::rebase(
            edits, BookLayout::parse(kBase), book.groups(), BookLayout::parse(newer));
        QCOMPARE(both ? BookLayout::of(*both) : QString(), result);
        // Made again on the book it was made on, it gives what the window made.
        QVERIFY(BookEdit::rebase(edits, BookLayout::parse(kBase), book.groups(),
                                 BookLayout::parse(kBase)));
    }

    void changesNotRecordedAreNotLostSilently() {
        ContactBook book;
        book.setGroups(BookLayout::parse(kBase));
        const QList<BookEdit> edits{edit(book, "remove", "A/x", {})};
        book.setData(at(book, "B/u"), QStringLiteral("Shop"), ContactBook::SenderRole);
        QVERIFY(!BookEdit::rebase(edits, BookLayout::parse(kBase), book.groups(),
                                  BookLayout::parse("A+[x,y,z] B[u] C[o]")));
    }

    // The user renames y; the other program gave y a new number and a signature.
    void editKeepsTheFieldsTheUserLeft() {
        ContactBook book;
        book.setGroups(BookLayout::parse(kBase));
        QList<BookGroup> newer = BookLayout::parse(kBase);
        newer[0].contacts[1].Number = QStringLiteral("+7999");
        newer[0].contacts[1].Sign = QStringLiteral("S");
        const QList<BookEdit> edits{edit(book, "edit", "A/y", "w")};
        const auto both = BookEdit::rebase(edits, BookLayout::parse(kBase), book.groups(), newer);
        QVERIFY(both);
        const BookEntry y = (*both)[0].contacts[1];
        QCOMPARE(QStringList({y.caption, y.Number, y.Sign}), QStringList({"w", "+7999", "S"}));
        QCOMPARE(BookEdit::countChanges(BookLayout::parse(kBase), newer), 1);
    }

    void countChanges_data() {
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("changes");
        QTest::newRow("order and open groups only") << "C+[] B[u] A[z,x,y]" << 0;
        QTest::newRow("contact added") << "A+[x,y,z,n] B[u] C[]" << 1;
        QTest::newRow("contact removed, another added") << "A+[x,z] B[u] C[n]" << 2;
        QTest::newRow("group added with its contacts") << "A+[x,y,z] B[u] C[] D[n,m]" << 3;
        QTest::newRow("group removed with its contact") << "A+[x,y,z] C[]" << 2;
        QTest::newRow("800 imported")
            << "A+[x,y,z] B[u" + QString(",n").repeated(800) + "] C[]" << 800;
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
