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
        QTest::newRow("full-width letters; a question mark stays") << "ＡＢＣ?" << "ABC?";
    }
    void nearest() {
        QFETCH(QString, text);
        QFETCH(QString, kept);
        QCOMPARE(Ansi::nearest(text), kept);
    }
};

QTEST_GUILESS_MAIN(NameFitTest)
#include "NameFitTest.moc"
