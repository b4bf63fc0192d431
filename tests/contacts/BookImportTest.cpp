#include "contacts/BookImport.h"
#include "contacts/ContactBook.h"
#include "contacts/PhoneNumbers.h"

#include <QRegularExpression>
#include <QTest>

namespace {

// A book as "Group[name number, ...] Group[]".
QString describe(const QList<BookGroup>& groups) {
    QStringList parts;
    for (const BookGroup& group : groups) {
        QStringList contacts;
        for (const BookEntry& contact : group.contacts)
            contacts << contact.caption + QLatin1Char(' ') + contact.Number;
        parts << group.entry.caption + QLatin1Char('[') + contacts.join(QStringLiteral(", ")) +
                     QLatin1Char(']');
    }
    return parts.join(QLatin1Char(' '));
}

// The inverse of describe() for the starting book; names are one word.
QList<BookGroup> book(const QString& text) {
    QList<BookGroup> groups;
    static const QRegularExpression groupPattern(QStringLiteral("([^\\[\\]]+)\\[([^\\]]*)\\]"));
    auto it = groupPattern.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        BookGroup group;
        group.entry.caption = match.captured(1).trimmed();
        for (const QString& contact :
             match.captured(2).split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
            BookEntry entry;
            entry.caption = contact.section(QLatin1Char(' '), 0, 0);
            entry.Name = entry.caption;
            entry.Number = contact.section(QLatin1Char(' '), 1);
            group.contacts.append(entry);
        }
        groups.append(group);
    }
    return groups;
}

// Rows as "name|numbers|group|flag" separated by "/", line numbers counted from 2 (after a
// header). Numbers are one as written, or a card's "kind:number;…" with the kind c, w, h, f,
// p or o; the flag "unclosed" marks a row whose quote never closed.
ImportedContacts rows(const QString& text) {
    static const QString kKinds = QStringLiteral("cwhfpo");
    ImportedContacts result;
    int line = 2;
    for (const QString& row : text.split(u'/', Qt::SkipEmptyParts)) {
        const QStringList fields = row.split(u'|');
        ImportedContact contact;
        contact.name = fields.value(0);
        contact.group = fields.value(2);
        contact.unclosedQuote = fields.value(3) == u"unclosed";
        contact.line = line++;
        const QString numbers = fields.value(1);
        if (numbers.size() > 1 && numbers[1] == u':') {
            for (const QString& number : numbers.split(u';'))
                contact.numbers.append({number.sliced(2), PhoneKind(kKinds.indexOf(number[0]))});
            contact.number = contact.numbers.front().number;
        } else {
            contact.number = numbers;
        }
        result.append(contact);
    }
    return result;
}

// A planned row as "line|name|number|group|fate|original name|more numbers".
QString describe(const BookImport::Row& row) {
    static const QStringList kFates{"new", "in book", "repeat", "invalid", "no number",
                                    "unclosed quote"};
    return QStringList{QString::number(row.line), row.name, row.number, row.group,
                       kFates[int(row.fate)], row.originalName, QString::number(row.moreNumbers)}
        .join(u'|');
}

const PhoneNumbers& numbers() {
    QString error;
    const PhoneNumbers* loaded = PhoneNumbers::get(&error);
    if (!loaded)
        qFatal("phone number module: %s", qPrintable(error));
    return *loaded;
}

} // namespace

class BookImportTest : public QObject {
    Q_OBJECT

private slots:
    void internationalForm_data() {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("international"); // empty: not a valid number

        QTest::newRow("trunk prefix 8") << "8 (916) 123-45-67" << "+79161234567";
        QTest::newRow("ten digits") << "9161234567" << "+79161234567";
        QTest::newRow("eleven digits with 7") << "79161234567" << "+79161234567";
        QTest::newRow("already international") << "+79161234567" << "+79161234567";
        QTest::newRow("spaced international") << "+7 916 123 45 67" << "+79161234567";
        QTest::newRow("British") << "+44 20 7946 0958" << "+442079460958";
        QTest::newRow("Moscow landline") << "8 495 123-45-67" << "+74951234567";
        QTest::newRow("tel URI") << "tel:+7-916-123-45-67" << "+79161234567";
        QTest::newRow("too short") << "123" << "";
        QTest::newRow("letters") << "Иван" << "";
        QTest::newRow("too long") << "+7 916 123 45 67 89 01 23" << "";
        QTest::newRow("empty") << "" << "";
    }
    void internationalForm() {
        QFETCH(QString, written);
        QFETCH(QString, international);
        QCOMPARE(numbers().international(written).value_or(QString()), international);
    }

    void plan_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("chosenGroup");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("duplicates");
        QTest::addColumn<QList<int>>("invalidLines");

