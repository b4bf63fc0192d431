#include "TestProfile.h"
#include "messaging/LineBreaks.h"
#include "messaging/Recount.h"
#include "messaging/SendFlow.h"
#include "messaging/SenderRule.h"
#include "messaging/TemplatesFile.h"
#include "messaging/Transliterate.h"
#include "platform/Ansi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

} // namespace

class MessagingCoreTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    QString m_path;
    int m_counter = 0;

private slots:
    void init() {
        const QString folder = m_profile.root() + QStringLiteral("/case%1").arg(++m_counter);
        QVERIFY(QDir().mkpath(folder));
        m_path = folder + QStringLiteral("/Templates.dat");
    }

    void transliterate_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::newRow("Щука") << "Щука"
                              << "SCHuka";
        QTest::newRow("ёлка") << "ёлка"
                              << "jolka";
        QTest::newRow("Ёж") << "Ёж"
                            << "JOzh";
        QTest::newRow("съезд") << "съезд"
                               << "s'ezd";
        QTest::newRow("Hello, мир!") << "Hello, мир!"
                                     << "Hello, mir!";
        QTest::newRow("hard and soft signs upper") << "ЪЬ"
                                                   << "''";
        QTest::newRow("ЭЮЯ") << "Эюя"
                             << "Ejuja";
        QTest::newRow("Latin keeps its case") << "AbZz"
                                              << "AbZz";
        QTest::newRow("Ukrainian letters pass") << "іїІЇєЄґ"
                                                << "іїІЇєЄґ";
        QTest::newRow("digits, breaks, tabs") << "1\r\n2\t3 ?"
                                              << "1\r\n2\t3 ?";
        QTest::newRow("other symbols") << "№€«»"
                                       << "№€«»";
        QTest::newRow("empty") << ""
                               << "";
    }
    void transliterate() {
        QFETCH(QString, text);
        QFETCH(QString, result);
        QCOMPARE(Transliterate(text), result);
    }

    void transliterationTable_data() {
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QString>("latin");
        const char* table[][2] = {{"а", "a"},  {"б", "b"},   {"в", "v"},  {"г", "g"}, {"д", "d"},
                                  {"е", "e"},  {"ё", "jo"},  {"ж", "zh"}, {"з", "z"}, {"и", "i"},
                                  {"й", "j"},  {"к", "k"},   {"л", "l"},  {"м", "m"}, {"н", "n"},
                                  {"о", "o"},  {"п", "p"},   {"р", "r"},  {"с", "s"}, {"т", "t"},
                                  {"у", "u"},  {"ф", "f"},   {"х", "h"},  {"ц", "c"}, {"ч", "ch"},
                                  {"ш", "sh"}, {"щ", "sch"}, {"ъ", "'"},  {"ы", "y"}, {"ь", "'"},
                                  {"э", "e"},  {"ю", "ju"},  {"я", "ja"}};
        for (const auto& row : table)
            QTest::newRow(row[0]) << QString::fromUtf8(row[0]) << QString::fromLatin1(row[1]);
    }
    void transliterationTable() {
        QFETCH(QString, letter);
        QFETCH(QString, latin);
        QCOMPARE(Transliterate(letter), latin);
        QCOMPARE(Transliterate(letter.toUpper()), latin.toUpper());
    }

    void recount_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("sign");
        QTest::addColumn<bool>("translit");
        QTest::addColumn<int>("partLength");
        QTest::addColumn<bool>("check");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("signLimit");
        QTest::addColumn<int>("messageLimit");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("parts");
        QTest::addColumn<double>("price");
        QTest::addColumn<bool>("canSend");
        // The tariff: 1.5 the first part, 1.0 each further one, maximum 70 unless said.
        const QString a70(70, QLatin1Char('a'));
        QTest::newRow("empty") << ""
                               << "" << false << 70 << true << 70 << 70 << 70 << 0 << 0 << 1.5
                               << false;
        QTest::newRow("12 characters")
            << "Hello world!"
            << "" << false << 70 << true << 70 << 58 << 70 << 12 << 1 << 1.5 << true;
        QTest::newRow("exactly one part")
            << a70 << "" << false << 70 << true << 70 << 0 << 70 << 70 << 1 << 1.5 << true;
        QTest::newRow("one more: two parts")
            << a70 + "b"
            << "" << false << 70 << true << 70 << -1 << 70 << 71 << 2 << 2.5 << true;
        QTest::newRow("three parts") << QString(141, 'x') << "" << false << 70 << true << 70 << -71
                                     << 70 << 141 << 3 << 3.5 << true;
        QTest::newRow("signature with its blank")
            << "abc"
            << "Вася" << false << 70 << true << 70 << 66 << 65 << 8 << 1 << 1.5 << true;
        QTest::newRow("translit grows the message")
            << "щука"
            << "" << true << 70 << true << 70 << 64 << 68 << 6 << 1 << 1.5 << true;
        QTest::newRow("translit grows the signature")
            << "a"
            << "Щ" << true << 70 << true << 70 << 66 << 66 << 5 << 1 << 1.5 << true;
        QTest::newRow("line breaks alone")
            << "\r\n\r\n"
            << "" << false << 70 << true << 70 << 66 << 70 << 4 << 1 << 1.5 << false;
        QTest::newRow("line breaks and a signature")
            << "\r\n"
            << "s" << false << 70 << true << 70 << 67 << 68 << 4 << 1 << 1.5 << false;
        QTest::newRow("lone LF is text")
            << "\n"
            << "" << false << 70 << true << 70 << 69 << 70 << 1 << 1 << 1.5 << true;
        QTest::newRow("lone CR is text")
            << "\r"
            << "" << true << 70 << true << 70 << 69 << 70 << 1 << 1 << 1.5 << true;
        QTest::newRow("break counts two")
            << "a\r\nb"
            << "" << false << 70 << true << 70 << 66 << 70 << 4 << 1 << 1.5 << true;
        QTest::newRow("limit off: 5000") << a70 + a70 << "" << false << 70 << false << 5000 << 4860
                                         << 5000 << 140 << 2 << 2.5 << true;
        QTest::newRow("part length 0: one part") << QString(200, 'x') << "" << false << 0 << false
                                                 << 5000 << 4800 << 5000 << 200 << 1 << 1.5 << true;
        QTest::newRow("part length negative, empty")
            << ""
            << "" << false << -3 << true << 70 << 70 << 70 << 0 << 0 << 1.5 << false;
        QTest::newRow("signature fills everything") << "" << QString(69, 's') << false << 70 << true
                                                    << 70 << 69 << 0 << 70 << 1 << 1.5 << false;
        QTest::newRow("signature over the maximum") << "" << QString(80, 's') << false << 70 << true
                                                    << 70 << 69 << -11 << 81 << 2 << 2.5 << false;
        QTest::newRow("translit signature leaves no room")
            << "" << QString(35, QChar(u'щ')) << true << 70 << true << 70 << -1 << -36 << 106 << 2
            << 2.5 << false;
        QTest::newRow("translit over the maximum")
            << QString(60, QChar(u'щ')) << "" << true << 70 << true << 70 << -110 << -50 << 180 << 3
            << 3.5 << true;
    }
    void recount() {
        QFETCH(QString, message);
        QFETCH(QString, sign);
        QFETCH(bool, translit);
        QFETCH(int, partLength);
        QFETCH(bool, check);
        Tariff tariff;
        tariff.SmsPrice = 1.5;
        tariff.ExtraPartPrice = 1.0;
        tariff.PartLength = partLength;
        tariff.CheckTextLength = check;
        const RecountResult result = Recount(message, sign, translit, tariff, QLocale::c());
        QTEST(result.maxLength, "max");
        QTEST(result.signLimit, "signLimit");
        QCOMPARE(result.signEnabled, result.signLimit > 0);
        QTEST(result.messageLimit, "messageLimit");
        QTEST(result.length, "length");
        QTEST(result.parts, "parts");
        QTEST(result.price, "price");
        QTEST(result.canSend, "canSend");
    }

    void counterText_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<double>("smsPrice");
        QTest::addColumn<QString>("text");
        QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia) << 1.5
                                 << QStringLiteral("12 / 70 (1,50\u00a0₽)");
        QTest::newRow("American") << QLocale(QLocale::English, QLocale::UnitedStates) << 1.5
                                  << QStringLiteral("12 / 70 ($1.50)");
        QTest::newRow("German, thousands") << QLocale(QLocale::German, QLocale::Germany) << 1234.5
                                           << QStringLiteral("12 / 70 (1.234,50\u00a0€)");
        QTest::newRow("Japanese, no decimals")
            << QLocale(QLocale::Japanese, QLocale::Japan) << 3.0 << QStringLiteral("12 / 70 (￥3)");
        QTest::newRow("zero price") << QLocale(QLocale::Russian, QLocale::Russia) << 0.0
                                    << QStringLiteral("12 / 70 (0,00\u00a0₽)");
    }
    void counterText() {
        QFETCH(QLocale, locale);
        QFETCH(double, smsPrice);
        Tariff tariff;
        tariff.SmsPrice = smsPrice;
        QTEST(Recount(QStringLiteral("Hello world!"), {}, false, tariff, locale).counterText,
              "text");
    }

    void lineBreaks_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("crLf");
        QTest::addColumn<QString>("lf");
        QTest::newRow("none") << "abc"
                              << "abc"
                              << "abc";
        QTest::newRow("LF") << "a\nb"
                            << "a\r\nb"
                            << "a\nb";
        QTest::newRow("CR LF stays one break") << "a\r\nb"
                                               << "a\r\nb"
                                               << "a\nb";
        QTest::newRow("lone CR") << "a\rb"
                                 << "a\r\nb"
                                 << "a\nb";
        QTest::newRow("LF CR is two breaks") << "a\n\rb"
                                             << "a\r\n\r\nb"
                                             << "a\n\nb";
        QTest::newRow("ends and starts with breaks") << "\na\r"
                                                     << "\r\na\r\n"
                                                     << "\na\n";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
    }
    void lineBreaks() {
        QFETCH(QString, text);
        QFETCH(QString, crLf);
        QFETCH(QString, lf);
        QCOMPARE(LineBreaks::toCrLf(text), crLf);
        QCOMPARE(LineBreaks::toLf(text), lf);
        QCOMPARE(LineBreaks::toCrLf(crLf), crLf);
    }

    void templatesDefaultFileIsInTheDataFolder() {
        QCOMPARE(TemplatesFile::defaultPath(),
                 m_profile.dataFolder() + QStringLiteral("/Templates.dat"));
    }

    void readTemplates_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("templates");
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("one line, no line end") << QByteArray("a") << QStringList{"a"};
        QTest::newRow("one line") << QByteArray("a\r\n") << QStringList{"a"};
        QTest::newRow("last line unended") << QByteArray("a\r\nb") << QStringList{"a", "b"};
        QTest::newRow("mixed line ends")
            << QByteArray("a\nb\rc\r\nd\r\n") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("one empty line") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("empty last line") << QByteArray("a\r\n\r\n") << QStringList{"a", ""};
        QTest::newRow("two LF") << QByteArray("\n\n") << QStringList{"", ""};
        QTest::newRow("CR then CR LF") << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"};
        QTest::newRow("LF then CR") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
        QTest::newRow("trailing CR") << QByteArray("a\r") << QStringList{"a"};
        QTest::newRow("code page 1251")
            << QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2 \xb8\r\n") << QStringList{"Привет ё"};
        QTest::newRow("line break marks stay")
            << QByteArray("x||y\r\n-\r\n") << QStringList{"x||y", "-"};
    }
    void readTemplates() {
        QFETCH(QByteArray, content);
        writeFile(m_path, content);
        QString error;
        QTEST(TemplatesFile(m_path).read(&error), "templates");
        QCOMPARE(error, QString());
    }

    void missingTemplatesFileIsEmpty() {
        QString error = QStringLiteral("x");
        QCOMPARE(TemplatesFile(m_path).read(&error), QStringList());
        QCOMPARE(error, QString());
        QVERIFY(!QFile::exists(m_path));
    }

    void unreadableTemplatesFileIsAnError() {
        QVERIFY(QDir().mkpath(m_path));
        QString error;
        QCOMPARE(TemplatesFile(m_path).read(&error), QStringList());
        QVERIFY(!error.isEmpty());
    }

    void writeTemplates_data() {
        QTest::addColumn<QStringList>("templates");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("none: empty file") << QStringList() << QByteArray();
        QTest::newRow("one") << QStringList{"a"} << QByteArray("a\r\n");
        QTest::newRow("empty ones kept") << QStringList{"", "b", ""} << QByteArray("\r\nb\r\n\r\n");
        QTest::newRow("code page 1251")
            << QStringList{"Привет ё"} << QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2 \xb8\r\n");
        QTest::newRow("real line breaks become marks")
            << QStringList{"a\r\nb", "c\nd\re"} << QByteArray("a||b\r\nc||d||e\r\n");
    }
    void writeTemplates() {
        QFETCH(QStringList, templates);
        QFETCH(QByteArray, content);
        writeFile(m_path, "old content that is longer than the new one\r\n");
        QCOMPARE(TemplatesFile(m_path).write(templates), QString());
        QCOMPARE(readFile(m_path), content);
        QStringList expected = templates;
        expected.replaceInStrings(QRegularExpression(QStringLiteral("\r\n|\r|\n")),
                                  QStringLiteral("||"));
        QCOMPARE(TemplatesFile(m_path).read(), expected);
    }

    void failedTemplatesWriteKeepsTheFolder() {
        QVERIFY(QDir().mkpath(m_path));
        QVERIFY(!TemplatesFile(m_path).write({QStringLiteral("a")}).isEmpty());
        QVERIFY(QFileInfo(m_path).isDir());
    }

    void templateToMessage_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("two sentences")
            << QStringLiteral("Раз.||Два.") << QStringLiteral("Раз.\r\nДва.");
        QTest::newRow("three bars") << QStringLiteral("a|||b") << QStringLiteral("a\r\n|b");
        QTest::newRow("one bar stays") << QStringLiteral("a|b") << QStringLiteral("a|b");
        QTest::newRow("at both ends") << QStringLiteral("||x||") << QStringLiteral("\r\nx\r\n");
    }
    void templateToMessage() {
        QFETCH(QString, line);
        QFETCH(QString, message);
        QCOMPARE(TemplatesFile::toMessage(line), message);
    }

    void senderLimit_data() {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("typed"); // empty: a control key
        QTest::addColumn<int>("limit");
        QTest::addColumn<bool>("dropped");
        QTest::newRow("first digit") << QString() << QStringLiteral("7") << 15 << false;
        QTest::newRow("digits then a digit")
            << QStringLiteral("7916") << QStringLiteral("1") << 15 << false;
        QTest::newRow("digits then a letter")
            << QStringLiteral("7916") << QStringLiteral("a") << 11 << false;
        QTest::newRow("letters then a digit")
            << QStringLiteral("ab") << QStringLiteral("1") << 11 << false;
        QTest::newRow("a blank") << QStringLiteral("12") << QStringLiteral(" ") << 11 << false;
        QTest::newRow("backspace") << QStringLiteral("12") << QString() << 11 << false;
        QTest::newRow("А") << QStringLiteral("12") << QStringLiteral("А") << 11 << true;
        QTest::newRow("я") << QString() << QStringLiteral("я") << 11 << true;
        QTest::newRow("Ё passes") << QString() << QStringLiteral("Ё") << 11 << false;
        QTest::newRow("ё passes") << QString() << QStringLiteral("ё") << 11 << false;
        QTest::newRow("outside the code page") << QString() << QStringLiteral("☺") << 11 << false;
    }
    void senderLimit() {
        QFETCH(QString, current);
        QFETCH(QString, typed);
        QFETCH(int, limit);
        QFETCH(bool, dropped);
        const QChar c = typed.isEmpty() ? QChar() : typed.at(0);
        QCOMPARE(SenderRule::limitAfter(current, c), limit);
        if (!c.isNull())
            QCOMPARE(SenderRule::discards(c), dropped);
    }

    void sendText_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("sign");
        QTest::addColumn<bool>("translit");
        QTest::addColumn<QStringList>("sent"); // message, sign, full
        QTest::newRow("no signature") << QStringLiteral("Привет") << QString() << false
                                      << QStringList{"Привет", "", "Привет"};
        QTest::newRow("with signature") << QStringLiteral("Привет") << QStringLiteral("Вася")
                                        << false << QStringList{"Привет", "Вася", "Привет Вася"};
        QTest::newRow("transliterated") << QStringLiteral("Щи") << QStringLiteral("Юля") << true
                                        << QStringList{"SCHi", "JUlja", "SCHi JUlja"};
        QTest::newRow("empty message, a signature")
            << QString() << QStringLiteral("Я") << false << QStringList{"", "Я", " Я"};
    }
    void sendText() {
        QFETCH(QString, message);
        QFETCH(QString, sign);
        QFETCH(bool, translit);
        QFETCH(QStringList, sent);
        const SendText text = SendText::compose(message, sign, translit);
        QCOMPARE((QStringList{text.message, text.sign, text.full}), sent);
    }
};

QTEST_GUILESS_MAIN(MessagingCoreTest)
#include "MessagingCoreTest.moc"
