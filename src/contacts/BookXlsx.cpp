#include "BookXlsx.h"

#include "BookExport.h"
#include "platform/XlsxWorkbook.h"

namespace BookXlsx {

QString write(const QString& path, const QList<BookGroup>& groups) {
    const QList<QStringList> rows = BookExport::table(groups);
    XlsxWorkbook workbook(path, QStringLiteral("Контакты"));
    workbook.headerRow(rows.first());
    for (int row = 1; row < rows.size(); ++row)
        for (int column = 0; column < rows[row].size(); ++column)
            workbook.text(row, column, rows[row][column]);
    return workbook.close();
}

} // namespace BookXlsx
