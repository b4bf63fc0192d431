#include "contacts/VCardReader.h"
#include "BookEntries.h"
#include "contacts/BookExport.h"
#include "contacts/VCardLines.h"
#include "platform/Ansi.h"

#include <QTest>

namespace {

using BookEntries::contact;
using BookEntries::group;

// One contact as a line of text, so a whole file's result compares in one QCOMPARE:
// "line|name|number|group".
QStringList summary(const ImportedContacts& contacts) {
    QStringList lines;
    for (const ImportedContact& contact : contacts)
        lines += QString::number(contact.line) + u'|' + contact.name + u'|' + contact.number +
                 u'|' + contact.group;
    return lines;
}

QByteArray crlf(QByteArray text) {
    return text.replace("\n", "\r\n");
}

// A base64 photo of the given number of folded lines, as a 3.0 writer folds it.
QByteArray photo30(int lines) {
    QByteArray text = "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAMCAgICAgMCAg\n";
    for (int i = 0; i < lines; ++i)
        text += " IDAwMDBAYEBAQEBAgGBgUGBwkIBwcHBwgJCwkJCgoKCgoKCw8MDQwNDAwNDQ0NDhAQDxAQEBAQEB\n";
    return text;
}

} // namespace

class VCardReaderTest : public QObject {
    Q_OBJECT

private slots:
    void looksLikeVCard_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("looks");
        QTest::newRow("plain") << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\n") << true;
        QTest::newRow("lower case") << QByteArray("begin:vcard\n") << true;
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF"
                                                       "BEGIN:VCARD\r\n")
                                         << true;
        QTest::newRow("blank lines first") << QByteArray("\r\n \t\r\n\nBEGIN:VCARD\r\n") << true;
        QTest::newRow("mark then blanks") << QByteArray("\xEF\xBB\xBF\r\n  Begin:VCard") << true;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("only blanks") << QByteArray(" \r\n") << false;
        QTest::newRow("cut short") << QByteArray("BEGIN:VCAR") << false;
        QTest::newRow("CSV") << QByteArray("Группа,Имя,Телефон\r\n") << false;
        QTest::newRow("text before") << QByteArray("Contacts\r\nBEGIN:VCARD\r\n") << false;
        QTest::newRow("other begin") << QByteArray("BEGIN:VCALENDAR\r\n") << false;
    }
    void looksLikeVCard() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, looks);
        QCOMPARE(VCardReader::looksLikeVCard(bytes), looks);
    }

    void decodeQuotedPrintable_data() {
        QTest::addColumn<QByteArray>("encoded");
        QTest::addColumn<QByteArray>("decoded");
        QTest::newRow("plain") << QByteArray("abc") << QByteArray("abc");
        QTest::newRow("bytes") << QByteArray("=D0=98x") << QByteArray("\xD0\x98x");
        QTest::newRow("lower-case hex") << QByteArray("=d0=98") << QByteArray("\xD0\x98");
        QTest::newRow("lone = at the end") << QByteArray("abc=") << QByteArray("abc");
        QTest::newRow("only =") << QByteArray("=") << QByteArray();
        QTest::newRow("= and one digit at the end") << QByteArray("a=4") << QByteArray("a=4");
        QTest::newRow("= before no hex") << QByteArray("a=ZZb") << QByteArray("a=ZZb");
        QTest::newRow("encoded =") << QByteArray("a=3Db") << QByteArray("a=b");
    }
    void decodeQuotedPrintable() {
        QFETCH(QByteArray, encoded);
        QFETCH(QByteArray, decoded);
        QCOMPARE(VCardLines::decodeQuotedPrintable(encoded), decoded);
    }

    // Files shaped like each producer's output, and the contacts they hold.
    void read_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("contacts");

        QTest::newRow("Android 2.1, quoted-printable UTF-8 with a soft break inside a letter")
            << crlf("BEGIN:VCARD\n"
                    "VERSION:2.1\n"
                    "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=A1=D0=B8=D0=B4=D0=BE=D1=80="
                    "D0=BE=D0=B2;=D0=98=D0=B2=D0=B0=D0=BD=20=D0=9F=D0=B5=D1=82=D1=80=D0=BE=D0=B2="
                    "D0=B8=D1=87;;;\n"
                    "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=98=D0=B2=D0=B0=D0=BD=20=D0=9F"
                    "=D0=B5=D1=82=D1=80=D0=BE=D0=B2=D0=B8=D1=\n"
                    "=87=20=D0=A1=D0=B8=D0=B4=D0=BE=D1=80=D0=BE=D0=B2\n"
                    "TEL;HOME:+7 495 123-45-67\n"
                    "TEL;CELL;PREF:+7 916 123-45-67\n"
                    "X-ANDROID-CUSTOM:vnd.android.cursor.item/nickname;Ваня;1;;;;;;;;;;;;;\n"
                    "END:VCARD\n"
                    "BEGIN:VCARD\n"
                    "VERSION:2.1\n"
                    "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=9F=D0=B5=D1=82=D1=80=D0=BE=D0="
                    "B2;=D0=98=D0=B2=D0=B0=D0=BD;;;\n"
                    "TEL;CELL:8-916-000-00-01\n"
                    "END:VCARD\n")
            << QStringList{"1|Иван Петрович Сидоров|+7 916 123-45-67|",
                           "10|Иван Петров|8-916-000-00-01|"};

        QTest::newRow("iPhone 3.0, item1.TEL typed CELL after a home number")
            << crlf("BEGIN:VCARD\n"
                    "VERSION:3.0\n"
                    "PRODID:-//Apple Inc.//iPhone OS 17.2//EN\n"
                    "N:Сидорова;Анна;;;\n"
                    "FN:Анна Сидорова\n"
                    "ORG:Ромашка;\n"
                    "TEL;type=HOME;type=VOICE:+7 (495) 000-00-00\n"
                    "item1.TEL;type=CELL;type=VOICE;type=pref:+7 (916) 555-12-34\n"
                    "item1.X-ABLabel:_$!<Mobile>!$_\n" +
                    photo30(3) + "END:VCARD\n")
            << QStringList{"1|Анна Сидорова|+7 (916) 555-12-34|"};

        QTest::newRow("Google 3.0, CATEGORIES with an escaped comma, several cards")
            << crlf("BEGIN:VCARD\n"
                    "VERSION:3.0\n"
                    "FN:Петров\\, Пётр\n"
                    "N:Петров;Пётр;;;\n"
                    "TEL;TYPE=WORK:+74951234567\n"
                    "TEL;TYPE=CELL:+79161234567\n"
                    "CATEGORIES:Школа\\, 10 «Б»,myContacts\n"
                    "END:VCARD\n"
                    "BEGIN:VCARD\n"
                    "VERSION:3.0\n"
                    "FN:Мама\n"
                    "N:;Мама;;;\n"
                    "EMAIL;TYPE=INTERNET:mama@example.ru\n"
                    "TEL;TYPE=HOME:+74950000000\n"
                    "CATEGORIES: Семья ,myContacts\n"
                    "END:VCARD\n"
                    "BEGIN:VCARD\n"
                    "VERSION:3.0\n"
                    "FN:Оля\n"
                    "TEL:+79160000001\n"
                    "CATEGORIES:myContacts,starred,Друзья\n"
                    "END:VCARD\n"
                    "BEGIN:VCARD\n"
                    "VERSION:3.0\n"
                    "FN:Сосед\n"
                    "TEL:+79160000002\n"
                    "CATEGORIES:MYCONTACTS\n"
                    "END:VCARD\n")
            << QStringList{"1|Петров, Пётр|+79161234567|Школа, 10 «Б»", "9|Мама|+74950000000|Семья",
                           "17|Оля|+79160000001|Друзья", "23|Сосед|+79160000002|"};

        QTest::newRow("Outlook 2.1, windows-1251")
            << crlf(Ansi::fromUnicode(
                   "BEGIN:VCARD\n"
                   "VERSION:2.1\n"
                   "N;LANGUAGE=ru;CHARSET=windows-1251:Кузнецов;Олег\n"
                   "FN;CHARSET=windows-1251:Кузнецов Олег\n"
                   "ORG;CHARSET=windows-1251:Рога и копыта\n"
                   "TEL;WORK;VOICE:+7 (495) 111-22-33\n"
                   "TEL;CELL;VOICE:+7 (903) 111-22-33\n"
                   "LABEL;WORK;PREF;ENCODING=QUOTED-PRINTABLE;CHARSET=windows-1251:=CC=EE=F1=EA="
                   "E2=E0=0D=0A=\n"
                   "=F3=EB. =CB=E5=ED=E8=ED=E0\n"
                   "EMAIL;PREF;INTERNET:oleg@example.ru\n"
                   "REV:20240101T120000Z\n"
                   "END:VCARD\n"))
            << QStringList{"1|Кузнецов Олег|+7 (903) 111-22-33|"};

        QTest::newRow("code page 1251 named otherwise, not named, or mislabelled as UTF-8")
            << Ansi::fromUnicode(
                   "BEGIN:VCARD\n"
                   "VERSION:2.1\n"
                   "FN;charset=CP1251:Ёлкин Фёдор\n"
                   "TEL:+7 916 1\n"
                   "END:VCARD\n"
                   "BEGIN:VCARD\n"
                   "VERSION:2.1\n"
                   "N;ENCODING=QUOTED-PRINTABLE:=CA=F3=E7=ED=E5=F6=EE=E2;=CE=EB=E5=E3\n"
                   "TEL:+7 916 2\n"
                   "CATEGORIES:Работа\n"
                   "END:VCARD\n"
                   "BEGIN:VCARD\n"
                   "FN;CHARSET=UTF-8:Жанна\n"
                   "END:VCARD\n"
                   // Bytes that would also be valid UTF-8 ("ия").
                   "BEGIN:VCARD\n"
                   "FN;CHARSET=Windows-1251:РёСЏ\n"
                   "END:VCARD\n")
            << QStringList{"1|Ёлкин Фёдор|+7 916 1|", "6|Олег Кузнецов|+7 916 2|Работа",
                           "12|Жанна||", "15|РёСЏ||"};

        QTest::newRow("4.0 with tel: URIs")
            << crlf("BEGIN:VCARD\n"
                    "VERSION:4.0\n"
                    "FN:Николай Смирнов\n"
                    "N:Смирнов;Николай;;;\n"
                    "TEL;VALUE=uri;PREF=1;TYPE=\"voice,home\":tel:+7-495-656-92-54;ext=102\n"
                    "TEL;VALUE=uri;TYPE=\"cell,voice\":tel:+7-916-262-65-01\n"
                    "END:VCARD\n"
                    "BEGIN:VCARD\n"
                    "VERSION:4.0\n"
                    "FN:Ext\n"
                    "TEL:tel:+7-916-000-00-00;ext=5\n"
                    "END:VCARD\n"
                    "BEGIN:VCARD\n"
                    "VERSION:4.0\n"
                    "FN:Encoded\n"
                    "TEL;VALUE=uri:TEL:%2B7916\n"
                    "END:VCARD\n")
            << QStringList{"1|Николай Смирнов|+7-916-262-65-01|", "8|Ext|+7-916-000-00-00|",
                           "13|Encoded|+7916|"};

        QTest::newRow("every way of typing a cell number")
            << QByteArray("BEGIN:VCARD\nFN:a\nTEL:1\nTEL;TYPE=cell,voice:2\nEND:VCARD\n"
                          "BEGIN:VCARD\nFN:b\nTEL:1\nTEL;type=VOICE;type=Cell:2\nEND:VCARD\n"
                          "BEGIN:VCARD\nFN:c\nTEL:1\nTEL;Cell;PREF:2\nEND:VCARD\n"
                          "BEGIN:VCARD\nFN:d\nTEL:1\nTEL;TYPE=\"CELL\":2\nEND:VCARD\n"
                          "BEGIN:VCARD\nFN:e\nTEL:1\ntel;X-PARAM=\"a;b:c\";type=cell:2\nEND:VCARD\n"
                          "BEGIN:VCARD\nFN:f\nTEL;HOME:1\nTEL;TYPE=CELL:\nTEL;WORK:3\nEND:VCARD\n")
            << QStringList{"1|a|2|", "6|b|2|", "11|c|2|", "16|d|2|", "21|e|2|", "26|f|1|"};

        QTest::newRow("names: FN, else given and family of N, else the company")
            << QByteArray(
                   "BEGIN:VCARD\nVERSION:3.0\nFN:\nN:Иванов;Иван;Иванович;Д-р;мл.\nEND:VCARD\n"
                   "BEGIN:VCARD\nVERSION:3.0\nN:Иванов;;;;\nEND:VCARD\n"
                   "BEGIN:VCARD\nVERSION:3.0\nN:;Иван;;;\nEND:VCARD\n"
                   "BEGIN:VCARD\nVERSION:3.0\nN:Смит\\; мл.;Джон\\,Дж;;;\nEND:VCARD\n"
                   "BEGIN:VCARD\nVERSION:3.0\nFN:  \nFN: Второй \nEND:VCARD\n"
                   "BEGIN:VCARD\nVERSION:3.0\nFN:a\\\\b\\nc\\Nd\\:e\nEND:VCARD\n"
                   "BEGIN:VCARD\nVERSION:2.1\nFN:C:\\new\\a\\;b\\,c\nEND:VCARD\n"
                   "BEGIN:VCARD\nVERSION:3.0\nORG:Только организация\nEND:VCARD\n")
            << QStringList{"1|Иван Иванов||",
                           "6|Иванов||",
                           "10|Иван||",
                           "14|Джон,Дж Смит; мл.||",
                           "18|Второй||",
                           "23|a\\b\nc\nd\\:e||",
                           "27|C:\\new\\a;b\\,c||",
                           "31|Только организация||"};

        QTest::newRow("folded lines: a blank or a tab, a long name cut inside a letter")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Констан\xD1\r\n"
                          " \x82\xD0\xB8\xD0\xBD Констант\r\n"
                          "\tинопольский\r\nTEL;TYPE=\r\n CELL:+7 916\r\n  123\r\nCATEG\r\n"
                          " ORIES:Работа\r\nEND:VCARD\r\n")
            << QStringList{"1|Константин Константинопольский|+7 916 123|Работа"};

        QTest::newRow("photos skipped: 3.0 folded, 2.1 indented, 2.1 bare lines")
            << crlf("BEGIN:VCARD\n"
                    "VERSION:3.0\n"
                    "FN:Один\n" +
                    photo30(40) +
                    "TEL;TYPE=CELL:1\n"
                    "END:VCARD\n"
                    "BEGIN:VCARD\n"
                    "VERSION:2.1\n"
                    "FN:Два\n"
                    "PHOTO;ENCODING=BASE64;TYPE=JPEG:\n"
                    "    /9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAMCAgICAgMCAgIDAwMDBAYEBAQEBAgGBgUGBwkI\n"
                    "    BwcHBwgJCwkJCgoKCgoKCw8MDQwNDAwNDQ0NDhAQDxAQEBAQEBAQEBD/2wBDAQMDAwQDBAgE\n"
                    "\n"
                    "TEL;CELL:2\n"
                    "END:VCARD\n"
                    "BEGIN:VCARD\n"
                    "VERSION:2.1\n"
                    "FN:Три\n"
                    "PHOTO;BASE64:\n"
                    "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAMCAgICAgMCAgIDAwMDBAYEBAQEBAgGBgUGBwkI\n"
                    "BwcHBwgJCwkJCgoKCgoKCw8MDQwNDAwNDQ0NDhAQDxAQEBAQEBAQEBD/2wBDAQMDAwQDBA==\n"
                    "\n"
                    "TEL;CELL:3\n"
                    "END:VCARD\n"
                    "BEGIN:VCARD\n"
                    "VERSION:3.0\n"
                    "FN;ENCODING=b:0JjQstCw0L0=\n"
                    "N:;Четыре;;;\n"
                    "END:VCARD\n")
            << QStringList{"1|Один|1|", "47|Два|2|", "56|Три|3|", "65|Четыре||"};

        QTest::newRow("LF line ends, junk between cards, a byte order mark")
            << QByteArray("\xEF\xBB\xBFSome export tool v1\n\n"
                          "BEGIN:VCARD\nVERSION:3.0\nFN:A\nEND:VCARD\n"
                          "garbage: that is no card\nFN:not in a card\n\n"
                          "begin:vcard\nversion:3.0\nfn:B\ntel;type=cell:2\nend:vcard\n"
                          "\xEF\xBB\xBF"
                          "BEGIN:VCARD\nFN:C\nEND:VCARD")
            << QStringList{"3|A||", "10|B|2|", "15|C||"};

        QTest::newRow("lone CR line ends")
            << QByteArray("BEGIN:VCARD\rFN:A\rEND:VCARD\r") << QStringList{"1|A||"};

        // Broken files.
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("only junk")
            << QByteArray("hello\r\nFN:x\r\n\r\n:::\r\n;;;\r\n=\r\n") << QStringList{};
        QTest::newRow("no END at the end of the file")
            << QByteArray("BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:B\r\nTEL:2")
            << QStringList{"1|A||", "4|B|2|"};
        QTest::newRow("only BEGIN") << QByteArray("BEGIN:VCARD") << QStringList{"1|||"};
        QTest::newRow("BEGIN inside BEGIN")
            << QByteArray("BEGIN:VCARD\nFN:A\nTEL:1\nBEGIN:VCARD\nFN:B\nEND:VCARD\nEND:VCARD\n")
            << QStringList{"1|A|1|", "4|B||"};
        QTest::newRow("lone = at a quoted-printable line end before END")
            << QByteArray("BEGIN:VCARD\nVERSION:2.1\nFN;QUOTED-PRINTABLE:Ivan=\nEND:VCARD\n"
                          "BEGIN:VCARD\nFN;ENCODING=QUOTED-PRINTABLE:=\nTEL;CELL:2\nEND:VCARD\n"
                          "BEGIN:VCARD\nFN;ENCODING=QUOTED-PRINTABLE:Ann=\nitem2.TEL:3\nEND:VCARD\n"
                          "BEGIN:VCARD\nFN;ENCODING=QUOTED-PRINTABLE:Olga=")
            << QStringList{"1|Ivan||", "5||2|", "9|Ann|3|", "13|Olga||"};
        QTest::newRow("soft break before a property, or before text with a colon")
            << QByteArray("BEGIN:VCARD\nFN;ENCODING=QUOTED-PRINTABLE:Anna Maria=\nN:a=\n"
                          "=20b\nEND:VCARD\n"
                          "BEGIN:VCARD\nFN;ENCODING=QUOTED-PRINTABLE:Anna=\nMaria: x=\n=20y\n"
                          "END:VCARD\n")
            << QStringList{"1|Anna Maria||", "6|AnnaMaria: x y||"};
        QTest::newRow("a continuation with nothing to continue")
            << QByteArray(" FN:x\nBEGIN:VCARD\n\n FN:y\nFN:z\nEND:VCARD\n") << QStringList{"2|z||"};
        QTest::newRow("quote left open in the parameters")
            << QByteArray("BEGIN:VCARD\nFN;X-A=\"b:Name\nTEL;TYPE=\"cell:7\nEND:VCARD\n")
            << QStringList{"1|Name|7|"};
        QTest::newRow("invalid UTF-8 is code page 1251")
            << QByteArray("BEGIN:VCARD\nFN;CHARSET=UTF-8:\xC0\xED\xFF\nEND:VCARD\n")
            << QStringList{"1|Аня||"};
    }
    void read() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, contacts);
        QCOMPARE(summary(VCardReader::read(file)), contacts);
    }

    // Every number of a card with its kind, mobile ones first, the others in card order.
    void numbers_data() {
        QTest::addColumn<QByteArray>("tels");
        QTest::addColumn<QString>("numbers");
        QTest::newRow("a good work number beside a bad mobile one")
            << QByteArray("TEL;WORK:+7 (495) 222-22-22\nTEL;CELL:*6655\n")
            << "cell *6655, work +7 (495) 222-22-22";
        QTest::newRow("several types: the one that names the number best; empty left out")
            << QByteArray("TEL;HOME:1\nTEL;TYPE=WORK,FAX:2\nTEL;TYPE=HOME;TYPE=CELL:3\n"
                          "TEL;PAGER;WORK:4\nTEL;CELL:\nTEL;TYPE=x-car:5\nTEL;CELL:6\n")
            << "cell 3, cell 6, home 1, fax 2, pager 4, other 5";
    }
    void numbers() {
        QFETCH(QByteArray, tels);
        QFETCH(QString, numbers);
        static const QStringList kKinds{"cell", "work", "home", "fax", "pager", "other"};
        const ImportedContacts contacts =
            VCardReader::read("BEGIN:VCARD\nFN:Иван\n" + tels + "END:VCARD\n");
        QStringList read;
        for (const ImportedNumber& each : contacts.value(0).numbers)
            read += kKinds[int(each.kind)] + u' ' + each.number;
        QCOMPARE(read.join(QStringLiteral(", ")), numbers);
        QCOMPARE(contacts.value(0).number, contacts.value(0).numbers.value(0).number);
    }

    // What our own export writes reads back field for field, awkward texts included.
    void exportReadsBack() {
        const QString longName = QStringLiteral("x") + QString(QStringLiteral("Щ")).repeated(60) +
                                 QStringLiteral(" x") + QString(QStringLiteral("ё")).repeated(50);
        const QList<BookGroup> book{
            group("Семья", {contact("Мама", "+79161111111", "Оля", "Olga", true),
                            contact("Петров, Пётр; мл.", "+7 (916) 000-00-02",
                                    "стр.1\nстр.2\\конец", "a,b;c")}),
            group("Пусто", {}),
            group("Работа; отдел, 2\\3",
                  {contact(longName, "8-916,1234;5", longName, longName), contact("Без номера", ""),
                   contact("\\n не перевод", "1", "", "", true)}),
        };
        const ImportedContacts read = VCardReader::read(BookExport::toVCard(book));
        QCOMPARE(read.size(), 5);
        const QList<BookEntry> contacts = book[0].contacts + book[2].contacts;
        const QStringList groups{"Семья", "Семья", "Работа; отдел, 2\\3", "Работа; отдел, 2\\3",
                                 "Работа; отдел, 2\\3"};
        int line = 1;
        for (qsizetype i = 0; i < read.size(); ++i) {
            QCOMPARE(read[i].name, contacts[i].caption);
            QCOMPARE(read[i].number, contacts[i].Number);
            QCOMPARE(read[i].group, groups[i]);
            QCOMPARE(read[i].signature, contacts[i].Sign);
            QCOMPARE(read[i].sender, contacts[i].Sender);
            QCOMPARE(read[i].translit, contacts[i].Translit);
            QCOMPARE(read[i].line, line);
            line += BookExport::toVCard({group(groups[i], {contacts[i]})}).count('\n');
        }
    }

    // A file of many cards with photos keeps every card and its own line.
    void manyCardsWithPhotos() {
        QByteArray file;
        for (int i = 0; i < 200; ++i)
            file +=
                crlf("BEGIN:VCARD\nVERSION:3.0\nFN:Контакт " + QByteArray::number(i) + "\n" +
                     photo30(i % 5) + "TEL;TYPE=CELL:" + QByteArray::number(i) + "\nEND:VCARD\n");
        const ImportedContacts contacts = VCardReader::read(file);
        QCOMPARE(contacts.size(), 200);
        int line = 1;
        for (int i = 0; i < 200; ++i) {
            QCOMPARE(contacts[i].name, QStringLiteral("Контакт ") + QString::number(i));
            QCOMPARE(contacts[i].number, QString::number(i));
            QCOMPARE(contacts[i].line, line);
            line += 6 + i % 5;
        }
    }
};

QTEST_GUILESS_MAIN(VCardReaderTest)
#include "VCardReaderTest.moc"
