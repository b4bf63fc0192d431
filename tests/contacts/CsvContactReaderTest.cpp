#include "contacts/CsvContactReader.h"
#include "BookEntries.h"
#include "contacts/BookExport.h"
#include "platform/Ansi.h"

#include <QStringEncoder>
#include <QTest>

#include <utility>

namespace {

// One contact as a line the failure message can show whole.
QString shown(const ImportedContact& contact) {
    return QString::number(contact.line) + u'|' + contact.name + u'|' + contact.number + u'|' +
           contact.group + u'|' + contact.signature + u'|' + contact.sender + u'|' +
           (contact.translit ? u'1' : u'0') +
           (contact.unclosedQuote ? QStringLiteral("|unclosed quote") : QString());
}

QString expected(int line, const QString& name, const QString& number, const QString& group = {},
                 const QString& signature = {}, const QString& sender = {}, bool translit = false) {
    ImportedContact contact;
    contact.line = line;
    contact.name = name;
    contact.number = number;
    contact.group = group;
    contact.signature = signature;
    contact.sender = sender;
    contact.translit = translit;
    return shown(contact);
}

QString unclosed(int line, const QString& name, const QString& number = {}) {
    ImportedContact contact;
    contact.line = line;
    contact.name = name;
    contact.number = number;
    contact.unclosedQuote = true;
    return shown(contact);
}

QStringList shown(const ImportedContacts& contacts) {
    QStringList lines;
    for (const ImportedContact& contact : contacts)
        lines += shown(contact);
    return lines;
}

QByteArray utf8(const char* text) {
    return QByteArray(text);
}

QByteArray encoded(QStringEncoder::Encoding encoding, const QString& text) {
    QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
    return encoder(text);
}

// A row of a wide export: the named cells in their columns, every other cell empty.
QByteArray tableRow(const QStringList& header, const QList<std::pair<QString, QString>>& cells) {
    QStringList fields(header.size());
    for (const auto& [column, value] : cells) {
        const qsizetype index = header.indexOf(column);
        Q_ASSERT(index >= 0);
        fields[index] = value;
    }
    QByteArray row;
    for (qsizetype i = 0; i < fields.size(); ++i)
        row += (i > 0 ? "," : "") + BookExport::csvField(fields[i]);
    return row + "\r\n";
}

QByteArray headerRow(const QStringList& header) {
    return header.join(u',').toUtf8() + "\r\n";
}

// Google Contacts' export, as Google writes its header.
const QStringList kGoogleHeader =
    QStringLiteral(
        "Name,Given Name,Additional Name,Family Name,Yomi Name,Given Name Yomi,Additional Name "
        "Yomi,"
        "Family Name Yomi,Name Prefix,Name Suffix,Initials,Nickname,Short Name,Maiden "
        "Name,Birthday,"
        "Gender,Location,Billing Information,Directory Server,Mileage,Occupation,Hobby,Sensitivity,"
        "Priority,Subject,Notes,Language,Photo,Group Membership,E-mail 1 - Type,E-mail 1 - Value,"
        "Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,Phone 2 - Value,Phone 3 - Type,"
        "Phone 3 - Value,Organization 1 - Type,Organization 1 - Name")
        .split(u',');

// Google's newer export: first, middle and last name, labels, and "Phone N - Label".
const QStringList kGoogleLabelsHeader =
    QStringLiteral("First Name,Middle Name,Last Name,Phonetic First Name,Nickname,File As,"
                   "Labels,E-mail 1 - Label,E-mail 1 - Value,Phone 1 - Label,Phone 1 - Value,"
                   "Phone 2 - Label,Phone 2 - Value")
        .split(u',');

// Outlook's export (part of its many columns, in its order).
const QStringList kOutlookHeader =
    QStringLiteral("Title,First Name,Middle Name,Last Name,Suffix,Company,Department,Job Title,"
                   "Business Street,Business City,Business Fax,Business Phone,Business Phone 2,"
                   "Callback,Car Phone,Company Main Phone,Home Fax,Home Phone,Home Phone 2,"
                   "Mobile Phone,Other Fax,Other Phone,Pager,Primary Phone,Birthday,Categories,"
                   "E-mail Address,E-mail Display Name,Notes")
        .split(u',');

// Line breaks in a text as an editor counts them: CR LF, LF and a lone CR are one each.
int lineBreaks(const QString& text) {
    int breaks = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' ||
            (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n')))
            ++breaks;
    }
    return breaks;
}

} // namespace

