#include "TestProfile.h"
#include "platform/Ansi.h"
#include "service/ContactsPayload.h"
#include "service/LoginRoutine.h"
#include "service/SendReply.h"
#include "service/ServerRequest.h"
#include "service/ServiceNumber.h"
#include "service/StatusReply.h"
#include "service/UserInfoReply.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

// Optional values in a table: NaN / -1 stand for "nothing".
constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
const QString kNoText = QStringLiteral("<none>");

QString lines(const QStringList& parts) {
    return parts.join(QChar(0x01));
}

double orNone(std::optional<double> value) {
    return value.value_or(kNone);
}

bool sameNumber(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

QString okReply(const QString& payload) {
    return QStringLiteral("OK") + QString::fromLatin1(Ansi::fromUnicode(payload).toBase64());
}

// Rows as text, so a table can spell them out: "G|flag|name" or "C|flag|name|number|sign".
QStringList describe(const TContacts& contacts) {
    QStringList rows;
    for (const TContactEntry& entry : contacts) {
        if (entry.isGroup())
            rows << QStringLiteral("G|%1|%2").arg(int(entry.Flag)).arg(entry.Name);
        else
            rows << QStringLiteral("C|%1|%2|%3|%4")
                        .arg(int(entry.Flag))
                        .arg(entry.Name, entry.Number, entry.Sign);
    }
    return rows;
}

} // namespace

class ParsersTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

