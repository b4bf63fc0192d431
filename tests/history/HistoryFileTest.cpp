#include "history/HistoryFile.h"
#include "HistoryBytes.h"
#include "TestProfile.h"
#include "ThreadState.h"
#include "history/HistoryLock.h"
#include "history/HistoryReader.h"
#include "platform/Ansi.h"

#include <QDir>
#include <QFile>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <atomic>
#include <cmath>
#include <csignal>
#include <limits>
#include <memory>

#include <sys/resource.h>
#include <unistd.h>

using namespace HistoryBytes;

namespace {

const QByteArray kHeader22 = QByteArrayLiteral("Varnelo History v2.2");
const QByteArray kHeader21 = QByteArrayLiteral("Varnelo History v2.1");
const QByteArray kHeader20 = QByteArrayLiteral("Varnelo History v2.0");

QByteArray cp1251(const QString& text) {
    return Ansi::fromUnicode(text);
}

TMess message(qint32 id, const QString& text = QStringLiteral("Привет")) {
    TMess record;
    record.Id = id;
    record.Date = 45000 + id;
    record.Time = 0.25;
    record.Status = 10;
    record.Number = QStringLiteral("+7900%1").arg(id, 7, 10, QLatin1Char('0'));
    record.Sender = QStringLiteral("Varnelo");
    record.Text = text;
    record.Sign = QStringLiteral("Вася");
    return record;
}

QByteArray v22Bytes(const TMess& record) {
    Fixed fixed;
    fixed.id = record.Id;
    fixed.reserved = record.Reserved;
    fixed.date = record.Date;
    fixed.time = record.Time;
    fixed.status = record.Status;
    fixed.number = cp1251(record.Number.left(14));
    fixed.numberLength = quint8(fixed.number.size());
    return v22Record(fixed, cp1251(record.Text), cp1251(record.Sender), cp1251(record.Sign));
}

QList<qint32> idsOf(const QList<TMess>& records) {
    QList<qint32> ids;
    for (const TMess& record : records)
        ids.append(record.Id);
    return ids;
}

QList<qint32> range(qint32 first, qint32 last) {
    QList<qint32> ids;
    for (qint32 id = first; id <= last; ++id)
        ids.append(id);
    return ids;
}

// Keeps writes from growing a file past `bytes` for as long as it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

class HistoryFileTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    QString m_folder;
    QString m_path;
    int m_counter = 0;

    void writeRecords(const QList<TMess>& records) {
        QByteArray content = kHeader22;
        for (const TMess& record : records)
            content += v22Bytes(record);
        writeFile(m_path, content);
    }

private slots:
    void init() {
        m_folder = m_profile.root() + QStringLiteral("/case%1").arg(++m_counter);
        QVERIFY(QDir().mkpath(m_folder));
        m_path = m_folder + QStringLiteral("/History.dat");
    }

    void defaultFileIsInTheDataFolder() {
        QCOMPARE(HistoryFile::defaultPath(),
                 m_profile.dataFolder() + QStringLiteral("/History.dat"));
    }

    void recordLayout() {
        TMess record = message(123456, QStringLiteral("Щука ёлка"));
        record.Reserved = 0xDEADBEEF;
        record.Status = 11;
        record.Date = 44927;
        record.Time = 0.7512345;
        QCOMPARE(HistoryFile(m_path).rewrite({record}), QString());
        QCOMPARE(readFile(m_path), kHeader22 + v22Bytes(record));
        QCOMPARE(HistoryFile(m_path).readAll(), QList<TMess>{record});
    }

    void longFieldsAreCut() {
        TMess record = message(1);
        record.Number = QStringLiteral("+123456789012345678");
        record.Text = QString(70000, QChar(u'ж'));
        const TMess next = message(2);
        QCOMPARE(HistoryFile(m_path).rewrite({record, next}), QString());
        const QList<TMess> read = HistoryFile(m_path).readAll();
        QCOMPARE(read.size(), 2);
        QCOMPARE(read[0].Number, QStringLiteral("+1234567890123"));
        QCOMPARE(read[0].Text, QString(65535, QChar(u'ж')));
        QCOMPARE(read[1], next);
    }

