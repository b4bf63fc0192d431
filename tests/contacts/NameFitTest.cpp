#include "contacts/ImportedText.h"
#include "platform/AnsiFit.h"

#include <QTest>

class NameFitTest : public QObject {
    Q_OBJECT

private slots:
    void nearest_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept");

        QTest::newRow("accents go") << "Hans Müller, José, Åsa, Françoise, Dvořák"
                                    << "Hans Muller, Jose, Asa, Francoise, Dvorak";
        QTest::newRow("accent written as its own character")
            << QString::fromUtf16(u"Zoe\u0308 u\u0301") << "Zoe u";
        QTest::newRow("letters without a decomposition")
            << "Straße Æsir æ œ Œ Søren Ø Łódź đ Đ þ ı" << "Strasse AEsir ae oe OE Soren O Lodz d D th i";
        QTest::newRow("Kazakh and Tatar")
            << "Әсет Ғани Қайрат Ңң Өмір Ұлан Үміт Һ ғқңөұүһәҗ ж"
            << "Асет Гани Кайрат Нн Омір Улан Уміт Х гкноуухаж ж";
        QTest::newRow("Greek, accents too") << "Αλέξανδρος Θεοδωράκης ψυχή"
                                           << "Alexandros Theodorakis psychi";
        QTest::newRow("in the code page already")
            << "Ёжик ёлка ЇїІіЄєҐґЎў «Имя» — № € ‰ µ Ђђ" << "Ёжик ёлка ЇїІіЄєҐґЎў «Имя» — № € ‰ µ Ђђ";
        QTest::newRow("CJK and a character beyond 16 bits: one ? each") << "王 😀 a" << "? ? a";
        QTest::newRow("full-width letters") << "ＡＢＣ" << "ABC";
        QTest::newRow("a question mark stays") << "Кто?" << "Кто?";
    }
    void nearest() {
        QFETCH(QString, text);
        QFETCH(QString, kept);
        QCOMPARE(Ansi::nearest(text), kept);
    }

    void oneLine_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("line");
        QTest::newRow("CR LF is one blank") << "Иван\r\nПетров" << "Иван Петров";
        QTest::newRow("LF, lone CR, TAB") << "a\nb\rc\td" << "a b c d";
        QTest::newRow("each break its own blank") << "a\r\n\r\nb\n\r" << "a  b  ";
        QTest::newRow("nothing to do") << "Иван Петров" << "Иван Петров";
    }
    void oneLine() {
        QFETCH(QString, text);
        QFETCH(QString, line);
        QCOMPARE(ImportedText::oneLine(text), line);
    }
};

QTEST_GUILESS_MAIN(NameFitTest)
#include "NameFitTest.moc"
