#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// The text layer of a CSV file: its encoding, its separator and its records.
namespace CsvText {

// The file's text: UTF-8 with or without a byte order mark, UTF-16 LE or BE with one,
// and code page 1251 when the bytes are no valid UTF-8 (what a Russian Excel saves).
QString decode(const QByteArray& bytes);

// One record with the 1-based line where it begins; a quoted line break makes it span
// several lines.
struct Record {
    QStringList fields;
    int line = 0;

    // No field holds anything: an empty line, or only separators and spaces.
    bool isBlank() const;
    // The field at index, empty past the end of a short record.
    QString field(qsizetype index) const;
};

// Splits a text into records: fields in double quotes may hold the separator, doubled
// quotes and line breaks; spaces around a field outside quotes are dropped; a record ends
// at CR LF, LF or a lone CR outside quotes; a quote left open takes the rest of the text.
class RecordReader {
public:
    RecordReader(QStringView text, QChar separator);

    // The next record, false at the end of the text.
    bool next(Record& record);

private:
    QString readQuoted();
    QString readBare();
    void skipSpaces();
    void endRecord();
    bool isSpace(QChar c) const;

    QStringView m_text;
    QChar m_separator;
    qsizetype m_pos = 0;
    int m_line = 1;
};

// The separator of a text whose first non-blank record is its header: comma, semicolon or
// TAB, whichever splits that record into the most fields (ties in that order). Excel's
// "sep=X" first line names it outright; hasSepLine then tells the caller to skip that line.
QChar detectSeparator(QStringView text, bool* hasSepLine = nullptr);

} // namespace CsvText