class CsvContactReaderTest : public QObject {
    Q_OBJECT

private slots:
    void read_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("contacts");

        // Separators.
        QTest::newRow("comma") << utf8("Имя,Телефон\r\nИван,+79161234567\r\n")
                               << QStringList{expected(2, "Иван", "+79161234567")};
        QTest::newRow("semicolon, commas in the data")
            << utf8("Имя;Телефон;Группа\nПетров, Пётр;+7 916 123-45-67;Работа, отдел\n")
            << QStringList{expected(2, "Петров, Пётр", "+7 916 123-45-67", "Работа, отдел")};
        QTest::newRow("TAB, spaces trimmed")
            << utf8("Name\tPhone\tGroup\n  Ivan Petrov \t +79160000001\tFriends\n")
            << QStringList{expected(2, "Ivan Petrov", "+79160000001", "Friends")};
        QTest::newRow("commas inside a quoted header are not counted")
            << utf8("Имя;Телефон;\"Заметки, прочее, ещё\"\nИван;+7916;a, b, c\n")
            << QStringList{expected(2, "Иван", "+7916")};
        QTest::newRow("tie: comma before semicolon")
            << utf8("Имя,Телефон,Группа;Подгруппа;\nИван,+7916,Семья;Дети;\n")
            << QStringList{expected(2, "Иван", "+7916")};
        QTest::newRow("tie: semicolon before TAB")
            << utf8("Имя;Телефон;Группа\tПодгруппа\t\nИван;+7916;Семья\tДети\t\n")
            << QStringList{expected(2, "Иван", "+7916")};
        QTest::newRow("separator counted on the header, not the empty rows before it")
            << utf8(";;;;\r\n\r\n ; ;\rИмя,Телефон\r\nИван,+7916\r\n")
            << QStringList{expected(5, "Иван", "+7916")};
        QTest::newRow("Excel sep= line")
            << utf8("sep=;\r\nИмя;Телефон;Заметки, прочее, ещё\r\nИван, Пётр;+7916;a, b\r\n")
            << QStringList{expected(3, "Иван, Пётр", "+7916")};

