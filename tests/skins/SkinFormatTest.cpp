#include "SkinBytes.h"
#include "TestProfile.h"
#include "platform/Ansi.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "skins/SkinColors.h"
#include "skins/SkinLoader.h"
#include "skins/SkinReader.h"
#include "skins/SkinWriter.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

using namespace SkinBytes;
using Status = SkinReader::Status;

Q_DECLARE_METATYPE(SkinReader::Status)
Q_DECLARE_METATYPE(SkinError::Kind)

namespace {

// Every path below root, so a test can see that nothing was written where it must not be.
QStringList listTree(const QString& root) {
    QStringList paths;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next().mid(root.size());
    paths.sort();
    return paths;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Status unpackBytes(const QByteArray& bytes, const QString& folder) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    SkinReader reader(buffer);
    const Status status = reader.readHeader();
    return status == Status::Ok ? reader.unpackTo(folder) : status;
}

} // namespace

class SkinFormatTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

private slots:
    void headerFields_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Status>("status");
        QTest::addColumn<QString>("name");
        QTest::newRow("header only") << header("Default") << Status::Ok << "Default";
        QTest::newRow("empty name") << header("") << Status::Ok << "";
        QTest::newRow("code page name")
            << header("\xcc\xee\xf0\xf1\xea\xee\xe9") << Status::Ok << QStringLiteral("Морской");
        QTest::newRow("empty file") << QByteArray() << Status::ReadError << "";
        QTest::newRow("short magic") << QByteArray("sk") << Status::ReadError << "";
        QTest::newRow("other magic") << QByteArray("SKN\x03"
                                                   "2.1\x01x")
                                     << Status::BadFormat << "";
        QTest::newRow("version 2.1x") << header("x", "2.1x") << Status::BadVersion << "";
        QTest::newRow("version 2.0") << header("x", "2.0") << Status::BadVersion << "";
        QTest::newRow("empty version") << header("x", "") << Status::BadVersion << "";
        QTest::newRow("version cut") << QByteArray("skn\x03"
                                                   "2.")
                                     << Status::ReadError << "";
        QTest::newRow("no name length") << QByteArray("skn\x03"
                                                      "2.1")
                                        << Status::ReadError << "";
        QTest::newRow("name cut") << QByteArray("skn\x03"
                                                "2.1\x0a"
                                                "abc")
                                  << Status::ReadError << "";
    }
    void headerFields() {
        QFETCH(QByteArray, bytes);
        QFETCH(Status, status);
        QFETCH(QString, name);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        SkinReader reader(buffer);
        QCOMPARE(reader.readHeader(), status);
        QCOMPARE(reader.name(), name);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.skn"));
        QVERIFY(writeFile(path, bytes));
        QCOMPARE(SkinReader::readDisplayName(path), status == Status::Ok ? name : QString());
    }

    void displayNameReadsOnlyTheHeader() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.skn"));
        QVERIFY(writeFile(path, header("Broken") + "\x05"
                                                   "ab"));
        QCOMPARE(SkinReader::readDisplayName(path), QStringLiteral("Broken"));
        QCOMPARE(SkinReader::readDisplayName(dir.filePath(QStringLiteral("missing.skn"))),
                 QString());
        QCOMPARE(SkinReader::readDisplayName(dir.path()), QString());
    }

    void unpack_data() {
        QTest::addColumn<QByteArray>("entries");
        QTest::addColumn<Status>("status");
        QTest::addColumn<QStringList>("files");
        const QByteArray bytes258(258, 'b');
        QTest::newRow("no entries") << QByteArray() << Status::Ok << QStringList();
        QTest::newRow("size 0") << entry("Config.cfg", "") << Status::Ok
                                << QStringList{"/Config.cfg"};
        QTest::newRow("two") << entry("1.bmp", "one") + entry("2.bmp", "two") << Status::Ok
                             << QStringList{"/1.bmp", "/2.bmp"};
        QTest::newRow("size 258") << QByteArray("\x05"
                                                "5.bmp\x00\x00\x01\x02",
                                                10) +
                                         bytes258
                                  << Status::Ok << QStringList{"/5.bmp"};
        QTest::newRow("size past end") << counted("5.bmp") + sizeField(258) + bytes258.left(257)
                                       << Status::ReadError << QStringList();
        QTest::newRow("size over 2^31-1")
            << counted("a") + sizeField(0x80000000u) + "x" << Status::ReadError << QStringList();
        QTest::newRow("size all ones")
            << counted("a") + sizeField(0xFFFFFFFFu) << Status::ReadError << QStringList();
        QTest::newRow("size cut") << counted("a") + QByteArray("\x00\x00", 2) << Status::ReadError
                                  << QStringList();
        QTest::newRow("name cut") << entry("1.bmp", "one") + "\x09"
                                                             "2.b"
                                  << Status::ReadError << QStringList{"/1.bmp"};
        QTest::newRow("stray byte")
            << entry("1.bmp", "one") + "\x05" << Status::ReadError << QStringList{"/1.bmp"};
        QTest::newRow("same name twice")
            << entry("a", "first") + entry("a", "second") << Status::Ok << QStringList{"/a"};
        QTest::newRow("non-ASCII name") << entry("\xf4\xee\xed.bmp", "x") << Status::Ok
                                        << QStringList{QStringLiteral("/фон.bmp")};
        for (const char* name : {"../evil", "..", ".", "a/b", "/etc/evil", "a\\b", "..\\evil",
                                 "x..y", "", "line\nbreak"})
            QTest::newRow(qPrintable(QStringLiteral("hostile name \"%1\"").arg(name)))
                << entry("ok", "kept") + entry(name, "evil") << Status::ReadError
                << QStringList{"/ok"};
        QTest::newRow("hostile name with NUL")
            << entry("ok", "kept") + entry(QByteArray("a\0b", 3), "evil") << Status::ReadError
            << QStringList{"/ok"};
    }
    void unpack() {
        QFETCH(QByteArray, entries);
        QFETCH(Status, status);
        QFETCH(QStringList, files);
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("work/"));
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(unpackBytes(header("T") + entries, folder), status);
        QStringList expected{QStringLiteral("/work")};
        for (const QString& file : files)
            expected << QStringLiteral("/work") + file;
        expected.sort();
        QCOMPARE(listTree(root.path()), expected);
    }

    void unpackedContents() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        QVERIFY(writeFile(folder + QStringLiteral("old.bmp"), "from an earlier run"));
        QVERIFY(writeFile(folder + QStringLiteral("2.bmp"), "old picture"));
        const QByteArray bytes258(258, 'b');
        QCOMPARE(unpackBytes(header("T") + entry("2.bmp", "new") + entry("Config.cfg", "") +
                                 QByteArray("\x05"
                                            "5.bmp\x00\x00\x01\x02",
                                            10) +
                                 bytes258,
                             folder),
                 Status::Ok);
        QCOMPARE(readAll(folder + QStringLiteral("2.bmp")), QByteArray("new"));
        QCOMPARE(readAll(folder + QStringLiteral("old.bmp")), QByteArray("from an earlier run"));
        QVERIFY(QFileInfo(folder + QStringLiteral("Config.cfg")).isFile());
        QCOMPARE(QFileInfo(folder + QStringLiteral("Config.cfg")).size(), 0);
        QCOMPARE(readAll(folder + QStringLiteral("5.bmp")), bytes258);
    }

    void truncatedEntryKeepsTheOldFile() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        QVERIFY(writeFile(folder + QStringLiteral("1.bmp"), "good sheet"));
        QCOMPARE(unpackBytes(header("T") + counted("1.bmp") + sizeField(100) + "short", folder),
                 Status::ReadError);
        QCOMPARE(readAll(folder + QStringLiteral("1.bmp")), QByteArray("good sheet"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("1.bmp")});
    }

    void largeEntryCrossesChunks() {
        QByteArray data(3 * 64 * 1024 + 17, Qt::Uninitialized);
        for (qsizetype i = 0; i < data.size(); ++i)
            data[i] = char(i * 7 + i / 251);
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        QCOMPARE(unpackBytes(header("T") + entry("big.bmp", data) + entry("next", "n"), folder),
                 Status::Ok);
        QCOMPARE(readAll(folder + QStringLiteral("big.bmp")), data);
        QCOMPARE(readAll(folder + QStringLiteral("next")), QByteArray("n"));
    }

    void unwritableFolderIsAReadError() {
        QTemporaryDir dir;
        QCOMPARE(unpackBytes(header("T") + entry("a", "x"), dir.filePath(QStringLiteral("none/"))),
                 Status::ReadError);
    }

    void writerRoundTrip() {
        QByteArray bytes;
        QBuffer out(&bytes);
        out.open(QIODevice::WriteOnly);
        SkinWriter writer(out);
        QVERIFY(writer.writeHeader(QStringLiteral("Морской")));
        QVERIFY(writer.addEntry(QStringLiteral("Config.cfg"), QByteArray("[Colors]\n")));
        QVERIFY(writer.addEntry(QStringLiteral("empty"), QByteArray()));
        QCOMPARE(bytes, header("\xcc\xee\xf0\xf1\xea\xee\xe9") + entry("Config.cfg", "[Colors]\n") +
                            entry("empty", ""));
    }

    void writerRefuses_data() {
        QTest::addColumn<QString>("displayName");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("traversal") << "ok"
                                   << "../x";
        QTest::newRow("separator") << "ok"
                                   << "a/b";
        QTest::newRow("empty file name") << "ok"
                                         << "";
        QTest::newRow("long file name") << "ok" << QString(256, QLatin1Char('a'));
        QTest::newRow("long display name") << QString(256, QLatin1Char('a')) << "x";
        QTest::newRow("not in code page") << QStringLiteral("日本") << "x";
    }
    void writerRefuses() {
        QFETCH(QString, displayName);
        QFETCH(QString, fileName);
        QByteArray bytes;
        QBuffer out(&bytes);
        out.open(QIODevice::WriteOnly);
        SkinWriter writer(out);
        QVERIFY(!(writer.writeHeader(displayName) && writer.addEntry(fileName, QByteArray("d"))));
        QVERIFY(!writer.errorString().isEmpty());
    }

    void parseColor_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value"); // -1: not a colour
        QTest::newRow("hex") << "$CEECD3" << qint64(0xCEECD3);
        QTest::newRow("hex lower") << "$ceecd3" << qint64(0xCEECD3);
        QTest::newRow("decimal") << "13560019" << qint64(13560019);
        QTest::newRow("zero") << "0" << qint64(0);
        QTest::newRow("blanks") << "  $FF  " << qint64(0xFF);
        QTest::newRow("largest") << "16777215" << qint64(0xFFFFFF);
        QTest::newRow("too large") << "16777216" << qint64(-1);
        QTest::newRow("system colour") << "$80000005" << qint64(-1);
        QTest::newRow("overflow") << "99999999999999999999999" << qint64(-1);
        QTest::newRow("negative") << "-1" << qint64(-1);
        QTest::newRow("plus") << "+5" << qint64(-1);
        QTest::newRow("C hex") << "0x10" << qint64(-1);
        QTest::newRow("dollar only") << "$" << qint64(-1);
        QTest::newRow("empty") << "" << qint64(-1);
        QTest::newRow("word") << "clRed" << qint64(-1);
        QTest::newRow("trailing letters") << "12a" << qint64(-1);
        QTest::newRow("inner blank") << "$CE EC" << qint64(-1);
        QTest::newRow("other digits") << QStringLiteral("١٢") << qint64(-1);
    }
    void parseColor() {
        QFETCH(QString, text);
        QFETCH(qint64, value);
        const auto parsed = SkinColors::parse(text);
        QCOMPARE(parsed.has_value(), value >= 0);
        if (parsed)
            QCOMPARE(qint64(*parsed), value);
    }

    void config_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<quint32>>("colors"); // Main, Other, InfoText, CaptionText
        const QList<quint32> defaults{0xCEECD3, 0xEEF9F0, 0xB1552C, 0x000000};
        QTest::newRow("all four") << QByteArray("[Colors]\nMain=$F5E2CD\nOther=16578544\n"
                                                "InfoText=$A05A14\nCaptionText=$503C1E\n")
                                  << QList<quint32>{0xF5E2CD, 16578544, 0xA05A14, 0x503C1E};
        QTest::newRow("empty file") << QByteArray() << defaults;
        QTest::newRow("no section") << QByteArray("Main=$123456\n") << defaults;
        QTest::newRow("other section") << QByteArray("[Fonts]\nMain=$123456\n") << defaults;
        QTest::newRow("some keys") << QByteArray("[Colors]\nOther=$123456\n")
                                   << QList<quint32>{0xCEECD3, 0x123456, 0xB1552C, 0};
        QTest::newRow("any case") << QByteArray("[COLORS]\nmain=$123456\ncaptiontext=255\n")
                                  << QList<quint32>{0x123456, 0xEEF9F0, 0xB1552C, 255};
        QTest::newRow("blanks and CRLF") << QByteArray("[Colors]\r\n  Main = $123456 \r\n")
                                         << QList<quint32>{0x123456, 0xEEF9F0, 0xB1552C, 0};
        QTest::newRow("quoted") << QByteArray("[Colors]\nMain=\"$123456\"\n")
                                << QList<quint32>{0x123456, 0xEEF9F0, 0xB1552C, 0};
        QTest::newRow("not numbers") << QByteArray("[Colors]\nMain=green\nOther=$12,34\n"
                                                   "InfoText=\nCaptionText=@Variant(x)\n")
                                     << defaults;
        QTest::newRow("garbage") << QByteArray("\x00\xff[[=\n=\n[Colors\n", 15) << defaults;
    }
    void config() {
        QFETCH(QByteArray, content);
        QFETCH(QList<quint32>, colors);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Config.cfg"));
        QVERIFY(writeFile(path, content));
        const SkinColors read = SkinColors::fromConfig(path);
        QCOMPARE((QList<quint32>{read.Main, read.Other, read.InfoText, read.CaptionText}), colors);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("Config.cfg")});
    }

    void missingConfigGivesDefaults() {
        const SkinColors read = SkinColors::fromConfig(QStringLiteral("/nonexistent/Config.cfg"));
        QCOMPARE(read.Main, 0xCEECD3u);
        QCOMPARE(read.CaptionText, 0u);
    }

    void loadActiveUsesTheme() {
        const QString path = AppPaths::dataFolder() + QStringLiteral("Mine.skn");
        QVERIFY(writeFile(path, header(Ansi::fromUnicode(QStringLiteral("Моя"))) +
                                    entry("Config.cfg", "[Colors]\nMain=$010203\n") +
                                    entry("1.bmp", "sheet")));
        Registry().writeString(QString(), QStringLiteral("Theme"), QStringLiteral("Mine.skn"));
        const SkinLoader::Result result = SkinLoader::loadActive(m_profile.store());
        QVERIFY(!result.error.failed());
        QCOMPARE(result.displayName, QStringLiteral("Моя"));
        QCOMPARE(result.workFolder, AppPaths::skinWorkFolder());
        QCOMPARE(result.colors.Main, 0x010203u);
        QCOMPARE(result.colors.Other, 0xEEF9F0u);
        QCOMPARE(readAll(result.workFolder + QStringLiteral("1.bmp")), QByteArray("sheet"));
    }

    // A start with an unchanged skin file reuses the working folder; anything else unpacks.
    void workFolderReuse_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("unpacked");
        QTest::newRow("nothing") << "" << false;
        QTest::newRow("picture deleted") << "delete" << true;
        QTest::newRow("skin file replaced") << "replace" << true;
        QTest::newRow("stamp damaged") << "stamp" << true;
    }
    void workFolderReuse() {
        QFETCH(QString, change);
        QFETCH(bool, unpacked);
        const QString skin = AppPaths::dataFolder() + QStringLiteral("Mine.skn");
        QVERIFY(writeFile(skin, header("Mine") + entry("1.bmp", "sheet")));
        Registry().writeString(QString(), QStringLiteral("Theme"), QStringLiteral("Mine.skn"));
        QVERIFY(!SkinLoader::loadActive(m_profile.store()).error.failed());
        const QString picture = AppPaths::skinWorkFolder() + QStringLiteral("1.bmp");
        QVERIFY(writeFile(picture, "edited")); // marks the copy the first load left
        if (change == QLatin1String("delete"))
            QVERIFY(QFile::remove(picture));
        else if (change == QLatin1String("replace"))
            QVERIFY(writeFile(skin, header("Mine") + entry("1.bmp", "sheet 2")));
        else if (change == QLatin1String("stamp"))
            QVERIFY(writeFile(AppPaths::skinWorkFolder() + QStringLiteral("..unpacked"), "x"));
        const SkinLoader::Result result = SkinLoader::loadActive(m_profile.store());
        QVERIFY(!result.error.failed());
        QCOMPARE(result.displayName, QStringLiteral("Mine"));
        const QByteArray expected = change == QLatin1String("replace") ? "sheet 2" : "sheet";
        QCOMPARE(readAll(picture), unpacked ? expected : QByteArray("edited"));
    }

    void headerOnlySkinKeepsEarlierFiles() {
        const QString path = AppPaths::dataFolder() + QStringLiteral("Bare.skn");
        QVERIFY(writeFile(path, header("Bare")));
        Registry().writeString(QString(), QStringLiteral("Theme"), QStringLiteral("Bare.skn"));
        const QString work = AppPaths::skinWorkFolder();
        QVERIFY(writeFile(work + QStringLiteral("Config.cfg"), "[Colors]\nOther=$0A0B0C\n"));
        const SkinLoader::Result result = SkinLoader::loadActive(m_profile.store());
        QVERIFY(!result.error.failed());
        QCOMPARE(result.colors.Other, 0x0A0B0Cu);
    }

    void missingThemeResets_data() {
        QTest::addColumn<QString>("theme");
        QTest::newRow("missing") << "Gone.skn";
        QTest::newRow("other folder") << "../Mine.skn";
        QTest::newRow("absolute") << "/etc/hostname";
        QTest::newRow("folder") << "..";
    }
    void missingThemeResets() {
        QFETCH(QString, theme);
        QVERIFY(writeFile(AppPaths::dataFolder() + QStringLiteral("Default.skn"), header("Def")));
        Registry().writeString(QString(), QStringLiteral("Theme"), theme);
        const SkinLoader::Result first = SkinLoader::loadActive(m_profile.store());
        QCOMPARE(first.error.kind, SkinError::Kind::NotFound);
        QCOMPARE(first.error.path, AppPaths::skinFile(theme));
        QCOMPARE(Registry().readString(QString(), QStringLiteral("Theme")),
                 QStringLiteral("Default.skn"));
        const SkinLoader::Result next = SkinLoader::loadActive(m_profile.store());
        QVERIFY(!next.error.failed());
        QCOMPARE(next.displayName, QStringLiteral("Def"));
    }

    void emptyThemeMeansDefault() {
        QVERIFY(writeFile(AppPaths::dataFolder() + QStringLiteral("Default.skn"), header("Def")));
        Registry().writeString(QString(), QStringLiteral("Theme"), QString());
        QCOMPARE(SkinLoader::loadActive(m_profile.store()).displayName, QStringLiteral("Def"));
        Registry().writeInteger(QString(), QStringLiteral("Theme"), 7);
        QCOMPARE(SkinLoader::loadActive(m_profile.store()).displayName, QStringLiteral("Def"));
    }

    void loadErrors_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<SkinError::Kind>("kind");
        QTest::newRow("magic") << QByteArray("MZ\x90\x00", 4) << SkinError::Kind::BadFormat;
        QTest::newRow("version") << header("x", "2.1x") << SkinError::Kind::BadVersion;
        QTest::newRow("truncated")
            << header("x") + counted("a") + sizeField(9) + "abc" << SkinError::Kind::ReadError;
        QTest::newRow("hostile") << header("x") + entry("../../evil", "x")
                                 << SkinError::Kind::ReadError;
    }
    void loadErrors() {
        QFETCH(QByteArray, bytes);
        QFETCH(SkinError::Kind, kind);
        QVERIFY(writeFile(AppPaths::dataFolder() + QStringLiteral("Bad.skn"), bytes));
        Registry().writeString(QString(), QStringLiteral("Theme"), QStringLiteral("Bad.skn"));
        const SkinLoader::Result result = SkinLoader::loadActive(m_profile.store());
        QCOMPARE(result.error.kind, kind);
        QCOMPARE(result.error.path, AppPaths::dataFolder() + QStringLiteral("Bad.skn"));
        // Theme stays: only a missing file resets it.
        QCOMPARE(Registry().readString(QString(), QStringLiteral("Theme")),
                 QStringLiteral("Bad.skn"));
        for (const QString& path : listTree(m_profile.root()))
            QVERIFY2(!path.endsWith(QLatin1String("/evil")), qPrintable(path));
    }

    void unsafeWorkFolderIsAReadError() {
        QVERIFY(writeFile(AppPaths::dataFolder() + QStringLiteral("Default.skn"), header("Def")));
        Registry().writeString(QString(), QStringLiteral("Theme"), QStringLiteral("Default.skn"));
        const QString runtime = m_profile.root() + QStringLiteral("/runtime/Varnelo");
        QVERIFY(QDir(runtime).removeRecursively());
        const QString elsewhere = m_profile.root() + QStringLiteral("/planted");
        QVERIFY(QDir().mkpath(elsewhere));
        QVERIFY(QFile::link(elsewhere, runtime));
        const SkinLoader::Result result = SkinLoader::loadActive(m_profile.store());
        QFile::remove(runtime);
        QCOMPARE(result.error.kind, SkinError::Kind::ReadError);
        QVERIFY(QDir(elsewhere).isEmpty());
    }
};

QTEST_GUILESS_MAIN(SkinFormatTest)
#include "SkinFormatTest.moc"