private slots:
    void formLine_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("no equals sign") << QByteArray("QUJD") << QByteArray("QUJD");
        QTest::newRow("one closing =") << QByteArray("QUI=") << QByteArray("QUI=");
        QTest::newRow("closing ==") << QByteArray("QQ==") << QByteArray("QQ=%3D");
        QTest::newRow("+ and / before the =") << QByteArray("a+b/c9==") << QByteArray("a+b/c9=%3D");
        QTest::newRow("value encoded") << QByteArray("name=a b&c") << QByteArray("name=a+b%26c");
        QTest::newRow("second = in value") << QByteArray("k=a=b") << QByteArray("k=a%3Db");
        QTest::newRow("empty value") << QByteArray("name=") << QByteArray("name=");
        QTest::newRow("high byte upper-case hex")
            << QByteArray("k=\xe9\x0a") << QByteArray("k=%E9");
        QTest::newRow("blanks and breaks around") << QByteArray("  x=1 \r\n") << QByteArray("x=1");
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }
    void formLine() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, sent);
        QCOMPARE(FormLine(line), sent);
    }

    void cleanBrowserReply_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("markup around OK")
            << QByteArray("<HTML><HEAD></HEAD><BODY>OK</BODY></HTML>") << QByteArray("OK");
        QTest::newRow("plain") << QByteArray("OK") << QByteArray("OK");
        QTest::newRow("notice kept though trimmed")
            << QByteArray("<p>\x01\x01\x01Text</p>") << QByteArray("\x01\x01\x01Text");
        QTest::newRow("notice mark inside a tag")
            << QByteArray("<a \x01\x01\x01>ok") << QByteArray("\x01\x01\x01ok");
        QTest::newRow("only the mark") << QByteArray("\x01\x01\x01") << QByteArray("\x01\x01\x01");
        QTest::newRow("two marks are no notice") << QByteArray("\x01\x01x") << QByteArray("x");
        QTest::newRow("control characters trimmed, blanks kept")
            << QByteArray("\r\n\t\x05 12.5 \x0d\x00", 12) << QByteArray(" 12.5 ");
        QTest::newRow("code 14 stays") << QByteArray("\x0e"
                                                     "a\x0e")
                                       << QByteArray("\x0e"
                                                     "a\x0e");
        QTest::newRow("unmatched < keeps the rest") << QByteArray("a<b") << QByteArray("a<b");
        QTest::newRow("tags before an unmatched <")
            << QByteArray("<b>x</b> 1 < 2") << QByteArray("x 1 < 2");
        QTest::newRow("trailing <") << QByteArray("x<a>y<") << QByteArray("xy<");
        QTest::newRow("nested <") << QByteArray("<<a>b>") << QByteArray("b>");
        QTest::newRow("lone >") << QByteArray("a>b") << QByteArray("a>b");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("only markup") << QByteArray("<html></html>") << QByteArray();
        QTest::newRow("%13% untouched here") << QByteArray("a%13%b") << QByteArray("a%13%b");
    }
    void cleanBrowserReply() {
        QFETCH(QByteArray, document);
        QFETCH(QByteArray, reply);
        QCOMPARE(CleanBrowserReply(document), reply);
    }

    void cleanBrowserReplyEndsOnHugeMarkup() {
        QByteArray document;
        for (int i = 0; i < 200000; ++i)
            document += "<i>x";
        document += QByteArray(100000, '<');
        QCOMPARE(CleanBrowserReply(document).left(5), QByteArray("xxxxx"));
    }

    void stripFieldSeparators_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stripped");
        QTest::newRow("none") << QStringLiteral("Привет") << QStringLiteral("Привет");
        QTest::newRow("several") << QStringLiteral("\x01"
                                                   "a\x01\x01"
                                                   "b\x01")
                                 << QStringLiteral("ab");
        QTest::newRow("other separators stay")
            << QStringLiteral("a\x02\x03\x04\x05") << QStringLiteral("a\x02\x03\x04\x05");
    }
    void stripFieldSeparators() {
        QFETCH(QString, text);
        QFETCH(QString, stripped);
        QCOMPARE(StripFieldSeparators(text), stripped);
    }

    void readDecimal_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("point") << "12.5" << 12.5;
        QTest::newRow("comma") << "12,5" << 12.5;
        QTest::newRow("negative comma") << "-3,25" << -3.25;
        QTest::newRow("plus") << "+4" << 4.0;
        QTest::newRow("blanks") << " 7 " << 7.0;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("trailing point") << "5." << 5.0;
        QTest::newRow("empty") << "" << kNone;
        QTest::newRow("sign alone") << "-" << kNone;
        QTest::newRow("letters") << "abc" << kNone;
        QTest::newRow("two separators") << "1.2.3" << kNone;
        QTest::newRow("group and decimal") << "1,000.5" << kNone;
        QTest::newRow("inf") << "inf" << kNone;
        QTest::newRow("nan") << "nan" << kNone;
        QTest::newRow("overflow") << "1e999" << kNone;
        QTest::newRow("hex") << "0x10" << kNone;
        QTest::newRow("exponent without digits") << "1e" << kNone;
    }
    void readDecimal() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QVERIFY(sameNumber(orNone(ServiceNumber::readDecimal(text)), value));
    }

    void readDecimalIgnoresLocale() {
        const QLocale before;
        for (const auto language : {QLocale::German, QLocale::Russian, QLocale::English}) {
            QLocale::setDefault(QLocale(language));
            QCOMPARE(ServiceNumber::readDecimal(QStringLiteral("12.5")), 12.5);
            QCOMPARE(ServiceNumber::readDecimal(QStringLiteral("12,5")), 12.5);
        }
        QLocale::setDefault(before);
    }

    void readInteger_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("zero") << "0" << true << 0;
        QTest::newRow("negative") << "-5" << true << -5;
        QTest::newRow("plus") << "+7" << true << 7;
        QTest::newRow("largest") << "2147483647" << true << 2147483647;
        QTest::newRow("smallest") << "-2147483648" << true << int(-2147483647 - 1);
        QTest::newRow("above") << "2147483648" << false << 0;
        QTest::newRow("far above") << "99999999999999999999999" << false << 0;
        QTest::newRow("leading blank") << " 5" << false << 0;
        QTest::newRow("trailing blank") << "5 " << false << 0;
        QTest::newRow("line break") << "5\r\n" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("sign alone") << "-" << false << 0;
        QTest::newRow("letters after") << "12a" << false << 0;
        QTest::newRow("other script digit") << QStringLiteral("\u0663") << false << 0;
    }
    void readInteger() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const std::optional<qint32> read = ServiceNumber::readInteger(text);
        QCOMPARE(read.has_value(), valid);
        if (valid)
            QCOMPARE(*read, value);
    }

    void userInfoReply_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("judged");
        QTest::addColumn<double>("balance");
        QTest::addColumn<double>("smsPrice");
        QTest::addColumn<double>("extraPartPrice");
        QTest::addColumn<int>("partLength");       // -1: not read
        QTest::addColumn<int>("maxMessageLength"); // -1: not read
        QTest::addColumn<int>("serverContacts");   // -1: not read
        QTest::addColumn<int>("extraOption");      // -1: not read
        QTest::addColumn<QString>("notice");

        QTest::newRow("full, no notice")
            << lines({"150.5", "1.2", "0,3", "70", "160", "1", "0", " "}) << "150.5" << 150.5 << 1.2
            << 0.3 << 70 << 160 << 1 << 0 << kNoText;
        QTest::newRow("full with notice")
            << lines({"10", "1", "1", "67", "670", "0", "1", QStringLiteral("Привет\x04мир")})
            << "10" << 10.0 << 1.0 << 1.0 << 67 << 670 << 0 << 1 << QStringLiteral("Привет\r\nмир");
        QTest::newRow("empty notice line is a notice")
            << lines({"10", "1", "1", "70", "70", "0", "0", ""}) << "10" << 10.0 << 1.0 << 1.0 << 70
            << 70 << 0 << 0 << QString();
        QTest::newRow("notice is the last of nine lines")
            << lines({"10", "1", "1", "70", "70", "1", "1", " ", "Hi"}) << "10" << 10.0 << 1.0
            << 1.0 << 70 << 70 << 1 << 1 << "Hi";
        QTest::newRow("unknown key")
            << "-2"
            << "-2" << kNone << kNone << kNone << -1 << -1 << -1 << -1 << kNoText;
        QTest::newRow("not activated")
            << "-1"
            << "-1" << kNone << kNone << kNone << -1 << -1 << -1 << -1 << kNoText;
        QTest::newRow("empty") << ""
                               << "" << kNone << kNone << kNone << -1 << -1 << -1 << -1 << kNoText;
        QTest::newRow("two lines judged whole")
            << lines({"5", "6"}) << lines({"5", "6"}) << kNone << kNone << kNone << -1 << -1 << -1
            << -1 << kNoText;
        QTest::newRow("three lines") << lines({"5", "6", "7"}) << "5" << 5.0 << 6.0 << 7.0 << -1
                                     << -1 << -1 << -1 << kNoText;
        QTest::newRow("exactly five lines: no notice, items hidden")
            << lines({"12.5", "1", "2", "70", "160"}) << "12.5" << 12.5 << 1.0 << 2.0 << 70 << 160
            << 0 << 0 << kNoText;
        QTest::newRow("six lines") << lines({"1", "1", "1", "70", "70", "1"}) << "1" << 1.0 << 1.0
                                   << 1.0 << 70 << 70 << 1 << 0 << kNoText;
        QTest::newRow("flags other than 1 are off")
            << lines({"1", "1", "1", "70", "70", "yes", "2", " "}) << "1" << 1.0 << 1.0 << 1.0 << 70
            << 70 << 0 << 0 << kNoText;
        QTest::newRow("balance unreadable")
            << lines({"abc", "1", "2", "70", "160", "1", "1", "x"}) << "abc" << kNone << kNone
            << kNone << -1 << -1 << -1 << -1 << kNoText;
        QTest::newRow("extra price unreadable")
            << lines({"10", "1", "x", "70", "160", "1", "1", "x"}) << "10" << 10.0 << 1.0 << kNone
            << -1 << -1 << -1 << -1 << kNoText;
        // A part length of 0 or less is a number like any other: what follows it is read.
        QTest::newRow("part length zero, flags and notice after it")
            << lines({"10", "1", "1", "0", "160", "1", "1", "x"}) << "10" << 10.0 << 1.0 << 1.0 << 0
            << 160 << 1 << 1 << "x";
        QTest::newRow("part length negative, five lines")
            << lines({"10", "1", "1", "-70", "160"}) << "10" << 10.0 << 1.0 << 1.0 << -70 << 160
            << 0 << 0 << kNoText;
        QTest::newRow("part length negative, notice")
            << lines({"10", "1", "1", "-70", "500", "0", "1", QStringLiteral("Акция\x04сегодня")})
            << "10" << 10.0 << 1.0 << 1.0 << -70 << 500 << 0 << 1
            << QStringLiteral("Акция\r\nсегодня");
        QTest::newRow("part length unreadable stops")
            << lines({"10", "1", "1", "x", "160", "1", "1", "y"}) << "10" << 10.0 << 1.0 << 1.0
            << -1 << -1 << -1 << -1 << kNoText;
        QTest::newRow("max length unreadable")
            << lines({"10", "1", "1", "70", "1.5", "1", "1", "x"}) << "10" << 10.0 << 1.0 << 1.0
            << 70 << -1 << -1 << -1 << kNoText;
        QTest::newRow("four lines") << lines({"10", "1", "1", "70"}) << "10" << 10.0 << 1.0 << 1.0
                                    << 70 << -1 << -1 << -1 << kNoText;
        QTest::newRow("negative balance")
            << lines({"-5", "1", "1", "70", "70", "0", "0", " "}) << "-5" << -5.0 << 1.0 << 1.0
            << 70 << 70 << 0 << 0 << kNoText;
    }
    void userInfoReply() {
        QFETCH(QString, reply);
        QFETCH(QString, judged);
        QFETCH(double, balance);
        QFETCH(double, smsPrice);
        QFETCH(double, extraPartPrice);
        QFETCH(int, partLength);
        QFETCH(int, maxMessageLength);
        QFETCH(int, serverContacts);
        QFETCH(int, extraOption);
        QFETCH(QString, notice);

        const UserInfoReply info = UserInfoReply::read(reply);
        QCOMPARE(info.judged, judged);
        QVERIFY(sameNumber(orNone(info.Balance), balance));
        QVERIFY(sameNumber(orNone(info.SmsPrice), smsPrice));
        QVERIFY(sameNumber(orNone(info.ExtraPartPrice), extraPartPrice));
        QCOMPARE(info.PartLength.value_or(-1), partLength);
        QCOMPARE(info.MaxMessageLength.value_or(-1), maxMessageLength);
        QCOMPARE(info.ServerContactsEnabled ? int(*info.ServerContactsEnabled) : -1,
                 serverContacts);
        QCOMPARE(info.ExtraOptionEnabled ? int(*info.ExtraOptionEnabled) : -1, extraOption);
        QCOMPARE(info.ServiceMessage.value_or(kNoText), notice);
    }

    void buildPayload_data() {
        QTest::addColumn<QList<BookGroup>>("book");
        QTest::addColumn<QString>("payload");

        QTest::newRow("empty book") << QList<BookGroup>() << QString();

        BookGroup one;
        one.entry.caption = QStringLiteral("G");
        one.entry.expanded = true;
        BookEntry c;
        c.caption = QStringLiteral("C");
        c.Name = QStringLiteral("ignored");
        c.Number = QStringLiteral("N");
        c.Sender = QStringLiteral("not sent");
        one.contacts << c;
        QTest::newRow("one expanded group, one contact") << QList<BookGroup>{one}
                                                         << QStringLiteral("\x02"
                                                                           "1G\x04"
                                                                           "C\x03N\x03\x03"
                                                                           "0\x05");

        BookGroup two;
        two.entry.caption = QStringLiteral("Друзья");
        BookEntry a;
        a.caption = QStringLiteral("Аня");
        a.Number = QStringLiteral("+79161234567");
        a.Sign = QStringLiteral("Я");
        a.Translit = true;
        two.contacts << a << c;
        BookGroup empty;
        empty.entry.caption = QStringLiteral("Пусто");
        QTest::newRow("closed group, two contacts, then an empty group")
            << QList<BookGroup>{two, empty}
            << QStringLiteral("\x02"
                              "0Друзья\x04"
                              "Аня\x03+79161234567\x03Я\x03"
                              "1\x05\x04"
                              "C\x03N\x03\x03"
                              "0\x05\x02"
                              "0Пусто");

        BookGroup hostile;
        hostile.entry.caption = QStringLiteral("A\x02\x05"
                                               "B");
        BookEntry h;
        h.caption = QStringLiteral("x\x03y");
        h.Number = QStringLiteral("1\x04"
                                  "2");
        h.Sign = QStringLiteral("\x01s");
        hostile.contacts << h;
        QTest::newRow("separators in texts are left out") << QList<BookGroup>{hostile}
                                                          << QStringLiteral("\x02"
                                                                            "0AB\x04xy\x03"
                                                                            "12\x03s\x03"
                                                                            "0\x05");
    }
    void buildPayload() {
        QFETCH(QList<BookGroup>, book);
        QFETCH(QString, payload);
        QCOMPARE(ContactsPayload::build(book), payload);
    }

    void readContactsReply_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QStringList>("rows"); // "untouched": the array as it was

        const QStringList untouched{QStringLiteral("untouched")};
        QTest::newRow("OK alone") << "OK" << true << untouched;
        QTest::newRow("failed exchange") << "ERROR!!!" << false << untouched;
        QTest::newRow("refused") << "-1" << false << untouched;
        QTest::newRow("lower case ok") << QString(QStringLiteral("ok") + okReply("\x02"
                                                                                 "1G")
                                                                             .mid(2))
                                       << false << untouched;
        QTest::newRow("empty") << "" << false << untouched;
        QTest::newRow("not a group first") << okReply("x\x02"
                                                      "1G")
                                           << true << untouched;
        QTest::newRow("decodes to nothing") << "OK====" << false << untouched;
        QTest::newRow("not Base64") << "OK!!!!" << false << untouched;
        QTest::newRow("group without contacts") << okReply("\x02"
                                                           "1Группа без контактов")
                                                << true << QStringList{"G|1|Группа без контактов"};
        QTest::newRow("groups and contacts")
            << okReply("\x02"
                       "1G\x04"
                       "C\x03N\x03S\x03"
                       "1\x05\x04"
                       "D\x03M\x03\x03"
                       "0\x05"
                       "\x02"
                       "0H\x04"
                       "E\x03K\x03T\x03"
                       "1xyz\x05")
            << true << QStringList{"G|1|G", "C|1|C|N|S", "C|0|D|M|", "G|0|H", "C|1|E|K|T"};
        QTest::newRow("line breaks in Base64 are skipped")
            << QString(okReply("\x02"
                               "1G")
                           .insert(4, QStringLiteral("\r\n")))
            << true << QStringList{"G|1|G"};
        QTest::newRow("contact piece right after the 0x02")
            << okReply("\x02\x04"
                       "C\x03N\x03S\x03"
                       "1\x05")
            << true << QStringList{"G|0|", "C|1|C|N|S"};
        QTest::newRow("texts cut to the record")
            << okReply(QStringLiteral("\x02"
                                      "1") +
                       QString(40, QLatin1Char('g')) + "\x04" + QString(35, QLatin1Char('n')) +
                       "\x03" + QString(20, QLatin1Char('1')) + "\x03" +
                       QString(16, QLatin1Char('s')) +
                       "\x03"
                       "0\x05")
            << true
            << QStringList{"G|1|" + QString(30, QLatin1Char('g')),
                           "C|0|" + QString(30, QLatin1Char('n')) + "|" +
                               QString(15, QLatin1Char('1')) + "|" + QString(15, QLatin1Char('s'))};
        QTest::newRow("three parts: false, rows so far kept")
            << okReply("\x02"
                       "1G\x04"
                       "C\x03N\x03S\x03"
                       "1\x05\x04"
                       "D\x03M\x03"
                       "0\x05")
            << false << QStringList{"G|1|G", "C|1|C|N|S"};
        QTest::newRow("five parts") << okReply("\x02"
                                               "1G\x04"
                                               "C\x03N\x03S\x03"
                                               "1\x03x\x05")
                                    << false << QStringList{"G|1|G"};
        QTest::newRow("empty fourth part") << okReply("\x02"
                                                      "1G\x04"
                                                      "C\x03N\x03S\x03\x05")
                                           << false << QStringList{"G|1|G"};
        QTest::newRow("two 0x02 in a row") << okReply("\x02"
                                                      "1G\x02\x02"
                                                      "0H")
                                           << false << QStringList{"G|1|G"};
        QTest::newRow("two 0x05 in a row") << okReply("\x02"
                                                      "1G\x04"
                                                      "C\x03N\x03S\x03"
                                                      "1\x05\x05")
                                           << false << QStringList{"G|1|G", "C|1|C|N|S"};
        QTest::newRow("unterminated last piece is still a piece")
            << okReply("\x02"
                       "1G\x04"
                       "C\x03N\x03S\x03"
                       "0")
            << true << QStringList{"G|1|G", "C|0|C|N|S"};
        QTest::newRow("junk after the last piece") << okReply("\x02"
                                                              "1G\x04"
                                                              "C\x03N\x03S\x03"
                                                              "0\x05xyz")
                                                   << false << QStringList{"G|1|G", "C|0|C|N|S"};
    }
    void readContactsReply() {
        QFETCH(QString, reply);
        QFETCH(bool, result);
        QFETCH(QStringList, rows);
        TContacts contacts{TContactEntry::make(QStringLiteral("untouched"), {}, {}, true, 0)};
        QCOMPARE(ContactsPayload::readReply(reply, contacts), result);
        if (rows == QStringList{QStringLiteral("untouched")})
            QCOMPARE(describe(contacts), QStringList{"G|0|untouched"});
        else
            QCOMPARE(describe(contacts), rows);
    }

    void payloadRoundTrip() {
        BookGroup group;
        group.entry.caption = QStringLiteral("Работа");
        group.entry.expanded = true;
        BookEntry contact;
        contact.caption = QStringLiteral("Сергей Иванович");
        contact.Number = QStringLiteral("+79031112233");
        contact.Sign = QStringLiteral("С уважением");
        contact.Sender = QStringLiteral("lost on the way");
        group.contacts << contact;
        TContacts contacts;
        QVERIFY(ContactsPayload::readReply(okReply(ContactsPayload::build({group})), contacts));
        QCOMPARE(describe(contacts),
                 (QStringList{"G|1|Работа", "C|0|Сергей Иванович|+79031112233|С уважением"}));
    }

    void sendReply_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("kind");         // 0 notice, 1 single, 2 group
        QTest::addColumn<QString>("expected"); // notice text, the code, or codes joined by ","
        QTest::newRow("id") << "123" << 1 << "123";
        QTest::newRow("zero") << "0" << 1 << "0";
        QTest::newRow("balance short") << "-2" << 1 << "-2";
        QTest::newRow("empty: no connection") << "" << 1 << "-2147483648";
        QTest::newRow("not a number") << "abc" << 1 << "none";
        QTest::newRow("too large") << "2147483648" << 1 << "none";
        QTest::newRow("notice") << QStringLiteral("\x01\x01\x01Текст\r\nдальше") << 0
                                << QStringLiteral("Текст\r\nдальше");
        QTest::newRow("mark alone is no notice") << "\x01\x01\x01" << 1 << "none";
        QTest::newRow("group") << "11|0|12" << 2 << "11,0,12";
        QTest::newRow("group of one with a final |") << "11|" << 2 << "11";
        QTest::newRow("unreadable piece") << "11|x|12" << 2 << "11,none,12";
        QTest::newRow("empty piece before the end") << "11||12" << 2 << "11,none,12";
        QTest::newRow("bar alone") << "|" << 2 << "none";
    }
    void sendReply() {
        QFETCH(QString, reply);
        QFETCH(int, kind);
        QFETCH(QString, expected);
        const auto text = [](std::optional<qint32> code) {
            return code ? QString::number(*code) : QStringLiteral("none");
        };
        const SendReply read = SendReply::read(reply);
        QCOMPARE(int(read.kind), kind);
        if (read.kind == SendReply::Kind::Notice) {
            QCOMPARE(read.notice, expected);
        } else if (read.kind == SendReply::Kind::Single) {
            QCOMPARE(text(read.code), expected);
        } else {
            QStringList codes;
            for (const auto& result : read.results)
                codes << text(result);
            QCOMPARE(codes.join(QLatin1Char(',')), expected);
        }
    }

    void statusCode_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("code"); // -1: unreadable
        QTest::newRow("sent") << "10" << 10;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("255") << "255" << 255;
        QTest::newRow("256") << "256" << -1;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("line break after") << "10\r\n" << -1;
    }
    void statusCode() {
        QFETCH(QString, reply);
        QFETCH(int, code);
        const std::optional<quint8> read = StatusReply::readCode(reply);
        QCOMPARE(read ? int(*read) : -1, code);
    }

    void statusCodes_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("codes"); // joined by ","; "none" when unreadable
        QTest::newRow("two of two") << "10\r\n11\r\n" << 2 << "10,11";
        QTest::newRow("more lines than ids") << "10\r\n11\r\n12\r\n" << 2 << "10,11";
        QTest::newRow("fewer lines than ids") << "10\r\n11\r\n" << 3 << "none";
        QTest::newRow("unreadable line") << "10\r\nx\r\n" << 2 << "none";
        QTest::newRow("above 255") << "300\r\n" << 1 << "none";
        QTest::newRow("no final break") << "1\r\n2" << 2 << "1,2";
        QTest::newRow("nothing asked") << "" << 0 << "";
        QTest::newRow("empty reply") << "" << 1 << "none";
    }
    void statusCodes() {
        QFETCH(QString, reply);
        QFETCH(int, count);
        QFETCH(QString, codes);
        const auto read = StatusReply::readCodes(reply, count);
        QString text = QStringLiteral("none");
        if (read) {
            QStringList parts;
            for (const quint8 code : *read)
                parts << QString::number(code);
            text = parts.join(QLatin1Char(','));
        }
        QCOMPARE(text, codes);
    }

    void isNumberText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("number");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("minus alone") << "-" << false;
        QTest::newRow("negative") << "-5" << true;
        QTest::newRow("zero") << "0" << true;
        QTest::newRow("comma") << "12,5" << true;
        QTest::newRow("several points") << "1.2.3" << true;
        QTest::newRow("point alone") << "." << true;
        QTest::newRow("minus point") << "-." << true;
        QTest::newRow("letters") << "abc" << false;
        QTest::newRow("blank") << " 5" << false;
        QTest::newRow("two minus") << "--5" << false;
        QTest::newRow("minus after") << "5-" << false;
        QTest::newRow("exponent") << "1e5" << false;
        QTest::newRow("other script digit") << QStringLiteral("\u0661") << false;
    }
    void isNumberText() {
        QFETCH(QString, text);
        QFETCH(bool, number);
        QCOMPARE(IsNumberText(text), number);
    }
};

QTEST_GUILESS_MAIN(ParsersTest)
#include "ParsersTest.moc"
