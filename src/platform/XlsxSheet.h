#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QtGlobal>

#include <optional>

// The spreadsheet module's one sheet, as XlsxWorkbook describes it. The module is loaded at
// the first export: linking the spreadsheet library (and the compression and crypto libraries
// it pulls in) would cost every start of the program.
class XlsxSheet {
public:
    virtual ~XlsxSheet() = default;
    virtual void headerRow(const QStringList& titles) = 0;
    virtual void text(int row, int column, const QString& text, std::optional<quint32> fill) = 0;
    virtual void number(int row, int column, double value) = 0;
    virtual void dateTime(int row, int column, QDate date, QTime time) = 0;
    virtual QString close(double maxWidth) = 0;
};

// The module's function, looked up by name: a new sheet to be written to `path`.
extern "C" {
using OpenXlsxFunction = XlsxSheet* (*)(const QString& path, const QString& sheetName);
}

inline constexpr const char* kOpenXlsxSymbol = "varnelo_open_xlsx";
inline constexpr const char* kXlsxModuleFile = "varnelo_xlsx.so";
