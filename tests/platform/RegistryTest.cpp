#include "platform/Registry.h"
#include "TestProfile.h"
#include "platform/AppPaths.h"
#include "platform/RegistryStatement.h"
#include "platform/StoreFailure.h"

#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QtConcurrent>

namespace {

enum class Trigger { DiskFull, ReadOnly, NotADatabase, FolderInTheWay };

// Spoils the store at `path`, then writes to it through a connection of its own, as other
// tables of the same file do.
void pull(Trigger trigger, const QString& path) {
    QFile garbage(path);
    if (trigger == Trigger::NotADatabase && garbage.open(QIODevice::WriteOnly))
        garbage.write(QByteArray(4096, 'Z'));
    garbage.close();
    if (trigger == Trigger::FolderInTheWay)
        QDir().mkpath(path);
    Registry store(path);
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                    trigger == Trigger::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE,
                    nullptr);
    const auto close = qScopeGuard([db] { sqlite3_close(db); });
    if (trigger == Trigger::DiskFull)
        sqlite3_exec(db, "PRAGMA max_page_count=1", nullptr, nullptr, nullptr);
    RegistryStore::Statement(db, "INSERT INTO vals VALUES(0, 'x', 'x', 1, zeroblob(99999))").step();
}

} // namespace

class RegistryTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    int m_counter = 0;

    static void checkBranch(const Registry& r, const QString& key, const Registry::Branch& read) {
        QStringList names;
        for (const Registry::Value& value : read.values) {
            names.append(value.name);
            if (value.type == Registry::ValueType::Integer)
                QCOMPARE(r.readInteger(key, value.name), std::optional<qint32>(value.integer));
            else
                QCOMPARE(r.readBytes(key, value.name), std::optional<QByteArray>(value.bytes));
        }
        QCOMPARE(names, r.valueNames(key));
        QStringList subkeys;
        for (const Registry::Branch& sub : read.subkeys) {
            subkeys.append(sub.name);
            checkBranch(r, key + QLatin1Char('\\') + sub.name, sub);
        }
        QCOMPARE(subkeys, r.subkeys(key));
    }

    QString freshFile() { return m_profile.root() + QStringLiteral("/reg%1.db").arg(++m_counter); }

