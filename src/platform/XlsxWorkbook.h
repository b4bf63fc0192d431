#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QtGlobal>

#include <memory>
#include <optional>

class XlsxSheet;

// A workbook of one sheet for spreadsheets, written row by row. Nothing a cell holds is ever
// taken for a formula or a number: text goes in as text. The file is made beside `path` and
// renamed over it at close(), so a failed export leaves the old file as it was; like a file
// saved through a save prompt, it keeps the mode of the file it replaces. The spreadsheet
// library lives in a module loaded at the first workbook; close() tells when it cannot be.
class XlsxWorkbook {
public:
    explicit XlsxWorkbook(const QString& path, const QString& sheetName);
    ~XlsxWorkbook();
    XlsxWorkbook(const XlsxWorkbook&) = delete;
    XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

    // Row 0: the titles in bold, kept in view while scrolling, with a filter over the columns.
    void headerRow(const QStringList& titles);
    // `fill` is a colour 0xRRGGBB for the cell's background.
    void text(int row, int column, const QString& text, std::optional<quint32> fill = {});
    void number(int row, int column, double value);
    // A real date-time value shown as DD.MM.YYYY HH:MM:SS; one outside the years spreadsheets
    // can show (1900 to 9999) leaves the cell empty.
    void dateTime(int row, int column, QDate date, QTime time);

    // Writes the file with each column as wide as its longest line, at most `maxWidth`
    // characters. Returns an empty string on success, else a readable error.
    QString close(double maxWidth = 60);

private:
    std::unique_ptr<XlsxSheet> m_sheet;
    QString m_error; // the module could not be loaded
};