        // Quoting and records.
        const QByteArray header = "Имя,Телефон,Группа\r\n";
        QTest::newRow("doubled quotes")
            << header + utf8("\"Кафе \"\"Уют\"\"\",+7916,\"\"\"Свои\"\"\"\r\n")
            << QStringList{expected(2, "Кафе \"Уют\"", "+7916", "\"Свои\"")};
        QTest::newRow("LF inside quotes spans lines")
            << header + utf8("\"Иван\nПетров\",+7901,A\r\nПётр,+7902,B\r\n")
            << QStringList{expected(2, "Иван\nПетров", "+7901", "A"),
                           expected(4, "Пётр", "+7902", "B")};
        QTest::newRow("CR LF inside quotes is one line")
            << header + utf8("\"a\r\nb\r\n\r\nc\",+7901\r\nd,+7902\r\n")
            << QStringList{expected(2, "a\r\nb\r\n\r\nc", "+7901"), expected(6, "d", "+7902")};
        QTest::newRow("lone CR inside quotes is a line")
            << header + utf8("\"a\rb\",+7901\r\nd,+7902\r\n")
            << QStringList{expected(2, "a\rb", "+7901"), expected(4, "d", "+7902")};
        QTest::newRow("spaces around quotes dropped, inside kept")
            << header + utf8("  \"  Иван  \"  ,  +7916  ,  Семья  \r\n")
            << QStringList{expected(2, "  Иван  ", "+7916", "Семья")};
        QTest::newRow("quote inside a bare field is a character")
            << header + utf8("Диск 5\" в коробке,+7916,\r\n")
            << QStringList{expected(2, "Диск 5\" в коробке", "+7916")};
        QTest::newRow("text after the closing quote is kept")
            << header + utf8("\"Иван\" Петров,+7916,\r\n")
            << QStringList{expected(2, "Иван Петров", "+7916")};
        QTest::newRow("quote open at the end of the text: its line alone, the rest read")
            << header + utf8("Иван,+7916,Семья\r\nПётр,\"+7917,Работа\r\nОля,+7918\r\n")
            << QStringList{expected(2, "Иван", "+7916", "Семья"),
                           unclosed(3, "Пётр", "+7917,Работа"), expected(4, "Оля", "+7918")};
        QTest::newRow("quote closed lines later by a quoted name")
            << header + utf8("\"Оля,+7901,A\nИван,+7902,B\n\"Пётр\",+7903,C\n")
            << QStringList{unclosed(2, "Оля,+7901,A"), expected(3, "Иван", "+7902", "B"),
                           expected(4, "Пётр", "+7903", "C")};
        QTest::newRow("closed lines later, more fields than the header")
            << header + utf8("Оля,\"+7901,A\nИван,+7902,B\nДиск 5\",+7903,C,D\n")
            << QStringList{unclosed(2, "Оля", "+7901,A"), expected(3, "Иван", "+7902", "B"),
                           expected(4, "Диск 5\"", "+7903", "C")};
        QTest::newRow("a note over lines stays whole though its second line looks like a row")
            << utf8("Имя,Телефон,Заметка\nИван,+7901,\"после 18:00,\nспросить, про заказ, "
                    "срочно\"\nПётр,+7902,\n")
            << QStringList{expected(2, "Иван", "+7901"), expected(4, "Пётр", "+7902")};
        QByteArray longFile = header;
        QStringList longRead;
        for (int line = 2; line <= 30; ++line) {
            const QString row = line == 19 ? QStringLiteral("\"Незакрытая кавычка,+7 916 900-00-02")
                                           : QStringLiteral("Абонент %1,+7 916 900-00-%1").arg(line);
            longFile += row.toUtf8() + ",Тест\r\n";
            const QStringList fields = row.split(u',');
            longRead += line == 19 ? unclosed(19, row.sliced(1) + ",Тест")
                                   : expected(line, fields[0], fields[1], "Тест");
        }
        QTest::newRow("one unclosed quote among 29 rows costs its line only") << longFile << longRead;
        QTest::newRow("a cell our export guarded with ' reads as written")
            << utf8("Группа,Имя,Телефон,Подпись,Отправитель\r\n"
                    "'@Работа,'=СУММ(A1),'+ 7 916 123,'+Ваш Иван,'=IVAN\r\n"
                    "'Свои,'Иван,'+7916,'-5,''=x\r\n")
            << QStringList{expected(2, "=СУММ(A1)", "+ 7 916 123", "@Работа", "+Ваш Иван", "=IVAN"),
                           expected(3, "'Иван", "'+7916", "'Свои", "'-5", "''=x")};
        QTest::newRow("short row padded, long row cut")
            << header + utf8("Иван\r\nПётр,+7917,Работа,лишнее,\"ещё, одно\"\r\n")
            << QStringList{expected(2, "Иван", ""), expected(3, "Пётр", "+7917", "Работа")};
        QTest::newRow("blank rows skipped, lines still counted")
            << header + utf8("\r\nИван,+7916\r\n   \r\n,,\r\n\"\",\r\nПётр,+7917")
            << QStringList{expected(3, "Иван", "+7916"), expected(7, "Пётр", "+7917")};
        QTest::newRow("LF row ends, no final line break")
            << utf8("Имя,Телефон\nИван,+7916\nПётр,+7917")
            << QStringList{expected(2, "Иван", "+7916"), expected(3, "Пётр", "+7917")};
        QTest::newRow("lone CR row ends")
            << utf8("Имя,Телефон\rИван,+7916\rПётр,+7917\r")
            << QStringList{expected(2, "Иван", "+7916"), expected(3, "Пётр", "+7917")};
        QTest::newRow("blank lines before the header")
            << utf8("\r\n  \r\nИмя,Телефон\r\nИван,+7916\r\n")
            << QStringList{expected(4, "Иван", "+7916")};
        QTest::newRow("header only") << utf8("Имя,Телефон\r\n") << QStringList{};
        QTest::newRow("quoted header cells") << utf8("\"Имя\",\" Телефон \"\r\nИван,+7916\r\n")
                                             << QStringList{expected(2, "Иван", "+7916")};
        QTest::newRow("number trimmed inside quotes") << utf8("Имя,Телефон\r\nИван,\" +7916 \"\r\n")
                                                      << QStringList{expected(2, "Иван", "+7916")};

