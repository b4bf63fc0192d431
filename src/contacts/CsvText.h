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
    // The line opened a quote it never closed: its fields are the line alone, the quote
    // running to its end.
    bool unclosedQuote = false;

    // No field holds anything: an empty line, or only separators and spaces.
    bool isBlank() const;
    // The field at index, empty past the end of a short record.
    QString field(qsizetype index) const;
};

// Splits a text into records: fields in double quotes may hold the separator, doubled
// quotes and line breaks; spaces around a field outside quotes are dropped; a record ends
// at CR LF, LF or a lone CR outside quotes. Before the width of the table is known a quote
// left open takes the rest of the text; after it, see setWidth().
class RecordReader {
public:
    // Reads from start, which is the beginning of the given line.
    RecordReader(QStringView text, QChar separator, qsizetype start = 0, int line = 1);

    // The header's field count, which tells a quote never closed from a field that really
    // spans lines. A quoted field that runs over a line break is taken for an unclosed quote
    // when it is still open at the end of the text, or when its record comes out malformed
    // (text after the closing quote, or more fields than the header) while the line after
    // its first line reads alone as a record of exactly the header's width. Then that first
    // line alone is the record, marked unclosedQuote, and reading goes on at the next line.
    // A well-formed record, such as our own export of a name with a line break, stays whole.
    void setWidth(qsizetype width);

    // The next record, false at the end of the text.
    bool next(Record& record);

private:
    void readRecord(Record& record);
    bool looksUnclosed(const Record& record) const;
    bool lineAfterFits(qsizetype lineEnd) const;
    qsizetype lineEndFrom(qsizetype pos) const;
    QString readQuoted();
    QString readBare();
    void skipSpaces();
    void endRecord();
    bool isSpace(QChar c) const;

    QStringView m_text;
    QChar m_separator;
    qsizetype m_pos = 0;
    int m_line = 1;
    qsizetype m_width = 0;
    qsizetype m_lastQuote = -1;
    // Of the record being read: where its first line ends inside quotes (-1: it does not),
    // whether a quote was still open at the end of the text, and whether text followed the
    // closing quote of a field that ran over a line break.
    qsizetype m_quotedBreak = -1;
    bool m_openAtEnd = false;
    bool m_strayAfterQuote = false;
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
