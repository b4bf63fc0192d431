#include "contacts/BookExport.h"
#include "BookEntries.h"

#include <QTest>

namespace {

using BookEntries::contact;
using BookEntries::group;

// The unfolded lines of a vCard text: continuations joined back to their line.
QList<QByteArray> unfolded(const QByteArray& text) {
    QList<QByteArray> lines;
    for (const QByteArray& line : text.split('\n')) {
        const QByteArray bare = line.endsWith('\r') ? line.chopped(1) : line;
        if (bare.startsWith(' ') && !lines.isEmpty())
            lines.last() += bare.mid(1);
        else if (!bare.isEmpty())
            lines += bare;
    }
    return lines;
}

} // namespace

class BookExportTest : public QObject {
    Q_OBJECT

private slots:
    void escapeVCardText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("plain") << "Иван Петров"
                               << "Иван Петров";
        QTest::newRow("comma") << "Петров, Пётр"
                               << "Петров\\, Пётр";
        QTest::newRow("semicolon") << "a;b"
                                   << "a\\;b";
        QTest::newRow("backslash") << "a\\b"
                                   << "a\\\\b";
        QTest::newRow("LF") << "a\nb"
                            << "a\\nb";
        QTest::newRow("CR LF is one break") << "a\r\nb"
                                            << "a\\nb";
        QTest::newRow("lone CR") << "a\rb"
                                 << "a\\nb";
        QTest::newRow("escape not doubled") << "\\,;"
                                            << "\\\\\\,\\;";
    }
    void escapeVCardText() {
        QFETCH(QString, text);
        QFETCH(QString, escaped);
        QCOMPARE(BookExport::escapeVCardText(text), escaped);
    }

    void foldVCardLine_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("folded");
        const QByteArray a75(75, 'a');
        QTest::newRow("short") << QByteArray("FN:Иван") << QByteArray("FN:Иван\r\n");
        QTest::newRow("exactly 75") << a75 << a75 + "\r\n";
        QTest::newRow("76") << a75 + "b" << a75 + "\r\n b\r\n";
        // The continuation's blank counts: 74 bytes of text after it.
        QTest::newRow("two folds") << a75 + QByteArray(74, 'b') + "c"
                                   << a75 + "\r\n " + QByteArray(74, 'b') + "\r\n c\r\n";
        // "Ж" is two bytes at 74..75: the fold comes before it, not inside it.
        const QByteArray a74(74, 'a');
        QTest::newRow("Cyrillic at the fold")
            << a74 + QStringLiteral("Жи").toUtf8()
            << a74 + "\r\n " + QStringLiteral("Жи").toUtf8() + "\r\n";
        // The letter ends exactly at 75: it stays on the first line.
        const QByteArray a73(73, 'a');
        QTest::newRow("Cyrillic ending at 75")
            << a73 + QStringLiteral("Жи").toUtf8()
            << a73 + QStringLiteral("Ж").toUtf8() + "\r\n " + QStringLiteral("и").toUtf8() + "\r\n";
    }
    void foldVCardLine() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, folded);
        QCOMPARE(BookExport::foldVCardLine(line), folded);
    }

    // A long Cyrillic name, its letters at odd offsets so that 75 falls inside one: every
    // physical line fits in 75 octets and is valid UTF-8 on its own, and unfolding gives the
    // name back.
    void longCyrillicNameFoldsCleanly() {
        const QString name = QStringLiteral("x") + QString(QStringLiteral("Щ")).repeated(100);
        const QByteArray card = BookExport::toVCard({group("Г", {contact(name, "+7916")})});
        for (QByteArray line : card.split('\n')) {
            line.chop(line.endsWith('\r') ? 1 : 0);
            QVERIFY2(line.size() <= 75, line.constData());
            QCOMPARE(QString::fromUtf8(line).toUtf8(), line);
            QVERIFY(!QString::fromUtf8(line).contains(QChar::ReplacementCharacter));
        }
        QVERIFY(unfolded(card).contains("FN:" + name.toUtf8()));
    }

    void csvField_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("plain") << "Иван" << QByteArray("Иван");
        QTest::newRow("empty") << "" << QByteArray("");
        QTest::newRow("comma") << "Петров, Пётр" << QByteArray("\"Петров, Пётр\"");
        QTest::newRow("quote") << "Кафе \"Уют\"" << QByteArray("\"Кафе \"\"Уют\"\"\"");
        QTest::newRow("LF") << "a\nb" << QByteArray("\"a\nb\"");
        QTest::newRow("CR") << "a\rb" << QByteArray("\"a\rb\"");
        QTest::newRow("semicolon stays bare") << "a;b" << QByteArray("a;b");
        QTest::newRow("leading space") << " Иван" << QByteArray("\" Иван\"");
        QTest::newRow("trailing TAB") << "Иван\t" << QByteArray("\"Иван\t\"");
        QTest::newRow("inner space stays bare") << "Иван Петров" << QByteArray("Иван Петров");
    }
    void csvField() {
        QFETCH(QString, field);
        QFETCH(QByteArray, written);
        QCOMPARE(BookExport::csvField(field), written);
    }

    void vCardOfSeveralGroups() {
        const QList<BookGroup> book{
            group("Семья", {contact("Мама", "+79161111111", "Оля", "Olga", true)}),
            group("Пусто", {}),
            group("Работа; отдел, 2",
                  {contact("Петров, Пётр", "+79160000002"), contact("Без номера", "")}),
        };
        const QByteArray expected = "BEGIN:VCARD\r\nVERSION:3.0\r\n"
                                    "FN:Мама\r\nN:;Мама;;;\r\nTEL;TYPE=CELL:+79161111111\r\n"
                                    "CATEGORIES:Семья\r\nX-VARNELO-SIGNATURE:Оля\r\n"
                                    "X-VARNELO-SENDER:Olga\r\nX-VARNELO-TRANSLIT:1\r\n"
                                    "END:VCARD\r\n"
                                    "BEGIN:VCARD\r\nVERSION:3.0\r\n"
                                    "FN:Петров\\, Пётр\r\nN:;Петров\\, Пётр;;;\r\n"
                                    "TEL;TYPE=CELL:+79160000002\r\n"
                                    "CATEGORIES:Работа\\; отдел\\, 2\r\nEND:VCARD\r\n"
                                    "BEGIN:VCARD\r\nVERSION:3.0\r\n"
                                    "FN:Без номера\r\nN:;Без номера;;;\r\n"
                                    "CATEGORIES:Работа\\; отдел\\, 2\r\nEND:VCARD\r\n";
        QCOMPARE(BookExport::toVCard(book), expected);
    }

    void csvOfSeveralGroups() {
        const QList<BookGroup> book{
            group("Семья", {contact("Мама", "+79161111111", "Оля", "Olga", true),
                            contact("Кафе \"Уют\"", "+79160000003")}),
            group("Пусто", {}),
            group("Работа, отдел", {contact("Петров, Пётр", "+79160000002", "стр.1\nстр.2")}),
        };
        const QByteArray expected =
            "Группа,Имя,Телефон,Подпись,Отправитель,Транслит\r\n"
            "Семья,Мама,+79161111111,Оля,Olga,1\r\n"
            "Семья,\"Кафе \"\"Уют\"\"\",+79160000003,,,0\r\n"
            "Пусто,,,,,\r\n"
            "\"Работа, отдел\",\"Петров, Пётр\",+79160000002,\"стр.1\nстр.2\",,0\r\n";
        QCOMPARE(BookExport::toCsv(book), expected);
    }

    // The main window's CSV is for a spreadsheet in a Russian locale: a byte order mark, ";"
    // between fields, and "'" before a field that would be taken for a formula.
    void spreadsheetCsv_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("formula") << "=1+2" << QByteArray("'=1+2");
        QTest::newRow("quoted formula") << "=A1&\"x\"" << QByteArray("\"'=A1&\"\"x\"\"\"");
        QTest::newRow("plus word") << "+x" << QByteArray("'+x");
        QTest::newRow("carriage return") << "\rИван" << QByteArray("\"'\rИван\"");
        QTest::newRow("phone number") << "+79161234567" << QByteArray("+79161234567");
        QTest::newRow("negative number") << "-5" << QByteArray("-5");
        QTest::newRow("semicolon") << "Петров; Пётр" << QByteArray("\"Петров; Пётр\"");
        QTest::newRow("comma stays bare") << "Петров, Пётр" << QByteArray("Петров, Пётр");
    }
    void spreadsheetCsv() {
        QFETCH(QString, name);
        QFETCH(QByteArray, written);
        QCOMPARE(BookExport::toSpreadsheetCsv({group(name, {contact(name, "+7916", name)})}),
                 "\xEF\xBB\xBFГруппа;Имя;Телефон;Подпись;Отправитель;Транслит\r\n" + written + ';' +
                     written + ";+7916;" + written + ";;0\r\n");
    }

    void emptyBook() {
        QCOMPARE(BookExport::toVCard({}), QByteArray());
        QCOMPARE(BookExport::toCsv({}),
                 QByteArray("Группа,Имя,Телефон,Подпись,Отправитель,Транслит\r\n"));
    }
};

QTEST_GUILESS_MAIN(BookExportTest)
#include "BookExportTest.moc"
