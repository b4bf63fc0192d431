#include "contacts/BookImport.h"
#include "contacts/ContactBook.h"
#include "contacts/PhoneNumbers.h"

#include <QRegularExpression>
#include <QTest>

namespace {

// Rows as "name|number|group" separated by "/", line numbers counted from 2 (after a header).
ImportedContacts rows(const QString& text) {
    ImportedContacts result;
    int line = 2;
    for (const QString& row : text.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const QStringList fields = row.split(QLatin1Char('|'));
        ImportedContact contact;
        contact.name = fields.value(0);
        contact.number = fields.value(1);
        contact.group = fields.value(2);
        contact.line = line++;
        result.append(contact);
    }
    return result;
}

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
        QTest::newRow("duplicate earlier in the file")
            << "" << "Иван|89161234567|Друзья/Ваня|9161234567|Друзья/Ира|9161234568|Друзья"
            << "" << "Друзья[Иван +79161234567, Ира +79161234568]" << 1 << QList<int>{};
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