        // Russian and hand-made headers.
        QTest::newRow("Имя alone is the whole name")
            << utf8("Имя;Телефон\nПетров Иван Иванович;8 916 123 45 67\n")
            << QStringList{expected(2, "Петров Иван Иванович", "8 916 123 45 67")};
        QTest::newRow("Имя beside Фамилия is the first name")
            << utf8("Фамилия;Имя;Отчество;Мобильный телефон;Рабочий телефон;Группа\n"
                    "Петров;Иван;Иванович;;+7 495 111-22-33;Работа\n"
                    "Сидорова;Анна;;+7 916 000-00-01;+7 495 000-00-02;\n"
                    ";Оля;;;;Семья\n")
            << QStringList{expected(2, "Иван Иванович Петров", "+7 495 111-22-33", "Работа"),
                           expected(3, "Анна Сидорова", "+7 916 000-00-01"),
                           expected(4, "Оля", "", "Семья")};
        QTest::newRow("ФИО, Номер телефона, Категории")
            << utf8("ФИО,Номер телефона,Категории\nПетров И.И.,+7916,\"Друзья; Работа\"\n")
            << QStringList{expected(2, "Петров И.И.", "+7916", "Друзья")};
        QTest::newRow("case and spaces ignored in headers")
            << utf8("  фиО , ТЕЛЕФОН  ,  группа\nИван,+7916,Семья\n")
            << QStringList{expected(2, "Иван", "+7916", "Семья")};
        QTest::newRow("Телефон 2 is a phone column")
            << utf8("Имя,Телефон,Телефон 2,Мобильный\nИван,,+7495,\nПётр,+7495,+7496,+7916\n")
            << QStringList{expected(2, "Иван", "+7495"), expected(3, "Пётр", "+7916")};
        QTest::newRow("English: Full Name, Phone Number, Group")
            << utf8("Full Name,Email,Phone Number,Group\nJohn Smith,j@example.com,+1 555 0100,"
                    "Clients\n")
            << QStringList{expected(2, "John Smith", "+1 555 0100", "Clients")};
        QTest::newRow("Display Name before first and last")
            << utf8("First Name,Last Name,Display Name,Cell\nJohn,Smith,Johnny,+1555\n"
                    "Jane,Doe,,+1556\n")
            << QStringList{expected(2, "Johnny", "+1555"), expected(3, "Jane Doe", "+1556")};

        // Our own export's columns.
        QTest::newRow("our own columns")
            << utf8("Группа,Имя,Телефон,Подпись,Отправитель,Транслит\r\n"
                    "Семья,Мама,+79161111111,Оля,Olga,1\r\n"
                    "Семья,Папа,+79161111112,,,0\r\n"
                    "Пусто,,,,,\r\n")
            << QStringList{expected(2, "Мама", "+79161111111", "Семья", "Оля", "Olga", true),
                           expected(3, "Папа", "+79161111112", "Семья"),
                           expected(4, "", "", "Пусто")};