private slots:
    void fileIsPrivate() {
        Registry registry;
        QCOMPARE(registry.filePath(), AppPaths::registryFile());
        registry.writeString({}, QStringLiteral("Host"), QStringLiteral("x"));
        const QFileInfo info(registry.filePath());
        QVERIFY(info.exists());
        QCOMPARE(int(info.permissions() & 0x0077), 0); // no group or other bits
    }

    void typesAreKept() {
        Registry r(freshFile());
        r.writeString({}, "Host", QStringLiteral("сервер"));
        r.writeInteger({}, "Port", -5);
        r.writeBool({}, "UseProxy", true);
        QCOMPARE(r.readString({}, "Host"), QStringLiteral("сервер"));
        QCOMPARE(r.readInteger({}, "Port"), std::optional<qint32>(-5));
        QCOMPARE(r.readBool({}, "UseProxy"), std::optional<bool>(true));
        // A value of another type counts as missing for its reader.
        QCOMPARE(r.readInteger({}, "Host"), std::nullopt);
        QCOMPARE(r.readString({}, "Port"), QString());
        QCOMPARE(r.readStringValue({}, "Port"), std::nullopt);
        QCOMPARE(r.readInteger({}, "Missing"), std::nullopt);
        QCOMPARE(r.readString({}, "Missing"), QString());
        QCOMPARE(r.valueType({}, "Port"), Registry::ValueType::Integer);
        // Overwriting with another type changes it.
        r.writeString({}, "Port", "3000");
        QCOMPARE(r.readInteger({}, "Port"), std::nullopt);
    }

    void integerLimitsAndBooleans() {
        Registry r(freshFile());
        for (qint32 v :
             {std::numeric_limits<qint32>::min(), -1, 0, 1, std::numeric_limits<qint32>::max()}) {
            r.writeInteger({}, "N", v);
            QCOMPARE(r.readInteger({}, "N"), std::optional<qint32>(v));
        }
        r.writeInteger({}, "B", 7);
        QCOMPARE(r.readBool({}, "B"), std::optional<bool>(true));
        r.writeInteger({}, "B", 0);
        QCOMPARE(r.readBool({}, "B"), std::optional<bool>(false));
    }

    void namesAreCaseInsensitiveAndKeepCase() {
        Registry r(freshFile());
        r.writeString("Contacts\\Друзья", "Number", "1");
        QVERIFY(r.keyExists("CONTACTS\\ДРУЗЬЯ"));
        QCOMPARE(r.readString("contacts\\друзья", "NUMBER"), QStringLiteral("1"));
        r.writeString("contacts\\ДРУЗЬЯ", "number", "2");
        QCOMPARE(r.subkeys("Contacts"), QStringList{QStringLiteral("Друзья")});
        QCOMPARE(r.valueNames("Contacts\\Друзья"), QStringList{"Number"});
        QCOMPARE(r.readString("Contacts\\Друзья", "Number"), QStringLiteral("2"));
    }

    void defaultValueIsTheEmptyName() {
        Registry r(freshFile());
        r.writeString("Contacts\\A", {}, "0|1");
        QCOMPARE(r.readString("Contacts\\A", {}), QStringLiteral("0|1"));
        QCOMPARE(r.valueNames("Contacts\\A"), QStringList{QString()});
    }

    void unrepresentableTextBecomesQuestionMarks() {
        Registry r(freshFile());
        r.writeString({}, "T", QStringLiteral("a中b"));
        QCOMPARE(r.readString({}, "T"), QStringLiteral("a?b"));
        r.writeBytes({}, "Raw", QByteArray("\x00\xFF", 2));
        QCOMPARE(r.readBytes({}, "Raw"), std::optional<QByteArray>(QByteArray("\x00\xFF", 2)));
    }

    void deleteKeyTree() {
        Registry r(freshFile());
        r.writeString("Contacts\\G1\\C1", "Number", "1");
        r.writeString("Contacts\\G2", {}, "x");
        r.writeString({}, "Host", "h");
        r.deleteKeyTree("contacts");
        QVERIFY(!r.keyExists("Contacts"));
        QVERIFY(!r.keyExists("Contacts\\G1\\C1"));
        QCOMPARE(r.readString({}, "Host"), QStringLiteral("h"));
        r.createKey("Contacts");
        QVERIFY(r.subkeys("Contacts").isEmpty());
    }

    void failedTransactionLeavesOldState() {
        const QString file = freshFile();
        {
            Registry r(file);
            r.writeString("Contacts\\Old", "Number", "1");
            try {
                Registry::Transaction t(r);
                r.deleteKeyTree("Contacts");
                r.writeString("Contacts\\New", "Number", "2");
                throw std::runtime_error("crash in the middle");
            } catch (const std::runtime_error&) {
            }
            QVERIFY(r.keyExists("Contacts\\Old"));
            QVERIFY(!r.keyExists("Contacts\\New"));
            Registry::Transaction t(r);
            r.writeString("Contacts\\New", "Number", "3");
            t.commit();
        }
        Registry again(file);
        QCOMPARE(again.readString("Contacts\\New", "Number"), QStringLiteral("3"));
    }

    void nestedTransactionJoinsOuter() {
        Registry r(freshFile());
        {
            Registry::Transaction outer(r);
            {
                Registry::Transaction inner(r);
                r.writeInteger({}, "A", 1);
                inner.commit();
            }
            // outer is dropped: the inner commit goes too
        }
        QCOMPARE(r.readInteger({}, "A"), std::nullopt);
    }

    void twoConnectionsSeeEachOther() {
        const QString file = freshFile();
        Registry a(file);
        Registry b(file);
        a.writeInteger({}, "Port", 3000);
        QCOMPARE(b.readInteger({}, "Port"), std::optional<qint32>(3000));
        // Concurrent writers from two connections neither lose writes nor fail.
        auto writer = [&file](int base) {
            Registry r(file);
            for (int i = 0; i < 50; ++i)
                r.writeInteger({}, QStringLiteral("V%1").arg(base + i), i);
        };
        auto f1 = QtConcurrent::run(writer, 0);
        auto f2 = QtConcurrent::run(writer, 100);
        f1.waitForFinished();
        f2.waitForFinished();
        QCOMPARE(a.valueNames({}).size(), 101);
    }

    // The program shares one handle between its windows and its worker threads.
    void oneHandleSharedByThreads() {
        Registry r(freshFile());
        auto worker = [&r](int thread) {
            const QString key = QStringLiteral("Worker%1").arg(thread);
            for (int i = 0; i < 100; ++i) {
                r.writeInteger(key, QStringLiteral("V%1").arg(i), i);
                if (r.readInteger(key, QStringLiteral("V%1").arg(i)) != i)
                    return false;
                if (i % 10 == 0 && r.readBranch(key).values.size() != i + 1)
                    return false;
            }
            return true;
        };
        QList<QFuture<bool>> workers;
        for (int thread = 0; thread < 4; ++thread)
            workers << QtConcurrent::run(worker, thread);
        for (QFuture<bool>& done : workers)
            QVERIFY(done.result());
        QCOMPARE(r.subkeys({}).size(), 4);
    }

    void branchRoundTrip() {
        Registry r(freshFile());
        r.writeString("Contacts\\Old", {}, "1|0");
        r.writeString("Contacts\\Keep", "Number", "+1");

        Registry::Branch book;
        Registry::Branch keep{QStringLiteral("KEEP"), {}, {}};
        keep.values.append({QStringLiteral("Number"), Registry::ValueType::String, "+2"});
        keep.values.append({QStringLiteral("Translit"), Registry::ValueType::Integer, {}, 1});
        Registry::Branch fresh{QStringLiteral("Новая"), {}, {}};
        fresh.values.append({QString(), Registry::ValueType::String, "2|1"});
        book.subkeys = {keep, fresh};
        r.replaceBranch("Contacts", book);

        QVERIFY(!r.keyExists("Contacts\\Old"));
        // A rename that only changes letter case is kept, as the caller asked.
        QCOMPARE(r.subkeys("Contacts"),
                 (QStringList{QStringLiteral("KEEP"), QStringLiteral("Новая")}));
        QCOMPARE(r.readString("Contacts\\Keep", "Number"), QStringLiteral("+2"));
        QCOMPARE(r.readInteger("Contacts\\Keep", "Translit"), std::optional<qint32>(1));
        QCOMPARE(r.readString(QStringLiteral("Contacts\\Новая"), {}), QStringLiteral("2|1"));

        const Registry::Branch read = r.readBranch("Contacts");
        QCOMPARE(read.subkeys.size(), 2);
        QCOMPARE(read.subkeys.at(0).values.size(), 2);
        QVERIFY(r.readBranch("Missing").subkeys.isEmpty());
    }

    // The whole-branch read must agree, level by level, with the key-by-key accessors.
    void branchReadMatchesKeyByKey() {
        Registry r(freshFile());
        r.writeString("Other", "Number", "elsewhere");
        r.writeString("Contacts", "Top", "t");
        for (const char* group : {"b", "A", "Яблоко", "c"}) {
            const QString groupKey = QStringLiteral("Contacts\\") + QString::fromUtf8(group);
            r.writeString(groupKey, {}, "1|0");
            for (const char* contact : {"z", "Ёж", "m"}) {
                const QString key = groupKey + QStringLiteral("\\") + QString::fromUtf8(contact);
                r.writeString(key, "Sign", key.right(2));
                r.writeString(key, "number", key);
                r.writeInteger(key, "Translit", int(key.size()));
                r.writeString(key + QStringLiteral("\\Deeper"), "Sender", key);
            }
        }
        checkBranch(r, QStringLiteral("Contacts"), r.readBranch("Contacts"));
    }

    void branchReplaceRollsBackWithTransaction() {
        Registry r(freshFile());
        r.writeString("Contacts\\A", {}, "1|0");
        {
            Registry::Transaction t(r);
            r.replaceBranch("Contacts", {});
            QVERIFY(!r.keyExists("Contacts\\A"));
        }
        QVERIFY(r.keyExists("Contacts\\A"));
    }

    // The user learns what failed, in which file and what to do, with SQLite's words last.
    void failureIsExplained_data() {
        QTest::addColumn<int>("trigger");
        QTest::addColumn<QString>("sentence"); // %1 the file, %2 its folder
        const QString write = QStringLiteral("Не удалось записать настройки в файл %1: ");
        const QString open = QStringLiteral("Не удалось открыть файл настроек %1: ");
        QTest::newRow("disk full") << int(Trigger::DiskFull)
                                   << write + "на диске нет места. Освободите место на диске и "
                                              "повторите. (database or disk is full)";
        QTest::newRow("read-only") << int(Trigger::ReadOnly)
                                   << write + "нет доступа к файлу или он открыт только для "
                                              "чтения. Проверьте права доступа к файлу и к папке "
                                              "%2. (attempt to write a readonly database)";
        QTest::newRow("not a database")
            << int(Trigger::NotADatabase)
            << open + "файл повреждён или не является файлом настроек. Восстановите его из "
                      "резервной копии, если она есть, или переместите в другое место — "
                      "программа создаст новый файл с настройками по умолчанию. (file is not a "
                      "database)";
        QTest::newRow("a folder in its place")
            << int(Trigger::FolderInTheWay)
            << open + "на месте файла находится папка. Переименуйте или уберите её — программа "
                      "создаст новый файл. (unable to open database file)";
    }
    void failureIsExplained() {
        QFETCH(int, trigger);
        QFETCH(QString, sentence);
        const QString folder = m_profile.root() + QStringLiteral("/failing%1").arg(++m_counter);
        QVERIFY(QDir().mkpath(folder));
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        QString shown;
        try {
            pull(Trigger(trigger), folder + QStringLiteral("/registry.db"));
        } catch (const RegistryError& failure) {
            shown = QString::fromUtf8(failure.what());
        }
        QCOMPARE(shown, sentence.replace(QStringLiteral("%1"), canonical + "/registry.db")
                            .replace(QStringLiteral("%2"), canonical));
    }

    // The end of a batch fails in its writing, though SQLite counts it as read-only.
    void failedStatementTellsWhatItDid() {
        Registry store(freshFile());
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(store.filePath()).constData(), &db), SQLITE_OK);
        const auto close = qScopeGuard([db] { sqlite3_close(db); });
        QList<StoreFailure::Action> actions;
        for (const char* sql : {"SELECT name FROM vals", "DELETE FROM vals", " commit;", "END"}) {
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
            actions.append(StoreFailure::actionOf(statement));
            sqlite3_finalize(statement);
        }
        using enum StoreFailure::Action;
        QCOMPARE(actions, (QList<StoreFailure::Action>{Read, Write, Write, Write}));
    }

    void unreadableFileIsAnError() {
        const QString dir = m_profile.root() + QStringLiteral("/adir");
        QDir().mkpath(dir);
        QVERIFY_THROWS_EXCEPTION(RegistryError, Registry{dir});
    }
};

QTEST_GUILESS_MAIN(RegistryTest)
#include "RegistryTest.moc"
