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
    // Reads from start, which is the beginning of the given line.
    RecordReader(QStringView text, QChar separator, qsizetype start = 0, int line = 1);

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

// How a text is laid out before its first record: its separator, and where its header
// begins once empty rows (and Excel's "sep=X" line, which names the separator) are passed.
struct Dialect {
    QChar separator = u',';
    qsizetype headerStart = 0;
    int headerLine = 1;
};

// The separator is comma, semicolon or TAB, whichever appears most often outside quotes on
// the first line that holds more than separators and spaces; ties go in that order.
Dialect detectDialect(QStringView text);

} // namespace CsvText
