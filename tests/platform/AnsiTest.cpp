#include "platform/Ansi.h"

#include <QTest>

class AnsiTest : public QObject {
    Q_OBJECT
private slots:
    void everyByteRoundTrips() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(Ansi::fromUnicode(Ansi::toUnicode(all)), all);
    }

    void conversion_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("latin") << QStringLiteral("Hello") << QByteArray("Hello");
        QTest::newRow("cyrillic") << QStringLiteral("Привет")
                                  << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2");
        QTest::newRow("yo") << QStringLiteral("Ёё") << QByteArray("\xA8\xB8");
        QTest::newRow("euro, numero, dash") << QStringLiteral("€№—") << QByteArray("\x88\xB9\x97");
        QTest::newRow("unrepresentable") << QStringLiteral("a中😀b") << QByteArray("a???b");
        QTest::newRow("greek") << QStringLiteral("α") << QByteArray("?");
        QTest::newRow("first and last letters")
            << QStringLiteral("АЯая") << QByteArray("\xC0\xDF\xE0\xFF");
        QTest::newRow("just outside the letters")
            << QString(QChar(0x0400)) + QChar(0x0450) << QByteArray("??");
    }
    void conversion() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Ansi::fromUnicode(text), bytes);
        if (!bytes.contains('?'))
            QCOMPARE(Ansi::toUnicode(bytes), text);
        QCOMPARE(Ansi::representable(text), Ansi::toUnicode(bytes));
        QVERIFY(Ansi::encodesAs(text, bytes));
        QByteArray other = bytes;
        other[other.size() - 1] = char(other.back() ^ 1);
        QVERIFY(!Ansi::encodesAs(text, other));
        QVERIFY(!Ansi::encodesAs(text, bytes + 'x'));
    }

    void utf8OrAnsi_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << QByteArray("\xD0\x9F\xD1\x80\xD0\xB8") << QStringLiteral("При");
        QTest::newRow("1251") << QByteArray("\xCF\xF0\xE8") << QStringLiteral("При");
        QTest::newRow("plain ASCII") << QByteArray("+7916") << QStringLiteral("+7916");
        // A 1251 letter at the very end looks like the start of a UTF-8 character.
        QTest::newRow("cut UTF-8 at the end is 1251")
            << QByteArray("ab\xD0") << QStringLiteral("abР");
    }
    void utf8OrAnsi() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Ansi::fromUtf8OrAnsi(bytes), text);
    }

    void compareByCodes_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("sign");
        QTest::newRow("equal") << "abc"
                               << "abc" << 0;
        QTest::newRow("prefix first") << "ab"
                                      << "abc" << -1;
        QTest::newRow("case matters") << "B"
                                      << "a" << -1;
        QTest::newRow("digit before latin") << "9"
                                            << "A" << -1;
        QTest::newRow("latin before cyrillic") << "z" << QStringLiteral("А") << -1;
        QTest::newRow("capital cyrillic first") << QStringLiteral("Я") << QStringLiteral("а") << -1;
        // Ё is 0xA8 and ё is 0xB8: both sort before every other Cyrillic letter.
        QTest::newRow("yo before A") << QStringLiteral("ё") << QStringLiteral("А") << -1;
        QTest::newRow("empty first") << ""
                                     << "a" << -1;
    }
    void compareByCodes() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, sign);
        const int result = Ansi::compare(a, b);
        QCOMPARE((result > 0) - (result < 0), sign);
        const int reverse = Ansi::compare(b, a);
        QCOMPARE((reverse > 0) - (reverse < 0), -sign);
    }

    void caseRules_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");
        QTest::newRow("latin") << "aBz"
                               << "ABZ"
                               << "abz";
        QTest::newRow("cyrillic") << QStringLiteral("жЩя") << QStringLiteral("ЖЩЯ")
                                  << QStringLiteral("жщя");
        QTest::newRow("yo") << QStringLiteral("ёЁ") << QStringLiteral("ЁЁ") << QStringLiteral("ёё");
        // Other letters of the code page (Ukrainian, Serbian) keep their case.
        QTest::newRow("others stay")
            << QStringLiteral("їЇђ") << QStringLiteral("їЇђ") << QStringLiteral("їЇђ");
        QTest::newRow("no locale rules")
            << QStringLiteral("ß1!") << QStringLiteral("ß1!") << QStringLiteral("ß1!");
    }
    void caseRules() {
        QFETCH(QString, text);
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        QCOMPARE(Ansi::toUpper(text), upper);
        QCOMPARE(Ansi::toLower(text), lower);
    }
};

QTEST_GUILESS_MAIN(AnsiTest)
#include "AnsiTest.moc"
