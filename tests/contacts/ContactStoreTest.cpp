#include "contacts/ContactStore.h"
#include "BookLayout.h"
#include "TestProfile.h"
#include "contacts/BookReadAhead.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactRecords.h"
#include "platform/Registry.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTest>

#include <sqlite3.h>

#include <memory>

namespace {

QByteArray record(const QByteArray& name, bool isGroup, quint8 flag = 0,
                  const QByteArray& number = {}, const QByteArray& sign = {}) {
    QByteArray bytes(TContactEntry::kSize, '\xAA'); // bytes after a length are undefined
    bytes[0] = char(name.size());
    bytes.replace(1, name.size(), name);
    bytes[31] = char(number.size());
    bytes.replace(32, number.size(), number);
    bytes[47] = char(sign.size());
    bytes.replace(48, sign.size(), sign);
    bytes[63] = isGroup ? 1 : 0;
    bytes[64] = char(flag);
    return bytes;
}

// What a save and a load make of a book: groups lose their contact fields and stay
// expanded only with contacts; a contact's Name is its caption.
QList<BookGroup> afterRoundTrip(QList<BookGroup> groups) {
    for (BookGroup& group : groups) {
        group.entry = {group.entry.caption,
                       {},
                       {},
                       {},
                       {},
                       false,
                       group.entry.expanded && !group.contacts.isEmpty()};
        for (BookEntry& contact : group.contacts)
            contact.Name = contact.caption;
    }
    return groups;
}

// A device that delivers one record and then fails.
class FailingDevice : public QIODevice {
public:
    FailingDevice() { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (m_served)
            return -1;
        m_served = true;
        const QByteArray one = record("G", true);
        const qint64 n = std::min<qint64>(maxSize, one.size());
        memcpy(data, one.constData(), size_t(n));
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    bool m_served = false;
};

} // namespace

class ContactStoreTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    std::unique_ptr<Registry> m_registry;
    std::unique_ptr<ContactStore> m_store;
    QString m_database;
    QString m_legacy;
    int m_counter = 0;