        // Google Contacts.
        const QByteArray google = headerRow(kGoogleHeader);
        QTest::newRow("Google: the mobile number, the first label of the user's")
            << google + tableRow(kGoogleHeader,
                                 {{"Name", "Иван Петров"},
                                  {"Given Name", "Иван"},
                                  {"Family Name", "Петров"},
                                  {"Group Membership", "* myContacts ::: Друзья ::: * starred"},
                                  {"E-mail 1 - Type", "* Home"},
                                  {"E-mail 1 - Value", "ivan@example.com"},
                                  {"Phone 1 - Type", "Work"},
                                  {"Phone 1 - Value", "+7 495 123-45-67"},
                                  {"Phone 2 - Type", "Mobile"},
                                  {"Phone 2 - Value", "+7 916 123-45-67 ::: +7 916 000-00-00"}})
            << QStringList{expected(2, "Иван Петров", "+7 916 123-45-67", "Друзья")};
        QTest::newRow("Google: primary mobile marked with a star, any case")
            << google + tableRow(kGoogleHeader, {{"Name", "Оля"},
                                                 {"Phone 1 - Type", "Home"},
                                                 {"Phone 1 - Value", "+7 495 000-00-01"},
                                                 {"Phone 2 - Type", "Other"},
                                                 {"Phone 2 - Value", "+7 495 000-00-02"},
                                                 {"Phone 3 - Type", "* MOBILE"},
                                                 {"Phone 3 - Value", "+7 916 000-00-03"}})
            << QStringList{expected(2, "Оля", "+7 916 000-00-03")};
        QTest::newRow("Google: no mobile, the first number there is")
            << google + tableRow(kGoogleHeader, {{"Name", "Офис"},
                                                 {"Group Membership", "* myContacts"},
                                                 {"Phone 1 - Type", "Work"},
                                                 {"Phone 2 - Type", "Home"},
                                                 {"Phone 2 - Value", " ::: +7 495 000-00-02"},
                                                 {"Phone 3 - Type", "Work"},
                                                 {"Phone 3 - Value", "+7 495 000-00-03"}})
            << QStringList{expected(2, "Офис", "+7 495 000-00-02")};
        QTest::newRow("Google: empty Name, the parts joined")
            << google + tableRow(kGoogleHeader, {{"Given Name", "Иван"},
                                                 {"Additional Name", "Иванович"},
                                                 {"Family Name", "Петров"},
                                                 {"Nickname", "Ваня"},
                                                 {"Phone 1 - Type", "Mobile"},
                                                 {"Phone 1 - Value", "+7916"}})
            << QStringList{expected(2, "Иван Иванович Петров", "+7916")};
        QTest::newRow("Google: labels and Phone N - Label")
            << headerRow(kGoogleLabelsHeader) +
                   tableRow(kGoogleLabelsHeader, {{"First Name", "Anna"},
                                                  {"Last Name", "Smith"},
                                                  {"Labels", "* starred ::: Coworkers ::: Family"},
                                                  {"Phone 1 - Label", "Work"},
                                                  {"Phone 1 - Value", "+1 555 0101"},
                                                  {"Phone 2 - Label", "Mobile"},
                                                  {"Phone 2 - Value", "+1 555 0102"}})
            << QStringList{expected(2, "Anna Smith", "+1 555 0102", "Coworkers")};