    void openHistory_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("current");
        QTest::addColumn<int>("records");
        const QByteArray one = v22Bytes(message(1));
        QTest::newRow("missing: created empty") << false << QByteArray() << true << 0;
        QTest::newRow("empty") << true << QByteArray() << true << 0;
        QTest::newRow("start of the header") << true << QByteArray("Varnelo Hi") << true << 0;
        QTest::newRow("header alone") << true << kHeader22 << true << 0;
        QTest::newRow("header and a record") << true << kHeader22 + one << true << 1;
        QTest::newRow("version 2.1") << true << kHeader21 + one << false << 0;
        QTest::newRow("version 2.0") << true << kHeader20 << false << 0;
        QTest::newRow("short and different") << true << QByteArray("Varnelo X") << false << 0;
        QTest::newRow("other case") << true << QByteArray("varnelo History v2.2") << false << 0;
        QTest::newRow("headerless record") << true << headerlessRecord({}, "hi") << false << 0;
    }
    void openHistory() {
        QFETCH(bool, exists);
        QFETCH(QByteArray, content);
        QFETCH(bool, current);
        QFETCH(int, records);
        if (exists)
            writeFile(m_path, content);
        HistoryReader reader(m_path);
        QCOMPARE(reader.OpenHistory(), current);
        QVERIFY(!reader.failed());
        int count = 0;
        TMess record;
        while (reader.ReadRecord(record))
            ++count;
        QCOMPARE(count, records);
        QVERIFY(QFile::exists(m_path));
        QCOMPARE(readFile(m_path), content); // opening never changes the file
    }

    void tornRecordEndsReading() {
        const QList<QByteArray> records = {v22Bytes(message(1)), v22Bytes(message(2, QString())),
                                           v22Bytes(message(3, QStringLiteral("третье")))};
        const QByteArray whole = kHeader22 + records[0] + records[1] + records[2];
        for (qsizetype cut = kHeader22.size(); cut <= whole.size(); ++cut) {
            writeFile(m_path, whole.left(cut));
            qsizetype end = kHeader22.size();
            qint32 complete = 0;
            for (const QByteArray& record : records) {
                if (end + record.size() > cut)
                    break;
                end += record.size();
                ++complete;
            }
            QString error;
            QCOMPARE(idsOf(HistoryFile(m_path).readAll(&error)), range(1, complete));
            QCOMPARE(error, QString());
        }
    }

    void everyByteReadsAsTheCodePage() {
        QByteArray all;
        for (int byte = 0; byte < 256; ++byte)
            all.append(char(byte));
        const QByteArray longer = all.repeated(3) + "tail"; // past any vector width
        Fixed fixed;
        fixed.number = all.mid(0xB0, 14);
        fixed.numberLength = 14;
        writeFile(m_path, kHeader22 + v22Record(fixed, longer, all, all.mid(0x80)));
        const QList<TMess> read = HistoryFile(m_path).readAll();
        QCOMPARE(read.size(), 1);
        QCOMPARE(read[0].Number, Ansi::toUnicode(all.mid(0xB0, 14)));
        QCOMPARE(read[0].Text, Ansi::toUnicode(longer));
        QCOMPARE(read[0].Sender, Ansi::toUnicode(all));
        QCOMPARE(read[0].Sign, Ansi::toUnicode(all.mid(0x80)));
    }

    void repeatedAndChangingSenders() {
        const QList<QPair<QString, QString>> pairs = {{"A", "x"}, {"A", "x"}, {"B", "x"}, {"", ""},
                                                      {"", "y"},  {"B", "y"}, {"AB", "y"}};
        QList<TMess> records;
        for (const auto& [sender, sign] : pairs) {
            records.append(message(records.size() + 1));
            records.last().Sender = sender;
            records.last().Sign = sign;
        }
        writeRecords(records);
        QCOMPARE(HistoryFile(m_path).readAll(), records);
    }

    void lengthsPastTheEnd_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("records");
        const QByteArray good = v22Bytes(message(1));
        Fixed fixed;
        fixed.id = 2;
        const QByteArray block = fixedBlock(fixed);
        QTest::newRow("text length 65535, nothing behind")
            << kHeader22 + good + block + "\xff\xff" << 1;
        QTest::newRow("text length 65535, a few bytes")
            << kHeader22 + good + block + "\xff\xff" + "abc" << 1;
        QTest::newRow("sender length past the end")
            << kHeader22 + good + block + lengthAndBytes("t") + QByteArray("\x10\x00", 2) + "abc"
            << 1;
        QTest::newRow("sign length past the end")
            << kHeader22 + good + block + lengthAndBytes("t") + lengthAndBytes("s") +
                   QByteArray("\x05\x00", 2)
            << 1;
        QTest::newRow("one byte of a length") << kHeader22 + good + block + "\x01" << 1;
        QTest::newRow("all ones") << kHeader22 + QByteArray(300, '\xff') << 0;
    }
    void lengthsPastTheEnd() {
        QFETCH(QByteArray, content);
        QFETCH(int, records);
        writeFile(m_path, content);
        QCOMPARE(HistoryFile(m_path).readAll().size(), records);
    }

    void numberLengthAbove14ReadsAs14() {
        Fixed fixed;
        fixed.id = 7;
        fixed.numberLength = 200;
        fixed.number = "+7900123456789";
        writeFile(m_path, kHeader22 + v22Record(fixed, "t", "s", "g") + v22Bytes(message(8)));
        const QList<TMess> read = HistoryFile(m_path).readAll();
        QCOMPARE(read.size(), 2);
        QCOMPARE(read[0].Number, QStringLiteral("+7900123456789"));
        QCOMPARE(read[0].Text, QStringLiteral("t"));
        QCOMPARE(read[1].Id, 8);
    }

    void rewriteKeepsEveryByte() {
        Fixed odd;
        odd.id = -5;
        odd.reserved = 0x01020304;
        odd.date = std::numeric_limits<double>::quiet_NaN();
        odd.time = -1e300;
        odd.status = 255;
        odd.numberLength = 3;
        odd.number = "abc";
        const QByteArray content = kHeader22 +
                                   v22Record(odd, QByteArray("a\0b\x98\xff", 5), "", "z") +
                                   v22Bytes(message(2));
        writeFile(m_path, content);
        QCOMPARE(HistoryFile(m_path).applyStatuses({}), QString());
        QCOMPARE(readFile(m_path), content);
    }

    void convert_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("records"); // expected, in the current layout

        Fixed a;
        a.id = 11;
        a.reserved = 77;
        a.date = 40000;
        a.time = 0.5;
        a.status = 11;
        a.number = "+79001112233";
        a.numberLength = 12;
        Fixed b = a;
        b.id = 12;
        b.status = 1;
        b.numberLength = 99; // read as 14
        b.number = "+7900111223344";

        QTest::newRow("2.1: texts and senders")
            << kHeader21 +
                   v21Record(a, cp1251(QStringLiteral("Текст")), QByteArray("Bob\0junk", 8)) +
                   v21Record(b, QByteArray("x\0y", 3), "")
            << v22Record(a, cp1251(QStringLiteral("Текст")), "Bob", "") +
                   v22Record({b.id, b.reserved, b.date, b.time, b.status, 14, b.number},
                             QByteArray("x\0y", 3), "", "");
        QTest::newRow("2.1: torn last record")
            << kHeader21 + v21Record(a, "one", "s") + v21Record(b, "two", "sender").chopped(3)
            << v22Record(a, "one", "s", "");
        QTest::newRow("2.0: texts end at a zero")
            << kHeader20 + v20Record(a, QByteArray("Hi\0junk", 7)) + v20Record(a, "again")
            << v22Record(a, "Hi", "", "") + v22Record(a, "again", "", "");
        QTest::newRow("2.0: header alone") << kHeader20 << QByteArray();
        QTest::newRow("headerless") << headerlessRecord(a, cp1251(QStringLiteral("Привет"))) +
                                           headerlessRecord(a, QByteArray(240, 'z'), 'z')
                                    << v22Record(a, cp1251(QStringLiteral("Привет")), "", "") +
                                           v22Record(a, QByteArray(240, 'z'), "", "");
        QTest::newRow("headerless: trailing piece ignored")
            << headerlessRecord(a, "one") + QByteArray(100, 'q') << v22Record(a, "one", "", "");
        QTest::newRow("empty file") << QByteArray() << QByteArray();
        QTest::newRow("short garbage") << QByteArray("0123456789") << QByteArray();
        QTest::newRow("19 bytes of a 2.1 header") << kHeader21.left(19) << QByteArray();
    }
    void convert() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, records);
        writeFile(m_path, content);
        QCOMPARE(HistoryFile(m_path).ConvertHistory(), QString());
        QCOMPARE(readFile(m_path), kHeader22 + records);
        // A converted file is a current one: nothing more to do, and it reads back.
        QCOMPARE(HistoryFile(m_path).ConvertHistory(), QString());
        QCOMPARE(readFile(m_path), kHeader22 + records);
    }

    void convertLeavesMissingAndCurrentAlone() {
        QCOMPARE(HistoryFile(m_path).ConvertHistory(), QString());
        QVERIFY(!QFile::exists(m_path));
        const QByteArray current = kHeader22 + v22Bytes(message(1)) + "torn";
        writeFile(m_path, current);
        QCOMPARE(HistoryFile(m_path).ConvertHistory(), QString());
        QCOMPARE(readFile(m_path), current);
    }

    void convertReadErrorWritesNothing() {
        QVERIFY(QDir().mkpath(m_path));
        QVERIFY(!HistoryFile(m_path).ConvertHistory().isEmpty());
        QVERIFY(QFileInfo(m_path).isDir());
    }

    void firstAppendCreatesTheFile() {
        QVERIFY(!QFile::exists(m_path));
        QCOMPARE(HistoryFile(m_path).AppendHistory(message(5), 3000), QString());
        QCOMPARE(readFile(m_path), kHeader22 + v22Bytes(message(5)));
    }

    void appendJoinsLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::newRow("CR LF") << "a\r\nb"
                               << "a b";
        QTest::newRow("two CR LF") << "a\r\n\r\nb"
                                   << "a  b";
        QTest::newRow("LF alone stays") << "a\nb"
                                        << "a\nb";
        QTest::newRow("CR alone stays") << "a\rb"
                                        << "a\rb";
        QTest::newRow("CR CR LF") << "\r\r\n"
                                  << "\r ";
        QTest::newRow("LF CR") << "\n\r"
                               << "\n\r";
    }
    void appendJoinsLines() {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        TMess record = message(1, text);
        record.Sign = QStringLiteral("a\r\nb");
        QCOMPARE(HistoryFile(m_path).AppendHistory(record, 3000), QString());
        const QList<TMess> read = HistoryFile(m_path).readAll();
        QCOMPARE(read.size(), 1);
        QCOMPARE(read[0].Text, stored);
        QCOMPARE(read[0].Sign, QStringLiteral("a\r\nb"));
    }

    void appendTrims_data() {
        QTest::addColumn<int>("existing");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("firstKept");
        QTest::newRow("limit 2, third drops the oldest") << 2 << 2 << 1 << 2;
        QTest::newRow("under the limit") << 3 << 10 << 2 << 1;
        QTest::newRow("exactly the limit") << 3 << 5 << 2 << 1;
        QTest::newRow("group larger than the limit") << 4 << 3 << 6 << 8;
        QTest::newRow("limit 0 means 3000") << 3000 << 0 << 1 << 2;
        QTest::newRow("negative limit means 3000") << 3000 << -4 << 1 << 2;
        QTest::newRow("file already over the limit") << 10 << 4 << 1 << 8;
    }
    void appendTrims() {
        QFETCH(int, existing);
        QFETCH(int, limit);
        QFETCH(int, added);
        QFETCH(int, firstKept);
        QList<TMess> old;
        for (int id = 1; id <= existing; ++id)
            old.append(message(id));
        writeRecords(old);
        QList<TMess> group;
        for (int id = existing + 1; id <= existing + added; ++id)
            group.append(message(id));
        QCOMPARE(HistoryFile(m_path).AppendHistory(group, limit), QString());
        QCOMPARE(idsOf(HistoryFile(m_path).readAll()), range(firstKept, existing + added));
    }

    void groupAppendEqualsOneByOne_data() {
        QTest::addColumn<int>("existing");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("added");
        QTest::newRow("no file yet") << -1 << 3000 << 5;
        QTest::newRow("room for all") << 5 << 20 << 3;
        QTest::newRow("trimmed") << 5 << 6 << 3;
        QTest::newRow("group over the limit") << 3 << 2 << 5;
        QTest::newRow("foreign file") << -2 << 3000 << 4;
    }
    void groupAppendEqualsOneByOne() {
        QFETCH(int, existing);
        QFETCH(int, limit);
        QFETCH(int, added);
        const QString single = m_folder + QStringLiteral("/single.dat");
        const QString group = m_folder + QStringLiteral("/group.dat");
        if (existing == -2) {
            writeFile(single, kHeader21 + "whatever");
            writeFile(group, kHeader21 + "whatever");
        } else if (existing >= 0) {
            QList<TMess> old;
            for (int id = 1; id <= existing; ++id)
                old.append(message(id));
            HistoryFile(single).rewrite(old);
            HistoryFile(group).rewrite(old);
        }
        QList<TMess> records;
        for (int i = 0; i < added; ++i)
            records.append(message(100 + i, QStringLiteral("строка %1\r\nещё").arg(i)));
        for (const TMess& record : records)
            QCOMPARE(HistoryFile(single).AppendHistory(record, limit), QString());
        QCOMPARE(HistoryFile(group).AppendHistory(records, limit), QString());
        QCOMPARE(readFile(group), readFile(single));
        QVERIFY(readFile(group).size() > kHeader22.size());
    }

    void appendOverForeignFileStartsAfresh_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("version 2.1") << kHeader21 + v21Record({}, "old", "s");
        QTest::newRow("garbage") << QByteArray("not a history at all");
    }
    void appendOverForeignFileStartsAfresh() {
        QFETCH(QByteArray, content);
        writeFile(m_path, content);
        QCOMPARE(HistoryFile(m_path).AppendHistory(message(9), 3000), QString());
        QCOMPARE(readFile(m_path), kHeader22 + v22Bytes(message(9)));
    }

    void appendAfterTornRecordKeepsTheCompleteOnes() {
        writeFile(m_path, kHeader22 + v22Bytes(message(1)) + v22Bytes(message(2)).chopped(1));
        QCOMPARE(HistoryFile(m_path).AppendHistory(message(3), 3000), QString());
        QCOMPARE(idsOf(HistoryFile(m_path).readAll()), QList<qint32>({1, 3}));
    }

    void failedAppendLeavesTheOldFile_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("disk full half-way") << "size";
        QTest::newRow("target is a folder") << "folder";
        QTest::newRow("read-only folder") << "readonly";
        QTest::newRow("unreadable file") << "unreadable";
    }
    void failedAppendLeavesTheOldFile() {
        QFETCH(QString, how);
        const bool root = ::geteuid() == 0;
        if (root && (how == QLatin1String("readonly") || how == QLatin1String("unreadable")))
            QSKIP("permissions do not stop root");
        if (how == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(m_path));
            QVERIFY(!HistoryFile(m_path).AppendHistory(message(1), 3000).isEmpty());
            QVERIFY(QFileInfo(m_path).isDir());
            return;
        }
        writeRecords({message(1), message(2), message(3)});
        const QByteArray before = readFile(m_path);
        const TMess big = message(4, QString(20000, QChar(u'я')));
        QString error;
        if (how == QLatin1String("size")) {
            FileSizeLimit limit(before.size() + 1000);
            error = HistoryFile(m_path).AppendHistory(big, 3000);
        } else if (how == QLatin1String("readonly")) {
            QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            error = HistoryFile(m_path).AppendHistory(big, 3000);
            QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner);
        } else {
            QFile::setPermissions(m_path, QFileDevice::WriteOwner);
            error = HistoryFile(m_path).AppendHistory(big, 3000);
            QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }
        QVERIFY(!error.isEmpty());
        QCOMPARE(readFile(m_path), before);
        QCOMPARE(QDir(m_folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("History.dat")});
    }

    void damagedFileIsKeptBeforeItIsRewritten_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<qint32>>("kept");
        QTest::addColumn<bool>("damaged");
        const QByteArray two = kHeader22 + v22Bytes(message(1)) + v22Bytes(message(2));
        QByteArray random(6 * 1024, '\0');
        QRandomGenerator(26).fillRange(reinterpret_cast<quint32*>(random.data()),
                                       random.size() / 4);
        const Fixed old{11, 0, 38000, 0.5, 10, 12, "+79001112233"};
        const QByteArray headerless = headerlessRecord(old, "first");
        QTest::newRow("torn record")
            << two + v22Bytes(message(3)).chopped(5) << QList<qint32>{1, 2} << true;
        QTest::newRow("100 zero bytes appended")
            << two + QByteArray(100, '\0') << QList<qint32>{1, 2} << true;
        QTest::newRow("zero records between")
            << two + QByteArray(92, '\0') + v22Bytes(message(3)) << QList<qint32>{1, 2, 3} << true;
        QTest::newRow("6 KB of random bytes") << random << QList<qint32>{} << true;
        QTest::newRow("unknown header")
            << "Varnelo History v9.9" + v22Bytes(message(1)) << QList<qint32>{} << true;
        QTest::newRow("headerless with a record of garbage")
            << headerless + random.left(288) + headerless << QList<qint32>{11, 11} << true;
        QTest::newRow("headerless, whole") << headerless << QList<qint32>{11} << false;
        QTest::newRow("Id 0 on a real date is a message")
            << kHeader22 + v22Bytes(message(0)) << QList<qint32>{0} << false;
    }
    void damagedFileIsKeptBeforeItIsRewritten() {
        QFETCH(QByteArray, content);
        QFETCH(QList<qint32>, kept);
        QFETCH(bool, damaged);
        writeFile(m_path, content);
        const HistoryFile history(m_path);
        HistoryFile::Damage damage;
        QCOMPARE(history.ConvertHistory(&damage), QString());
        QCOMPARE(damage.has_value(), damaged);
        QCOMPARE(idsOf(history.readAll()), kept);
        if (damaged) {
            QCOMPARE(damage->recordsRead, kept.size());
            QVERIFY(QRegularExpression(QStringLiteral("/History\\.dat\\.damaged-\\d{8}-\\d{6}$"))
                        .match(damage->copyPath)
                        .hasMatch());
            QCOMPARE(readFile(damage->copyPath), content);
        }
        QCOMPARE(history.AppendHistory(message(9), 3000, &damage), QString());
        QCOMPARE(idsOf(history.readAll(nullptr, &damage)), kept + QList<qint32>{9});
        QVERIFY(!damage);
        // One copy, however often the damage was met before the rewrite mended it.
        const QStringList copies =
            QDir(m_folder).entryList({QStringLiteral("History.dat.damaged-*")}, QDir::Files);
        QCOMPARE(copies.size(), damaged ? 1 : 0);
    }

    void laterDamageGetsACopyOfItsOwn() {
        HistoryFile::Damage damage;
        QStringList copies;
        for (const char* tail : {"torn", "other"}) {
            writeFile(m_path, kHeader22 + tail);
            HistoryFile(m_path).readAll(nullptr, &damage);
            QVERIFY(damage && !copies.contains(damage->copyPath));
            QCOMPARE(readFile(damage->copyPath), kHeader22 + tail);
            copies.append(damage->copyPath);
        }
    }

    void damageWithoutACopyIsNotRewritten() {
        const QByteArray content = kHeader22 + v22Bytes(message(1)) + QByteArray(20000, '\0');
        writeFile(m_path, content);
        HistoryFile::Damage damage;
        QString error;
        {
            // Room for the mended file, not for a copy of the damaged one.
            FileSizeLimit limit(4000);
            error = HistoryFile(m_path).AppendHistory(message(2), 3000, &damage);
        }
        QVERIFY(damage && damage->copyPath.isEmpty() && !damage->copyError.isEmpty());
        QCOMPARE(error, damage->notRewritten());
        QCOMPARE(readFile(m_path), content);
        QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList{QStringLiteral("History.dat")});
    }

    void pending_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("pending");
        for (int status : {1, 10, 19, 20})
            QTest::addRow("%d", status) << status << true;
        for (int status : {0, 2, 3, 5, 11, 12, 18, 21, 255})
            QTest::addRow("%d", status) << status << false;
    }
    void pending() {
        QFETCH(int, status);
        QFETCH(bool, pending);
        TMess record = message(1);
        record.Status = quint8(status);
        QCOMPARE(record.isPending(), pending);
    }

    void statusesApplyToTheFileAsItIsThen() {
        QList<TMess> records;
        for (int id = 1; id <= 4; ++id)
            records.append(message(id));
        records[1].Status = 11;
        records[3].Status = 1;
        writeRecords(records);
        const HistoryFile history(m_path);
        QCOMPARE(history.pendingIds(), QList<qint32>({1, 3, 4}));
        // A send lands while the service is being asked.
        QCOMPARE(history.AppendHistory(message(5), 3000), QString());
        QCOMPARE(history.applyStatuses({{1, 11}, {4, 2}, {99, 5}}), QString());
        QList<quint8> statuses;
        for (const TMess& record : history.readAll())
            statuses.append(record.Status);
        QCOMPARE(statuses, QList<quint8>({11, 11, 10, 2, 10}));
        QCOMPARE(history.pendingIds(), QList<qint32>({3, 5}));
    }

    void removeRecords() {
        QList<TMess> records;
        for (int id = 1; id <= 5; ++id)
            records.append(message(id));
        records[2].Number = QStringLiteral("+100");
        writeRecords(records);
        const HistoryFile history(m_path);
        QCOMPARE(
            history.removeRecords([](const TMess& r) { return r.Id == 1 || r.Number == "+100"; }),
            QString());
        QCOMPARE(idsOf(history.readAll()), QList<qint32>({2, 4, 5}));
        QCOMPARE(history.removeRecords([](const TMess&) { return true; }), QString());
        QCOMPARE(readFile(m_path), kHeader22);
    }

    void readErrorIsNotAnEmptyHistory() {
        QVERIFY(QDir().mkpath(m_path));
        QString error;
        QVERIFY(HistoryFile(m_path).readAll(&error).isEmpty());
        QVERIFY(!error.isEmpty());
        QVERIFY(!HistoryFile(m_path).applyStatuses({{1, 11}}).isEmpty());
        QVERIFY(!HistoryFile(m_path).removeRecords([](const TMess&) { return true; }).isEmpty());
        QVERIFY(QFileInfo(m_path).isDir());
    }

    void concurrentAppendsLoseNothing() {
        constexpr int kThreads = 4;
        constexpr int kEach = 25;
        std::vector<std::unique_ptr<QThread>> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back(QThread::create([this, t] {
                for (int i = 0; i < kEach; ++i)
                    HistoryFile(m_path).AppendHistory(message(t * 1000 + i), 3000);
            }));
            threads.back()->start();
        }
        for (auto& thread : threads)
            QVERIFY(thread->wait(60000));
        QList<qint32> ids = idsOf(HistoryFile(m_path).readAll());
        std::sort(ids.begin(), ids.end());
        QList<qint32> expected;
        for (int t = 0; t < kThreads; ++t)
            for (int i = 0; i < kEach; ++i)
                expected.append(t * 1000 + i);
        QCOMPARE(ids, expected);
    }

    void lockIsReentrantAndShared() {
        std::atomic<qint64> otherId = 0;
        std::atomic<bool> done = false;
        std::unique_ptr<QThread> other;
        {
            QMutexLocker locker(&historyLock());
            QCOMPARE(HistoryFile(m_path).AppendHistory(message(1), 3000), QString());
            other.reset(QThread::create([this, &done, &otherId] {
                otherId = ThreadState::currentId();
                HistoryFile(m_path).AppendHistory(message(2), 3000);
                done = true;
            }));
            other->start();
            // Asleep, waiting for the lock this thread holds.
            QVERIFY(ThreadState::waitUntilAsleep(otherId));
            QVERIFY(!done);
        }
        QVERIFY(other->wait(10000));
        QVERIFY(done);
        QCOMPARE(idsOf(HistoryFile(m_path).readAll()), QList<qint32>({1, 2}));
    }

    void moment_data() {
        QTest::addColumn<double>("date");
        QTest::addColumn<double>("time");
        QTest::addColumn<QDateTime>("moment");
        QTest::newRow("day 0") << 0.0 << 0.0 << QDateTime(QDate(1899, 12, 30), QTime(0, 0));
        QTest::newRow("noon") << 45000.0 << 0.5 << QDateTime(QDate(2023, 3, 15), QTime(12, 0));
        QTest::newRow("a second before midnight")
            << 45000.0 << 86399.0 / 86400 << QDateTime(QDate(2023, 3, 15), QTime(23, 59, 59));
        QTest::newRow("rounds up to the next day")
            << 45000.0 << 0.99999999999 << QDateTime(QDate(2023, 3, 16), QTime(0, 0));
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("NaN date") << nan << 0.5 << QDateTime();
        QTest::newRow("infinite time") << 45000.0 << inf << QDateTime();
        QTest::newRow("time of a whole day") << 45000.0 << 1.0 << QDateTime();
        QTest::newRow("negative time") << 45000.0 << -0.1 << QDateTime();
        QTest::newRow("date far out") << 1e300 << 0.0 << QDateTime();
    }
    void moment() {
        QFETCH(double, date);
        QFETCH(double, time);
        QFETCH(QDateTime, moment);
        TMess record;
        record.Date = date;
        record.Time = time;
        QCOMPARE(record.moment(), moment);
        if (moment.isValid()) {
            TMess back;
            back.setMoment(moment);
            QCOMPARE(back.moment(), moment);
        }
    }
};

QTEST_GUILESS_MAIN(HistoryFileTest)
#include "HistoryFileTest.moc"
