#pragma once

#include <QJsonObject>
#include <QStringList>

// The first sheet of an .xlsx as xlsx_cells.py reads it, independent of the library that
// wrote it; {"error": …} when it cannot.
QJsonObject readXlsx(const QString& path);

// Row `row` (1-based) of columns A… as "kind:value" each ("text:=1+2", "date:2026-…"), "" for
// a cell not written.
QStringList xlsxRow(const QJsonObject& sheet, int row, int columns);
