#include "XlsxWorkbook.h"

#include "platform/ModuleFiles.h"
#include "platform/XlsxSheet.h"

namespace {

OpenXlsxFunction openFunction(QString* error) {
    static QString loadError;
    static const OpenXlsxFunction function = reinterpret_cast<OpenXlsxFunction>(
        ModuleFiles::load(QString::fromLatin1(kXlsxModuleFile), kOpenXlsxSymbol, &loadError));
    if (!function)
        *error = loadError;
    return function;
}

} // namespace

XlsxWorkbook::XlsxWorkbook(const QString& path, const QString& sheetName) {
    if (const OpenXlsxFunction open = openFunction(&m_error))
        m_sheet.reset(open(path, sheetName));
}

XlsxWorkbook::~XlsxWorkbook() = default;

void XlsxWorkbook::headerRow(const QStringList& titles) {
    if (m_sheet)
        m_sheet->headerRow(titles);
}

void XlsxWorkbook::text(int row, int column, const QString& text, std::optional<quint32> fill) {
    if (m_sheet)
        m_sheet->text(row, column, text, fill);
}

void XlsxWorkbook::number(int row, int column, double value) {
    if (m_sheet)
        m_sheet->number(row, column, value);
}

void XlsxWorkbook::dateTime(int row, int column, QDate date, QTime time) {
    if (m_sheet)
        m_sheet->dateTime(row, column, date, time);
}

QString XlsxWorkbook::close(double maxWidth) {
    if (!m_sheet)
        return QStringLiteral("the spreadsheet module cannot be loaded: %1").arg(m_error);
    return m_sheet->close(maxWidth);
}