        QTest::newRow("the file's group, made at the end")
            << "Работа[]" << "Иван|8 916 123-45-67|Друзья" << ""
            << "Работа[] Друзья[Иван +79161234567]" << 0 << QList<int>{};
        QTest::newRow("no group in the file: the chosen one")
            << "Работа[]" << "Иван|9161234567|" << "Работа"
            << "Работа[Иван +79161234567]" << 0 << QList<int>{};
        QTest::newRow("neither: Без группы")
            << "" << "Иван|9161234567|" << "  "
            << "Без группы[Иван +79161234567]" << 0 << QList<int>{};
        QTest::newRow("the file's group beats the chosen one")
            << "" << "Иван|9161234567|Друзья" << "Работа"
            << "Друзья[Иван +79161234567]" << 0 << QList<int>{};
        QTest::newRow("the last group of that caption")
            << "Друзья[] Работа[] Друзья[]" << "Иван|9161234567|Друзья" << ""
            << "Друзья[] Работа[] Друзья[Иван +79161234567]" << 0 << QList<int>{};
        QTest::newRow("captions match exactly")
            << "друзья[]" << "Иван|9161234567|Друзья" << ""
            << "друзья[] Друзья[Иван +79161234567]" << 0 << QList<int>{};
        QTest::newRow("duplicate of the book, written differently there")
            << "Друзья[Ваня 8 (916) 123-45-67]" << "Иван|+7 916 123 45 67|Друзья" << ""
            << "Друзья[Ваня 8 (916) 123-45-67]" << 1 << QList<int>{};
        QTest::newRow("same number in another group is no duplicate")
            << "Работа[Ваня +79161234567]" << "Иван|+79161234567|Друзья" << ""
            << "Работа[Ваня +79161234567] Друзья[Иван +79161234567]" << 0 << QList<int>{};
        QTest::newRow("a repeat earlier in the file is no duplicate of the book")
            << "" << "Иван|89161234567|Друзья/Ваня|9161234567|Друзья/Ира|9161234568|Друзья"
            << "" << "Друзья[Иван +79161234567, Ира +79161234568]" << 0 << QList<int>{};
        QTest::newRow("an earlier group of the caption does not count")
            << "Друзья[Ваня +79161234567] Друзья[]" << "Иван|9161234567|Друзья" << ""
            << "Друзья[Ваня +79161234567] Друзья[Иван +79161234567]" << 0 << QList<int>{};
        QTest::newRow("invalid and missing numbers are listed, not added")
            << "" << "Иван|123|/Пётр||/Ира|9161234568|" << ""
            << "Без группы[Ира +79161234568]" << 0 << QList<int>{2, 3};
        QTest::newRow("an invalid row makes no group")
            << "" << "Иван|123|Друзья" << "" << "" << 0 << QList<int>{2};
        QTest::newRow("a nameless contact is named by its number")
            << "" << "|8 916 123-45-67|" << ""
            << "Без группы[+79161234567 +79161234567]" << 0 << QList<int>{};
        QTest::newRow("a row naming only a group makes it empty, once")
            << "Работа[]" << "||Семья/||Работа/||Семья" << ""
            << "Работа[] Семья[]" << 0 << QList<int>{};
        QTest::newRow("group names are trimmed")
            << "Друзья[]" << "Иван|9161234567| Друзья " << ""
            << "Друзья[Иван +79161234567]" << 0 << QList<int>{};
    }
    void plan() {
        QFETCH(QString, before);
        QFETCH(QString, file);
        QFETCH(QString, chosenGroup);
        QFETCH(QString, after);
        QFETCH(int, duplicates);
        QFETCH(QList<int>, invalidLines);

        ContactBook target;
        target.setGroups(book(before));
        const BookImport::Plan plan =
            BookImport::plan(target.groups(), rows(file), chosenGroup, numbers());
        BookImport::apply(target, plan);

        QCOMPARE(describe(target.groups()), after);
        QCOMPARE(plan.duplicates, duplicates);
        QList<int> lines;
        for (const BookImport::Invalid& row : plan.invalid)
            lines << row.line;
        QCOMPARE(lines, invalidLines);
    }

    // Every row of the file with its fate; a card's numbers; names fitted to the book.
    void planRows_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("allNumbers");
        QTest::addColumn<QStringList>("planned");
        QTest::addColumn<QList<int>>("counts"); // added, duplicates, repeats, renamed, invalid

        const QString card = QStringLiteral(
            "Оля|c:*1;c:+79161111111;f:+74951111111;p:+74951111112;h:8 916 111-11-11;"
            "o:+74951111114|Семья");
        QTest::newRow("a card: the first valid number, the others counted")
            << card << false << QStringList{"2|Оля|+79161111111|Семья|new||4"}
            << QList<int>{1, 0, 0, 0, 0};
        QTest::newRow("a card, all numbers: each valid one named by its kind")
            << card << true
            << QStringList{"2|Оля|+79161111111|Семья|new||1",
                           "2|Оля (факс)|+74951111111|Семья|new||0",
                           "2|Оля (пейджер)|+74951111112|Семья|new||0",
                           "2|Оля (другой)|+74951111114|Семья|new||0"}
            << QList<int>{4, 0, 0, 0, 0};
        QTest::newRow("repeats in the file and numbers in the book counted apart")
            << "Иван|w:+74952222222;c:*6655|/|c:+79162222222;w:+74953333333|/"
               "Пётр|+7 495 333-33-33|/Ваня|8 916 000-00-01|"
            << true
            << QStringList{"2|Иван|+74952222222|Агайын|new||1",
                           "3|+79162222222|+79162222222|Агайын|new||0",
                           "3|+74953333333|+74953333333|Агайын|new||0",
                           "4|Пётр|+74953333333|Агайын|repeat||0",
                           "5|Ваня|+79160000001|Агайын|in book||0"}
            << QList<int>{3, 1, 1, 0, 0};
        QTest::newRow("no valid number, none, an unclosed quote; a group row not listed")
            << "Иван|c:*6655;w:123|/Пётр||/a,+7 916 900-00-02,b|||unclosed/"
               "Оля|+79161111111||unclosed/||Семья"
            << false
            << QStringList{"2|Иван|*6655|Агайын|invalid||1", "3|Пётр||Агайын|no number||0",
                           "4|a,+7 916 900-00-02,b||Агайын|unclosed quote||0",
                           "5|Оля|+79161111111|Агайын|unclosed quote||0"}
            << QList<int>{0, 0, 0, 0, 4};
        QTest::newRow("names and groups fitted, line breaks and TABs one blank each")
            << "Hans Müller|+49 30 1234567|Gäste/Zoë|+79161111111|/"
               "Айгүл\r\nҚасымова|+7 916\t111-11-12|Қо\rнақтар"
            << false
            << QStringList{"2|Hans Muller|+49301234567|Gaste|new|Hans Müller|0",
                           "3|Zoe|+79161111111|Агайын|new|Zoë|0",
                           "4|Айгул Касымова|+79161111112|Ко нактар|new|Айгүл Қасымова|0"}
            << QList<int>{3, 0, 0, 3, 0};
    }
    void planRows() {
        QFETCH(QString, file);
        QFETCH(bool, allNumbers);
        QFETCH(QStringList, planned);
        QFETCH(QList<int>, counts);

        const BookImport::Plan plan =
            BookImport::plan(book(QStringLiteral("Агайын[Ваня +79160000001]")), rows(file),
                             QStringLiteral("\tАғайын\r\n"), numbers(), {.allNumbers = allNumbers});
        QStringList described;
        for (const BookImport::Row& row : plan.rows)
            described += describe(row);
        QCOMPARE(described, planned);
        QCOMPARE((QList<int>{plan.added, plan.duplicates, plan.repeats, plan.renamed,
                             int(plan.invalid.size())}),
                 counts);
    }

    void planLeavesTheBookAlone() {
        ContactBook target;
        target.setGroups(book(QStringLiteral("Друзья[Ваня +79161234567]")));
        const QList<BookGroup> before = target.groups();
        const BookImport::Plan plan = BookImport::plan(
            before, rows(QStringLiteral("Иван|9161234568|Работа")), {}, numbers());
        QCOMPARE(plan.added, 1);
        QCOMPARE(plan.newGroups, 1);
        QCOMPARE(target.groups(), before);
    }

    void keepsTheOwnFields() {
        ImportedContact row;
        row.name = QStringLiteral("Очень длинное имя абонента, которое не режется никогда");
        row.number = QStringLiteral("+79161234567");
        row.signature = QStringLiteral("Ваш Иван");
        row.sender = QStringLiteral("IVAN");
        row.translit = true;
        ContactBook target;
        BookImport::apply(target, BookImport::plan({}, {row}, {}, numbers()));
        const BookEntry contact = target.groups().value(0).contacts.value(0);
        QCOMPARE(contact.caption, row.name);
        QCOMPARE(contact.Name, row.name);
        QCOMPARE(contact.Sign, row.signature);
        QCOMPARE(contact.Sender, row.sender);
        QVERIFY(contact.Translit);
    }
};

QTEST_GUILESS_MAIN(BookImportTest)
#include "BookImportTest.moc"