        // Outlook.
        const QByteArray outlook = headerRow(kOutlookHeader);
        QTest::newRow("Outlook: Mobile Phone before an earlier Business Phone")
            << outlook + tableRow(kOutlookHeader, {{"Title", "Mr."},
                                                   {"First Name", "Иван"},
                                                   {"Middle Name", "Иванович"},
                                                   {"Last Name", "Петров"},
                                                   {"Company", "ООО \"Ромашка\", филиал"},
                                                   {"Business Phone", "+7 495 111-11-11"},
                                                   {"Mobile Phone", "+7 916 111-11-11"},
                                                   {"Categories", "Клиенты;Работа"}})
            << QStringList{expected(2, "Иван Иванович Петров", "+7 916 111-11-11", "Клиенты")};
        QTest::newRow("Outlook: a fax is no phone, Home Phone 2 is")
            << outlook + tableRow(kOutlookHeader, {{"First Name", "Анна"},
                                                   {"Business Fax", "+7 495 000-00-00"},
                                                   {"Home Phone 2", "+7 495 222-22-22"},
                                                   {"Categories", "Семья, Друзья"}})
            << QStringList{expected(2, "Анна", "+7 495 222-22-22", "Семья")};

        // Broken input that is still a table.
        QTest::newRow("NUL bytes in a field")
            << QByteArray("Name,Phone\r\nIv\0an,+7916\r\n", 25)
            << QStringList{expected(2, QString::fromLatin1("Iv\0an", 5), "+7916")};
        QTest::newRow("a lone quote after the header")
            << utf8("Имя,Телефон\r\n\"") << QStringList{};
        QTest::newRow("quotes only") << utf8("Имя,Телефон\r\n\"\"\"\"\"\"\"\r\n")
                                     << QStringList{unclosed(2, "\"\"\"")};
        QTest::newRow("a lone quote line between rows is dropped")
            << utf8("Имя,Телефон\r\n\"\r\nИван,+7916\r\n")
            << QStringList{expected(3, "Иван", "+7916")};
        QTest::newRow("UTF-16 cut in the middle of a character")
            << encoded(QStringEncoder::Utf16LE, "Имя,Телефон\nИван,+7916\n").append('\x01')
            << QStringList{expected(2, "Иван", "+7916")};
    }
    void read() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, contacts);
        const std::optional<ImportedContacts> read = CsvContactReader::read(bytes);
        QVERIFY(read.has_value());
        QCOMPARE(shown(*read), contacts);
    }

    // The same table in every encoding a contact file comes in.
    void encodings_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QString text = QStringLiteral("Имя;Телефон;Группа\r\n"
                                            "Пётр Ёлкин;+7 916 123-45-67;Семья «Ё»\r\n");
        QTest::newRow("UTF-8") << text.toUtf8();
        QTest::newRow("UTF-8 with BOM") << "\xEF\xBB\xBF" + text.toUtf8();
        QTest::newRow("UTF-16 LE") << encoded(QStringEncoder::Utf16LE, text);
        QTest::newRow("UTF-16 BE") << encoded(QStringEncoder::Utf16BE, text);
        QTest::newRow("code page 1251") << Ansi::fromUnicode(text);
    }
    void encodings() {
        QFETCH(QByteArray, bytes);
        const std::optional<ImportedContacts> read = CsvContactReader::read(bytes);
        QVERIFY(read.has_value());
        QCOMPARE(shown(*read),
                 QStringList{expected(2, "Пётр Ёлкин", "+7 916 123-45-67", "Семья «Ё»")});
    }

    // A file in code page 1251 that is plain ASCII up to a last letter that looks like the
    // start of a UTF-8 character.
    void codePageLetterAtTheEnd() {
        const std::optional<ImportedContacts> read = CsvContactReader::read(
            Ansi::fromUnicode(QStringLiteral("Name,Phone,Group\r\nIvan,+7916,Я")));
        QVERIFY(read.has_value());
        QCOMPARE(shown(*read), QStringList{expected(2, "Ivan", "+7916", "Я")});
    }

    void charactersOutsideTheCodePageSurviveUtf16() {
        const QString name = QStringLiteral("Zoë 王 😀");
        const std::optional<ImportedContacts> read = CsvContactReader::read(
            encoded(QStringEncoder::Utf16LE, "Name,Phone\r\n" + name + ",+7916\r\n"));
        QVERIFY(read.has_value());
        QCOMPARE(shown(*read), QStringList{expected(2, name, "+7916")});
    }

    void notAContactTable_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("BOM only") << utf8("\xEF\xBB\xBF");
        QTest::newRow("blank lines") << utf8("\r\n \r\n,,,\r\n");
        QTest::newRow("e-mail list") << utf8("Name,E-mail\r\nIvan,ivan@example.com\r\n");
        QTest::newRow("fax is no phone") << utf8("Name,Business Fax\r\nIvan,+7495\r\n");
        QTest::newRow("Google type without value")
            << utf8("Name,Phone 1 - Type\r\nIvan,Mobile\r\n");
        QTest::newRow("no header, numbers at once") << utf8("Иван,+79161234567\r\n");
        QTest::newRow("vCard") << utf8("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Иван\r\n"
                                       "TEL;TYPE=CELL:+7916\r\nEND:VCARD\r\n");
        QTest::newRow("header hidden in quotes") << utf8("\"Имя,Телефон\r\nИван,+7916\r\n");
        static const char kPngStart[] = "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF\xFE";
        QTest::newRow("binary") << QByteArray(kPngStart, sizeof kPngStart - 1);
        QTest::newRow("UTF-16 BOM alone") << utf8("\xFF\xFE");
    }
    void notAContactTable() {
        QFETCH(QByteArray, bytes);
        QCOMPARE(CsvContactReader::read(bytes).has_value(), false);
    }

    // Our own export read back: every contact and every empty group as it was, awkward
    // texts in every field, lines counted across the line breaks they hold.
    void roundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "Иван Петров";
        QTest::newRow("comma") << "Петров, Пётр";
        QTest::newRow("semicolon") << "a;b";
        QTest::newRow("TAB inside") << "a\tb";
        QTest::newRow("quotes") << "Кафе \"Уют\"";
        QTest::newRow("starts with a quote") << "\"Уют\" и ко";
        QTest::newRow("LF") << "стр.1\nстр.2";
        QTest::newRow("CR LF") << "стр.1\r\nстр.2";
        QTest::newRow("lone CR") << "стр.1\rстр.2";
        QTest::newRow("blank line inside") << "a\r\n\r\nb";
        QTest::newRow("spaces around") << "  Иван  ";
        QTest::newRow("TAB at the ends") << "\tИван\t";
        QTest::newRow("Google's joiner and star") << "* starred ::: Друзья";
        QTest::newRow("categories separators") << "Работа; Клиенты, VIP";
        QTest::newRow("outside the code page") << "Zoë 王 😀";
        QTest::newRow("header words") << "Телефон";
        QTest::newRow("sep= line") << "sep=;";
    }
    void roundTrip() {
        QFETCH(QString, text);
        const QString number = text.trimmed() == text ? text : QStringLiteral("+79161234567");
        const QList<BookGroup> book{
            BookEntries::group(text, {BookEntries::contact(text, number, text, text, true),
                                      BookEntries::contact("Мама", "+79160000001", {}, {}, false)}),
            BookEntries::group("Пусто", {}),
            BookEntries::group("Работа", {BookEntries::contact({}, "+79160000002", {}, {}, false)}),
        };
        // The first row holds the text four or five times, the second once (its group).
        const int firstRowBreaks = lineBreaks(text) * (number == text ? 5 : 4);
        const int breaks = firstRowBreaks + lineBreaks(text);
        const QStringList contacts{
            expected(2, text, number, text, text, text, true),
            expected(3 + firstRowBreaks, "Мама", "+79160000001", text),
            expected(4 + breaks, "", "", "Пусто"),
            expected(5 + breaks, "", "+79160000002", "Работа"),
        };
        const std::optional<ImportedContacts> read =
            CsvContactReader::read(BookExport::toCsv(book));
        QVERIFY(read.has_value());
        QCOMPARE(shown(*read), contacts);
        QVERIFY(read->at(2).namesGroupOnly());
        QVERIFY(!read->at(3).namesGroupOnly());
    }
};

QTEST_GUILESS_MAIN(CsvContactReaderTest)
#include "CsvContactReaderTest.moc"
