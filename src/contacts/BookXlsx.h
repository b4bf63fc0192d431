#pragma once

#include "shared/BookGroup.h"

#include <QList>
#include <QString>

// The contact book as an Excel workbook: the table of BookExport on one sheet, every cell
// text, so that numbers keep their "+" and leading zeros and no name becomes a formula.
namespace BookXlsx {

// Puts the workbook in place of `path`. Returns an empty string on success, else a readable
// error.
QString write(const QString& path, const QList<BookGroup>& groups);

} // namespace BookXlsx
