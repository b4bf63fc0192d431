#include "platform/XlsxSheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <sys/stat.h>

namespace {

// What spreadsheets add to a column's width for the filter button of its title.
constexpr double kTitlePadding = 2;

qsizetype longestLine(const QString& text) {
    qsizetype longest = 0;
    qsizetype line = 0;
    for (const QChar c : text) {
        if (c == u'\n' || c == u'\r') {
            line = 0;
            continue;
        }
        longest = std::max(longest, ++line);
    }
    return longest;
}

// The sheet written with libxlsxwriter.
class LxwSheet final : public XlsxSheet {
public:
    LxwSheet(const QString& path, const QString& sheetName);
    ~LxwSheet() override;

    void headerRow(const QStringList& titles) override;
    void text(int row, int column, const QString& text, std::optional<quint32> fill) override;
    void number(int row, int column, double value) override;
    void dateTime(int row, int column, QDate date, QTime time) override;
    QString close(double maxWidth) override;

private:
    void fail(int error);
    void widen(int column, qsizetype characters);
    lxw_format* fillFormat(quint32 rgb);

    QString m_path;
    QString m_partPath;
    QString m_error;
    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_bold = nullptr;
    lxw_format* m_moment = nullptr;
    QList<std::pair<quint32, lxw_format*>> m_fills;
    QList<qsizetype> m_widths;
    int m_lastRow = 0;
};

} // namespace

LxwSheet::LxwSheet(const QString& path, const QString& sheetName)
    : m_path(path) {
    const QFileInfo target(path);
    QDir().mkpath(target.absolutePath());
    m_partPath = target.absoluteDir().filePath(
        QStringLiteral(".%1.%2")
            .arg(target.fileName())
            .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    // Made here rather than by the library so that it gets the creation mask's mode, or the
    // mode of the file it will replace.
    QFile part(m_partPath);
    if (!part.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        m_error = part.errorString();
        m_partPath.clear();
        return;
    }
    struct stat old {};
    if (::stat(QFile::encodeName(path).constData(), &old) == 0)
        ::fchmod(part.handle(), old.st_mode & 07777);
    part.close();

    // Rows go to a temporary file as they are written, so a long history takes no more
    // memory than one row.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    m_workbook = workbook_new_opt(QFile::encodeName(m_partPath).constData(), &options);
    if (m_workbook)
        m_sheet = workbook_add_worksheet(m_workbook, sheetName.toUtf8().constData());
    if (!m_sheet) {
        m_error = QStringLiteral("cannot start the workbook");
        return;
    }
    m_bold = workbook_add_format(m_workbook);
    format_set_bold(m_bold);
    m_moment = workbook_add_format(m_workbook);
    format_set_num_format(m_moment, "dd.mm.yyyy hh:mm:ss");
}

LxwSheet::~LxwSheet() {
    if (m_workbook)
        lxw_workbook_free(m_workbook);
    if (!m_partPath.isEmpty())
        QFile::remove(m_partPath);
}

void LxwSheet::headerRow(const QStringList& titles) {
    if (!m_sheet)
        return;
    for (qsizetype column = 0; column < titles.size(); ++column) {
        fail(worksheet_write_string(m_sheet, 0, lxw_col_t(column),
                                    titles[column].toUtf8().constData(), m_bold));
        widen(int(column), longestLine(titles[column]) + qsizetype(kTitlePadding));
    }
    worksheet_freeze_panes(m_sheet, 1, 0);
}

void LxwSheet::text(int row, int column, const QString& text, std::optional<quint32> fill) {
    if (!m_sheet)
        return;
    lxw_format* format = fill ? fillFormat(*fill) : nullptr;
    fail(worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(column),
                                text.toUtf8().constData(), format));
    m_lastRow = std::max(m_lastRow, row);
    widen(column, longestLine(text));
}

void LxwSheet::number(int row, int column, double value) {
    if (!m_sheet)
        return;
    fail(worksheet_write_number(m_sheet, lxw_row_t(row), lxw_col_t(column), value, nullptr));
    m_lastRow = std::max(m_lastRow, row);
    widen(column, QString::number(value, 'g', 15).size());
}

void LxwSheet::dateTime(int row, int column, QDate date, QTime time) {
    if (!m_sheet || date.year() < 1900 || date.year() > 9999)
        return;
    lxw_datetime moment{};
    moment.year = date.year();
    moment.month = date.month();
    moment.day = date.day();
    moment.hour = time.hour();
    moment.min = time.minute();
    moment.sec = time.second();
    fail(worksheet_write_datetime(m_sheet, lxw_row_t(row), lxw_col_t(column), &moment, m_moment));
    m_lastRow = std::max(m_lastRow, row);
    widen(column, qsizetype(sizeof("DD.MM.YYYY HH:MM:SS") - 1));
}

QString LxwSheet::close(double maxWidth) {
    if (m_sheet && m_error.isEmpty()) {
        for (qsizetype column = 0; column < m_widths.size(); ++column)
            worksheet_set_column(m_sheet, lxw_col_t(column), lxw_col_t(column),
                                 std::min(maxWidth, double(m_widths[column]) + 1), nullptr);
        if (!m_widths.isEmpty())
            fail(worksheet_autofilter(m_sheet, 0, 0, lxw_row_t(m_lastRow),
                                      lxw_col_t(m_widths.size() - 1)));
    }
    if (m_workbook) {
        // Closing frees the workbook whether or not the file could be written.
        const lxw_error closed = workbook_close(m_workbook);
        m_workbook = nullptr;
        m_sheet = nullptr;
        fail(closed);
    }
    if (m_error.isEmpty() && std::rename(QFile::encodeName(m_partPath).constData(),
                                         QFile::encodeName(m_path).constData()) != 0)
        m_error = qt_error_string(errno);
    if (!m_error.isEmpty())
        QFile::remove(m_partPath);
    m_partPath.clear();
    return m_error;
}

void LxwSheet::fail(int error) {
    if (error != LXW_NO_ERROR && m_error.isEmpty())
        m_error = QString::fromUtf8(lxw_strerror(lxw_error(error)));
}

void LxwSheet::widen(int column, qsizetype characters) {
    if (m_widths.size() <= column)
        m_widths.resize(column + 1);
    m_widths[column] = std::max(m_widths[column], characters);
}

lxw_format* LxwSheet::fillFormat(quint32 rgb) {
    for (const auto& [colour, format] : m_fills)
        if (colour == rgb)
            return format;
    lxw_format* format = workbook_add_format(m_workbook);
    format_set_pattern(format, LXW_PATTERN_SOLID);
    format_set_bg_color(format, lxw_color_t(rgb));
    m_fills.append({rgb, format});
    return format;
}

extern "C" __attribute__((visibility("default"))) XlsxSheet*
varnelo_open_xlsx(const QString& path, const QString& sheetName) {
    return new LxwSheet(path, sheetName);
}