    // A second connection to the store file, as another program would have.
    void sql(const char* statement) {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(m_database).constData(), &db), SQLITE_OK);
        char* error = nullptr;
        const int rc = sqlite3_exec(db, statement, nullptr, nullptr, &error);
        const QString message = QString::fromUtf8(error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
        QVERIFY2(rc == SQLITE_OK, qPrintable(message));
    }

    // Any write of a key with this name fails, as a full disk would.
    void poisonKeyName(const char* name) {
        sql(QByteArray("CREATE TRIGGER poison BEFORE INSERT ON keys WHEN NEW.name = '") + name +
            "' BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    }

    void writeLegacy(const QByteArray& bytes) {
        QFile file(m_legacy);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    void save(const QList<BookGroup>& groups) {
        ContactBook book;
        book.setGroups(groups);
        QCOMPARE(m_store->SaveContacts(book), ContactStore::SaveResult::Saved);
    }

    QList<BookGroup> load() {
        ContactBook book;
        m_store->LoadContacts(book);
        return book.groups();
    }

    // "key=value" gives the key that default value; a bare "key" gets none.
    void storeKeys(const QString& parent, const QStringList& specs) {
        for (const QString& spec : specs) {
            const QString key = parent + QLatin1Char('\\') + spec.section(QLatin1Char('='), 0, 0);
            m_registry->createKey(key);
            if (spec.contains(QLatin1Char('=')))
                m_registry->writeString(key, {}, spec.section(QLatin1Char('='), 1));
        }
    }

private slots:
    void init() {
        ++m_counter;
        m_database = m_profile.root() + QStringLiteral("/store%1.db").arg(m_counter);
        const QString folder = m_profile.root() + QStringLiteral("/files%1").arg(m_counter);
        QDir().mkpath(folder);
        m_legacy = folder + QStringLiteral("/Contacts.dat");
        m_store.reset();
        m_registry = std::make_unique<Registry>(m_database);
        m_store = std::make_unique<ContactStore>(*m_registry, m_legacy);
    }

    void storedForm() {
        QList<BookGroup> groups = BookLayout::parse(QStringLiteral("G1[B,A] G2+[]"));
        groups[0].contacts[0].Sender = QStringLiteral("Shop");
        groups[0].contacts[0].Sign = QStringLiteral("Петр");
        groups[0].contacts[1].Translit = true;
        save(groups);

        QCOMPARE(m_registry->subkeys(QStringLiteral("Contacts")), QStringList({"G1", "G2"}));
        QCOMPARE(m_registry->readString(QStringLiteral("Contacts\\G1"), {}), QStringLiteral("1|0"));
        QCOMPARE(m_registry->readString(QStringLiteral("Contacts\\G2"), {}), QStringLiteral("2|1"));
        const QString b = QStringLiteral("Contacts\\G1\\B");
        const QString a = QStringLiteral("Contacts\\G1\\A");
        QCOMPARE(m_registry->readString(b, {}), QStringLiteral("1"));
        QCOMPARE(m_registry->readString(a, {}), QStringLiteral("2"));
        QCOMPARE(m_registry->readString(b, QStringLiteral("Sender")), QStringLiteral("Shop"));
        QCOMPARE(m_registry->readString(b, QStringLiteral("Number")), QStringLiteral("+7B"));
        QCOMPARE(m_registry->readString(b, QStringLiteral("Sign")), QStringLiteral("Петр"));
        QCOMPARE(m_registry->readInteger(b, QStringLiteral("Translit")), std::optional<qint32>(0));
        QCOMPARE(m_registry->readInteger(a, QStringLiteral("Translit")), std::optional<qint32>(1));
        // Plain names are stored exactly so, with no extra value.
        QCOMPARE(m_registry->valueNames(QStringLiteral("Contacts\\G1")), QStringList({""}));
        QCOMPARE(m_registry->valueNames(b),
                 QStringList({"", "Number", "Sender", "Sign", "Translit"}));

        QCOMPARE(load(), afterRoundTrip(groups));
        QCOMPARE(BookLayout::of(load()), QStringLiteral("G1[B,A] G2[]"));
    }

    // A store that holds exactly what a save would write is left alone at load; anything
    // else in it is written over, so the next start finds the book in its own form.
    void rewriteOnlyWhenTheStoreDiffers_data() {
        QTest::addColumn<QString>("key");
        // "name=text" writes a string, "name=int:N" an integer, "name=delete" removes it.
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("saveNeeded");
        const QString g = QStringLiteral("Contacts\\G1");
        const QString b = g + QStringLiteral("\\B");
        QTest::newRow("as written") << b << "Sign=Петр" << false;
        QTest::newRow("position off") << b << "=5" << true;
        QTest::newRow("value missing") << b << "Sign=delete" << true;
        QTest::newRow("value of its own") << b << "Note=x" << true;
        QTest::newRow("translit neither 0 nor 1") << b << "Translit=int:5" << true;
        QTest::newRow("translit stored as text") << b << "Translit=0" << true;
        QTest::newRow("another sign, read as it is") << b << "Sign=Петя" << false;
        QTest::newRow("group flag unreadable") << g << "=1|x" << true;
        QTest::newRow("collapsed as the file says") << g << "=1|0" << false;
        QTest::newRow("caption kept apart needlessly") << b << "Caption=B" << true;
    }
    void rewriteOnlyWhenTheStoreDiffers() {
        QFETCH(QString, key);
        QFETCH(QString, edit);
        QFETCH(bool, saveNeeded);
        QList<BookGroup> groups = BookLayout::parse(QStringLiteral("G1+[B,A] G2[C]"));
        groups[0].contacts[0].Sign = QStringLiteral("Петр");
        save(groups);
        const QString value = edit.section(QLatin1Char('='), 0, 0);
        const QString change = edit.section(QLatin1Char('='), 1);
        if (change == QLatin1String("delete"))
            m_registry->deleteValue(key, value);
        else if (change.startsWith(QLatin1String("int:")))
            m_registry->writeInteger(key, value, change.mid(4).toInt());
        else
            m_registry->writeString(key, value, change);
        QCOMPARE(ContactStore::readStoredBook(*m_registry).saveNeeded, saveNeeded);
    }

    void expandedStateFollowsTheContacts() {
        save(BookLayout::parse(QStringLiteral("G+[C]")));
        ContactBook book;
        m_store->LoadContacts(book);
        QCOMPARE(BookLayout::of(book), QStringLiteral("G+[C]"));
        book.removeRows(0, 1, book.groupIndex(0));
        m_store->SaveContacts(book);
        QCOMPARE(BookLayout::of(load()), QStringLiteral("G[]"));
    }

    void senderChangedInMemoryReachesTheStore() {
        save(BookLayout::parse(QStringLiteral("G[C]")));
        ContactBook book;
        m_store->LoadContacts(book);
        book.setData(book.index(0, 0, book.groupIndex(0)), QStringLiteral("Me"),
                     ContactBook::SenderRole);
        m_store->SaveContacts(book);
        QCOMPARE(load().at(0).contacts.at(0).Sender, QStringLiteral("Me"));
    }

    void saveLeavesTheOtherSettingsAlone() {
        m_registry->writeString({}, QStringLiteral("Host"), QStringLiteral("localhost"));
        m_registry->writeInteger(QStringLiteral("ContactsOld"), QStringLiteral("Port"), 3000);
        save(BookLayout::parse(QStringLiteral("G[a,b] H[c]")));
        save(BookLayout::parse(QStringLiteral("K[d]")));
        QCOMPARE(m_registry->readString({}, QStringLiteral("Host")), QStringLiteral("localhost"));
        QCOMPARE(m_registry->readInteger(QStringLiteral("ContactsOld"), QStringLiteral("Port")),
                 std::optional<qint32>(3000));
        QCOMPARE(m_registry->subkeys({}), QStringList({"Contacts", "ContactsOld"}));
        QCOMPARE(m_registry->subkeys(QStringLiteral("Contacts")), QStringList({"K"}));
    }

    void missingKeyIsAnEmptyBook() {
        QVERIFY(load().isEmpty());
        QVERIFY(m_registry->keyExists(QStringLiteral("Contacts")));
    }

    void groupPositions_data() {
        QTest::addColumn<QStringList>("groups"); // each gets one contact "c" at position 1
        QTest::addColumn<QString>("result");
        QTest::newRow("by position") << QStringList{"a=2|0", "b=1|1"} << "b+[c] a[c]";
        QTest::newRow("gap keeps the later group") << QStringList{"a=3|0", "b=1|0"} << "b[c] a[c]";
        QTest::newRow("repeated position: first found wins, the other follows")
            << QStringList{"a=1|0", "b=1|1", "c=2|0"} << "a[c] c[c] b+[c]";
        QTest::newRow("empty value") << QStringList{"a=", "b=1|0"} << "b[c] a[c]";
        QTest::newRow("no value") << QStringList{"a", "b=1|0"} << "b[c] a[c]";
        QTest::newRow("no bar") << QStringList{"a=2", "b=1|0"} << "b[c] a[c]";
        QTest::newRow("not a number") << QStringList{"a=x|1", "b=1|0"} << "b[c] a+[c]";
        QTest::newRow("zero and negative")
            << QStringList{"a=0|0", "b=-1|0", "c=1|0"} << "c[c] a[c] b[c]";
        QTest::newRow("beyond 32 bits") << QStringList{"a=99999999999|0", "b=1|0"} << "b[c] a[c]";
        QTest::newRow("one character after the bar")
            << QStringList{"a=1|10", "b=2|x", "c=3|", "d=4|01"} << "a+[c] b[c] c[c] d[c]";
    }
    void groupPositions() {
        QFETCH(QStringList, groups);
        QFETCH(QString, result);
        storeKeys(QStringLiteral("Contacts"), groups);
        for (const QString& group : m_registry->subkeys(QStringLiteral("Contacts")))
            storeKeys(QStringLiteral("Contacts\\") + group, {QStringLiteral("c=1")});
        ContactBook book;
        m_store->LoadContacts(book);
        QCOMPARE(BookLayout::of(book), result);
        // The load ends with a save: positions are consecutive again.
        for (int g = 0; g < book.groupCount(); ++g) {
            const QString key = QStringLiteral("Contacts\\") + book.group(g).entry.caption;
            QCOMPARE(m_registry->readString(key, {}).section(QLatin1Char('|'), 0, 0),
                     QString::number(g + 1));
        }
    }

    void contactPositions_data() {
        QTest::addColumn<QStringList>("contacts");
        QTest::addColumn<QString>("result");
        QTest::newRow("by position") << QStringList{"x=2", "y=1"} << "G+[y,x]";
        QTest::newRow("gaps, repeats and garbage are kept after the numbered")
            << QStringList{"a=3", "b=1", "c=1", "d=x", "e", "f=", "g=5"} << "G+[b,a,g,c,d,e,f]";
    }
    void contactPositions() {
        QFETCH(QStringList, contacts);
        QFETCH(QString, result);
        storeKeys(QStringLiteral("Contacts"), {QStringLiteral("G=1|1")});
        storeKeys(QStringLiteral("Contacts\\G"), contacts);
        QCOMPARE(BookLayout::of(load()), result);
        QCOMPARE(BookLayout::of(load()), result); // and it stays so
    }

    void contactValuesOfAnotherTypeOrMissing() {
        const QString key = QStringLiteral("Contacts\\G\\C");
        storeKeys(QStringLiteral("Contacts"), {QStringLiteral("G=1|0")});
        m_registry->writeString(key, {}, QStringLiteral("1"));
        m_registry->writeString(key, QStringLiteral("Translit"), QStringLiteral("1"));
        m_registry->writeInteger(key, QStringLiteral("Number"), 5);
        m_registry->writeInteger(QStringLiteral("Contacts\\G\\D"), QStringLiteral("Translit"), 7);
        m_registry->writeInteger(QStringLiteral("Contacts\\H"), {}, 2);
        const QList<BookGroup> groups = load();
        QCOMPARE(BookLayout::of(groups), QStringLiteral("G[C,D] H[]"));
        QCOMPARE(groups[0].contacts[0].Translit, false);
        QCOMPARE(groups[0].contacts[0].Number, QString());
        QCOMPARE(groups[0].contacts[1].Translit, true);
        // The closing save put the values right.
        QCOMPARE(m_registry->readInteger(key, QStringLiteral("Translit")),
                 std::optional<qint32>(0));
        QCOMPARE(m_registry->valueType(key, QStringLiteral("Number")), Registry::ValueType::String);
        QCOMPARE(m_registry->readString(QStringLiteral("Contacts\\H"), {}), QStringLiteral("2|0"));
    }

    void awkwardBooksSurvive_data() {
        QTest::addColumn<QList<QStringList>>("book"); // each list: group caption, contacts
        QTest::newRow("two groups with one caption")
            << QList<QStringList>{{"Друзья", "a"}, {"Друзья", "b", "c"}};
        QTest::newRow("two contacts with one caption")
            << QList<QStringList>{{"G", "Ann", "Ann", "Ann"}};
        QTest::newRow("letter case only")
            << QList<QStringList>{{"Work", "Ann", "ann"}, {"work", "x"}, {"WORK"}};
        QTest::newRow("Cyrillic letter case")
            << QList<QStringList>{{"Ёлка", "Иван", "иван"}, {"ёлка"}, {"ЁЛКА", "y"}};
        QTest::newRow("path separators")
            << QList<QStringList>{{"a\\b", "c\\d", "e/f", "\\"}, {"\\"}, {"/", "x\\"}};
        QTest::newRow("empty captions") << QList<QStringList>{{"", "", ""}, {"", "x"}};
        QTest::newRow("captions like generated names")
            << QList<QStringList>{{"#1", "#2", ""}, {"#1"}, {""}, {"#2", "#1", "#1"}};
        QTest::newRow("control characters and blanks")
            << QList<QStringList>{{"tab\there", "line\nbreak", " a", "a "}, {" "}};
    }
    void awkwardBooksSurvive() {
        QFETCH(QList<QStringList>, book);
        QList<BookGroup> groups;
        int n = 0;
        for (const QStringList& spec : book) {
            BookGroup group;
            group.entry.caption = spec.first();
            group.entry.expanded = n % 2 == 0;
            for (const QString& caption : spec.mid(1)) {
                ++n;
                group.contacts.append({caption, caption, QStringLiteral("+7%1").arg(n),
                                       QStringLiteral("S%1").arg(n), QStringLiteral("P%1").arg(n),
                                       n % 3 == 0, false});
            }
            groups.append(group);
        }
        save(groups);
        QCOMPARE(load(), afterRoundTrip(groups));
        // Once the load has written the book in its own form (an empty group is never stored
        // expanded), made-up key names and the captions beside them read back as written.
        QVERIFY(!ContactStore::readStoredBook(*m_registry).saveNeeded);
        QCOMPARE(load(), afterRoundTrip(groups)); // the load's own save changed nothing
    }

    void successiveSaves_data() {
        QTest::addColumn<QStringList>("books");
        QTest::newRow("letter case of a caption changes")
            << QStringList{"G[Ann]", "G[ANN]", "g[ANN]", "g[ann]"};
        QTest::newRow("a repeated caption comes and goes")
            << QStringList{"G[a]", "G[a,a] G[]", "G[a]"};
        QTest::newRow("moves, deletions, empty book")
            << QStringList{"A+[x,y] B[z]", "B+[z,y] A[x]", "A[] B[]", "", "C[c]"};
    }
    void successiveSaves() {
        QFETCH(QStringList, books);
        for (const QString& layout : books) {
            const QList<BookGroup> groups = BookLayout::parse(layout);
            save(groups);
            QCOMPARE(ContactStore::readBook(*m_registry), afterRoundTrip(groups));
            int keys = 0;
            for (const QString& group : m_registry->subkeys(QStringLiteral("Contacts")))
                keys += 1 + int(m_registry->subkeys(QStringLiteral("Contacts\\") + group).size());
            int entries = 0;
            for (const BookGroup& group : groups)
                entries += 1 + int(group.contacts.size());
            QCOMPARE(keys, entries);
        }
    }

    void firstOfEqualCaptionsKeepsItsKeyName() {
        save(BookLayout::parse(QStringLiteral("Друзья[a] друзья[b]")));
        const QStringList keys = m_registry->subkeys(QStringLiteral("Contacts"));
        QCOMPARE(keys.size(), 2);
        QVERIFY(keys.contains(QStringLiteral("Друзья")));
        QCOMPARE(m_registry->valueNames(QStringLiteral("Contacts\\Друзья")), QStringList({""}));
    }

    void failedSaveLeavesThePreviousBook() {
        const QList<BookGroup> old = BookLayout::parse(QStringLiteral("Old[a,b] Other[c]"));
        save(old);
        writeLegacy(record("G", true));
        poisonKeyName("Poison");
        ContactBook book;
        book.setGroups(BookLayout::parse(QStringLiteral("New[x,y] Next[z,Poison]")));
        QVERIFY_THROWS_EXCEPTION(ContactStoreError, m_store->SaveContacts(book));
        QCOMPARE(ContactStore::readBook(*m_registry), afterRoundTrip(old));
        QVERIFY(QFile::exists(m_legacy));
    }

    void migration() {
        save(BookLayout::parse(QStringLiteral("Registry[copy]")));
        writeLegacy(record("G1", true) + record("C", false, 3, "+7001", "Sig") +
                    record("G2", true));
        const QList<BookGroup> groups = load();
        QCOMPARE(BookLayout::of(groups), QStringLiteral("G1+[C] G2[]"));
        const BookEntry c = groups[0].contacts[0];
        QCOMPARE(c.Name, QStringLiteral("C"));
        QCOMPARE(c.Number, QStringLiteral("+7001"));
        QCOMPARE(c.Sign, QStringLiteral("Sig"));
        QCOMPARE(c.Sender, QString());
        QVERIFY(c.Translit);
        QVERIFY(!QFile::exists(m_legacy));
        QCOMPARE(ContactStore::readBook(*m_registry), groups);
    }

    // The start reads the stored book ahead on a thread of its own; what it read loads
    // exactly as a read at load time would, and the old file still wins when present.
    void readAheadBook_data() {
        QTest::addColumn<bool>("legacyFile");
        QTest::newRow("settings store") << false;
        QTest::newRow("old file present") << true;
    }
    void readAheadBook() {
        QFETCH(bool, legacyFile);
        Registry registry; // the user's store, which the read-ahead opens too
        ContactStore store(registry, m_legacy);
        ContactBook saved;
        saved.setGroups(BookLayout::parse(QStringLiteral("G1+[A,B] G2[C]")));
        QCOMPARE(store.SaveContacts(saved), ContactStore::SaveResult::Saved);

        BookReadAhead readAhead(registry.filePath());
        std::optional<ContactStore::StoredBook> readBook = readAhead.take();
        QVERIFY(readBook);
        QVERIFY(!readBook->saveNeeded); // the store holds the book as a save would write it
        QVERIFY(!readAhead.take());     // taken once
        // What was read ahead is what loads, even when the store has changed since.
        ContactBook changed;
        changed.setGroups(BookLayout::parse(QStringLiteral("X[Y]")));
        QCOMPARE(store.SaveContacts(changed), ContactStore::SaveResult::Saved);
        if (legacyFile)
            writeLegacy(record("Old", true) + record("D", false, 3, "+7001", "Sig"));

        ContactBook book;
        store.LoadContacts(book, std::move(readBook));
        QCOMPARE(BookLayout::of(book.groups()),
                 legacyFile ? QStringLiteral("Old+[D]") : QStringLiteral("G1+[A,B] G2[C]"));
        if (legacyFile)
            QCOMPARE(ContactStore::readBook(registry), book.groups());
    }

    // The read ahead found nothing and the load would save; another program's book stored
    // meanwhile is what loads, not the empty one read before it.
    void readAheadOlderThanAnotherProgramsBook() {
        Registry registry;
        registry.deleteKeyTree(ContactStore::kBookKey);
        BookReadAhead readAhead(registry.filePath());
        std::optional<ContactStore::StoredBook> readBook = readAhead.take();
        QVERIFY(readBook && readBook->saveNeeded);
        {
            Registry other(registry.filePath());
            ContactBook theirs;
            theirs.setGroups(BookLayout::parse(QStringLiteral("X+[Y]")));
            ContactStore::writeBook(other, theirs);
        }
        ContactStore store(registry, m_legacy);
        ContactBook book;
        store.LoadContacts(book, std::move(readBook));
        QCOMPARE(BookLayout::of(book), QStringLiteral("X+[Y]"));
        QCOMPARE(BookLayout::of(ContactStore::readBook(registry)), QStringLiteral("X+[Y]"));
    }

    void saveMeetsAnotherProgramsWrite_data() {
        QTest::addColumn<QString>("otherBook"); // empty: the other program writes a setting
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("stored");
        QTest::newRow("its book is kept") << "X[Y]" << false << false << "X[Y]";
        QTest::newRow("its book is overwritten when asked") << "X[Y]" << true << true << "M[N]";
        QTest::newRow("a setting only") << "" << false << true << "M[N]";
        QTest::newRow("the same book again") << "G+[A,B]" << false << true << "M[N]";
        QTest::newRow("the same book in other stored form")
            << "G+[A,B]*" << false << true << "M[N]";
    }
    void saveMeetsAnotherProgramsWrite() {
        QFETCH(QString, otherBook);
        QFETCH(bool, overwrite);
        QFETCH(bool, saved);
        QFETCH(QString, stored);
        ContactBook book;
        save(BookLayout::parse(QStringLiteral("G+[A,B]")));
        m_store->LoadContacts(book);

        Registry other(m_database);
        if (otherBook.isEmpty()) {
            other.writeString({}, QStringLiteral("Host"), QStringLiteral("example.org"));
        } else if (otherBook.endsWith(QLatin1Char('*'))) {
            // Same groups and contacts, but positions as an older program left them.
            other.writeString(QStringLiteral("Contacts\\G"), {}, QStringLiteral("7|1"));
        } else {
            ContactBook theirs;
            theirs.setGroups(BookLayout::parse(otherBook));
            ContactStore::writeBook(other, theirs);
        }

        book.setGroups(BookLayout::parse(QStringLiteral("M[N]")));
        const auto outside = overwrite ? ContactStore::OutsideChanges::Overwrite
                                       : ContactStore::OutsideChanges::Keep;
        QCOMPARE(m_store->SaveContacts(book, outside),
                 saved ? ContactStore::SaveResult::Saved
                       : ContactStore::SaveResult::ChangedElsewhere);
        QCOMPARE(BookLayout::of(ContactStore::readBook(other)), stored);
        // What was not overwritten is offered once; a store in step offers nothing.
        const auto offered = m_store->changedElsewhere();
        QCOMPARE(offered.has_value(), !saved);
        if (offered)
            QCOMPARE(BookLayout::of(*offered), stored);
        QVERIFY(!m_store->changedElsewhere());
        // Once taken, the next save goes through.
        QCOMPARE(m_store->SaveContacts(book), ContactStore::SaveResult::Saved);
    }

    void migrationRecords_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("translit"); // of the first contact
        QTest::newRow("flag 0") << record("G", true) + record("c", false, 0) << "G[c]" << false;
        QTest::newRow("bit 0 expands the group")
            << record("G", true) + record("c", false, 1) << "G+[c]" << false;
        QTest::newRow("bit 1 is Translit")
            << record("G", true) + record("c", false, 2) << "G[c]" << true;
        QTest::newRow("other bits ignored")
            << record("G", true) + record("c", false, 0xFC) << "G[c]" << false;
        QTest::newRow("any contact expands")
            << record("G", true) + record("c", false, 0) + record("d", false, 1) << "G+[c,d]"
            << false;
        QTest::newRow("group row flag unused")
            << record("G", true, 0xFF) + record("c", false) << "G[c]" << false;
        QTest::newRow("any non-zero IsGroup is a group")
            << record("G", true) + record("H", true).replace(63, 1, "\x80") << "G[] H[]" << false;
        QTest::newRow("trailing piece ignored")
            << record("G", true) + record("c", false, 2) + QByteArray(20, '\x01') << "G[c]" << true;
        QTest::newRow("contact before any group")
            << record("c", false, 3) + record("G", true) << "Без группы+[c] G[]" << true;
        QTest::newRow("empty file") << QByteArray() << "" << false;
        QTest::newRow("code page 1251")
            << record("\xC4\xF0\xF3\xE7\xFC\xFF", true) << "Друзья[]" << false;
    }
    void migrationRecords() {
        QFETCH(QByteArray, file);
        QFETCH(QString, result);
        QFETCH(bool, translit);
        save(BookLayout::parse(QStringLiteral("Registry[copy]")));
        writeLegacy(file);
        const QList<BookGroup> groups = load();
        QCOMPARE(BookLayout::of(groups), result);
        if (!groups.isEmpty() && !groups[0].contacts.isEmpty())
            QCOMPARE(groups[0].contacts[0].Translit, translit);
        QVERIFY(!QFile::exists(m_legacy));
    }

    void lengthBytesAreClamped() {
        QByteArray row =
            record(QByteArray(30, 'n'), false, 0, QByteArray(15, '1'), QByteArray(15, 's'));
        row[0] = char(255);
        row[31] = char(16);
        row[47] = char(200);
        TContacts records;
        QBuffer buffer;
        buffer.setData(record("G", true) + row);
        buffer.open(QIODevice::ReadOnly);
        QVERIFY(ContactRecords::read(buffer, records));
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[1].Name, QString(30, QLatin1Char('n')));
        QCOMPARE(records[1].Number, QString(15, QLatin1Char('1')));
        QCOMPARE(records[1].Sign, QString(15, QLatin1Char('s')));
    }

    void readErrorKeepsTheStores() {
        FailingDevice device;
        TContacts records;
        QVERIFY(!ContactRecords::read(device, records));
        QCOMPARE(records.size(), 1);
    }

    void fileIsRemovedOnlyAfterTheBookIsStored() {
        const QList<BookGroup> old = BookLayout::parse(QStringLiteral("Old[a]"));
        save(old);
        writeLegacy(record("G", true) + record("Poison", false));
        poisonKeyName("Poison");
        ContactBook book;
        QVERIFY_THROWS_EXCEPTION(ContactStoreError, m_store->LoadContacts(book));
        QVERIFY(QFile::exists(m_legacy));
        QCOMPARE(ContactStore::readBook(*m_registry), afterRoundTrip(old));
        // The file's book was read; once the store takes it, the file goes.
        QCOMPARE(BookLayout::of(book), QStringLiteral("G[Poison]"));
        sql("DROP TRIGGER poison");
        QCOMPARE(m_store->SaveContacts(book), ContactStore::SaveResult::Saved);
        QVERIFY(!QFile::exists(m_legacy));
        QCOMPARE(BookLayout::of(ContactStore::readBook(*m_registry)), QStringLiteral("G[Poison]"));
    }

    void folderNamedLikeTheOldFileIsNotRead() {
        save(BookLayout::parse(QStringLiteral("G[c]")));
        QVERIFY(QDir().mkpath(m_legacy));
        QCOMPARE(BookLayout::of(load()), QStringLiteral("G[c]"));
        QVERIFY(QFileInfo(m_legacy).isDir());
    }

    void failedLoadIsNeverSavedOver() {
        const QList<BookGroup> stored = BookLayout::parse(QStringLiteral("G+[a,b] H[c]"));
        save(stored);
        sql("ALTER TABLE vals RENAME TO hidden");
        ContactBook book;
        QVERIFY_THROWS_EXCEPTION(ContactStoreError, m_store->LoadContacts(book));
        QVERIFY(m_store->loadFailed());
        QVERIFY(book.isEmpty());
        QCOMPARE(m_store->takeSkippedSaveNotice(), QString());
        sql("ALTER TABLE hidden RENAME TO vals");
        book.appendGroup({.caption = QStringLiteral("Typed after the failure")});
        QCOMPARE(m_store->SaveContacts(book), ContactStore::SaveResult::Skipped);
        QCOMPARE(m_store->SaveContacts(book), ContactStore::SaveResult::Skipped);
        QCOMPARE(m_store->takeSkippedSaveNotice(), ContactStore::kBookNotSavedText);
        QCOMPARE(m_store->takeSkippedSaveNotice(), QString());
        QCOMPARE(ContactStore::readBook(*m_registry), afterRoundTrip(stored));
    }

    void records_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kept");
        QTest::newRow("fits") << "Иван Петров"
                              << "Иван Петров";
        QTest::newRow("cut to 30")
            << QString(31, QLatin1Char('x')) << QString(30, QLatin1Char('x'));
        QTest::newRow("empty") << ""
                               << "";
    }
    void records() {
        QFETCH(QString, name);
        QFETCH(QString, kept);
        const TContactEntry entry = TContactEntry::make(name, QStringLiteral("+79991234567890123"),
                                                        QStringLiteral("s"), true, 7);
        QCOMPARE(entry.Name, kept);
        QCOMPARE(entry.Number, QStringLiteral("+79991234567890"));
        const QByteArray bytes = entry.toRecord();
        QCOMPARE(bytes.size(), TContactEntry::kSize);
        QCOMPARE(TContactEntry::fromRecord(bytes.constData()), entry);
    }

    void downloadFlags() {
        const TContacts rows{
            TContactEntry::make("A", {}, {}, true, 1),  TContactEntry::make("a", {}, {}, false, 1),
            TContactEntry::make("b", {}, {}, false, 3), TContactEntry::make("B", {}, {}, true, 3),
            TContactEntry::make("c", {}, {}, false, 2), TContactEntry::make("C", {}, {}, true, 1)};
        const QList<BookGroup> groups =
            ContactRecords::toBook(rows, ContactRecords::FlagMeaning::ServerDownload);
        QCOMPARE(BookLayout::of(groups), QStringLiteral("A+[a,b] B[c] C+[]"));
        QVERIFY(groups[0].contacts[0].Translit);
        QVERIFY(!groups[0].contacts[1].Translit);
        QVERIFY(!groups[1].contacts[0].Translit);
    }
};

QTEST_GUILESS_MAIN(ContactStoreTest)
#include "ContactStoreTest.moc"
