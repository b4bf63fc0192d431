#include "CsvText.h"

#include "platform/Ansi.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace CsvText {

namespace {

constexpr QChar kQuote = u'"';
constexpr QChar kCR = u'\r';
constexpr QChar kLF = u'\n';

// The one byte order mark is cut off by the caller, so keep any other.
QString decodeAs(QStringDecoder::Encoding encoding, QByteArrayView bytes) {
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless |
                                         QStringDecoder::Flag::ConvertInitialBom);
    return decoder(bytes);
}

// Excel's "sep=;" line, which names the separator and is no record.
bool readSepLine(QStringView text, QChar* separator) {
    if (text.size() < 5 || !text.startsWith(u"sep=", Qt::CaseInsensitive))
        return false;
    const QChar named = text[4];
    if (named != u',' && named != u';' && named != u'\t')
        return false;
    if (text.size() > 5 && text[5] != kCR && text[5] != kLF)
        return false;
    *separator = named;
    return true;
}

} // namespace

QString decode(const QByteArray& bytes) {
    const QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        return decodeAs(QStringDecoder::Utf8, view.sliced(3));
    // Half a character at the end of UTF-16 is nothing, not a character to show.
    const qsizetype evenSize = view.size() & ~qsizetype(1);
    if (view.startsWith("\xFF\xFE"))
        return decodeAs(QStringDecoder::Utf16LE, view.sliced(2, evenSize - 2));
    if (view.startsWith("\xFE\xFF"))
        return decodeAs(QStringDecoder::Utf16BE, view.sliced(2, evenSize - 2));
    return Ansi::fromUtf8OrAnsi(view);
}

bool Record::isBlank() const {
    for (const QString& field : fields) {
        if (!field.isEmpty())
            return false;
    }
    return true;
}

QString Record::field(qsizetype index) const {
    return index >= 0 && index < fields.size() ? fields[index] : QString();
}

RecordReader::RecordReader(QStringView text, QChar separator, qsizetype start, int line)
    : m_text(text)
    , m_separator(separator)
    , m_pos(start)
    , m_line(line) {
}

void RecordReader::setWidth(qsizetype width) {
    m_width = width;
    m_lastQuote = m_text.lastIndexOf(kQuote);
}

bool RecordReader::next(Record& record) {
    if (m_pos >= m_text.size())
        return false;
    const qsizetype start = m_pos;
    const int line = m_line;
    readRecord(record);
    record.line = line;
    record.unclosedQuote = false;
    if (m_width > 0 && m_quotedBreak >= 0 && looksUnclosed(record)) {
        const qsizetype lineEnd = m_quotedBreak;
        RecordReader alone(m_text.first(lineEnd), m_separator, start, line);
        alone.readRecord(record);
        record.unclosedQuote = true;
        m_pos = lineEnd;
        m_line = line;
        endRecord();
    }
    return true;
}

void RecordReader::readRecord(Record& record) {
    record.fields.clear();
    m_quotedBreak = -1;
    m_openAtEnd = false;
    m_strayAfterQuote = false;
    for (;;) {
        skipSpaces();
        if (m_pos < m_text.size() && m_text[m_pos] == kQuote) {
            ++m_pos;
            record.fields.append(readQuoted());
        } else {
            record.fields.append(readBare());
        }
        if (m_pos < m_text.size() && m_text[m_pos] == m_separator) {
            ++m_pos;
            continue;
        }
        endRecord();
        return;
    }
}

bool RecordReader::looksUnclosed(const Record& record) const {
    if (m_openAtEnd)
        return true;
    return (m_strayAfterQuote || record.fields.size() > m_width) && lineAfterFits(m_quotedBreak);
}

bool RecordReader::lineAfterFits(qsizetype lineEnd) const {
    qsizetype start = lineEnd + 1;
    if (m_text[lineEnd] == kCR && start < m_text.size() && m_text[start] == kLF)
        ++start;
    if (start >= m_text.size())
        return false;
    RecordReader alone(m_text.first(lineEndFrom(start)), m_separator, start);
    Record record;
    alone.readRecord(record);
    return !alone.m_openAtEnd && record.fields.size() == m_width;
}

qsizetype RecordReader::lineEndFrom(qsizetype pos) const {
    while (pos < m_text.size() && m_text[pos] != kCR && m_text[pos] != kLF)
        ++pos;
    return pos;
}

QString RecordReader::readQuoted() {
    // No quote follows, so the field is open to the end of the text: past a line break that
    // is an unclosed quote whatever comes, and reading on would only cost time.
    if (m_width > 0 && m_pos > m_lastQuote) {
        const qsizetype lineEnd = lineEndFrom(m_pos);
        if (lineEnd < m_text.size()) {
            if (m_quotedBreak < 0)
                m_quotedBreak = lineEnd;
            m_openAtEnd = true;
            const QString field = m_text.sliced(m_pos, lineEnd - m_pos).toString();
            m_pos = m_text.size();
            return field;
        }
    }
    QString field;
    bool crossed = false;
    while (m_pos < m_text.size()) {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] != kQuote && m_text[m_pos] != kCR &&
               m_text[m_pos] != kLF)
            ++m_pos;
        field += m_text.sliced(start, m_pos - start);
        if (m_pos == m_text.size())
            break;
        const QChar c = m_text[m_pos];
        if (c == kQuote) {
            if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == kQuote) {
                field += kQuote;
                m_pos += 2;
                continue;
            }
            ++m_pos;
            // Text between the closing quote and the separator is kept as written rather
            // than lost, the way spreadsheets read such a field.
            const QString rest = readBare();
            m_strayAfterQuote = m_strayAfterQuote || (crossed && !rest.isEmpty());
            return field + rest;
        }
        // A line break inside the quotes: CR LF, LF or a lone CR, each one line.
        if (m_quotedBreak < 0)
            m_quotedBreak = m_pos;
        crossed = true;
        field += c;
        ++m_pos;
        if (c == kCR && m_pos < m_text.size() && m_text[m_pos] == kLF) {
            field += kLF;
            ++m_pos;
        }
        ++m_line;
    }
    m_openAtEnd = true;
    return field;
}

QString RecordReader::readBare() {
    const qsizetype start = m_pos;
    while (m_pos < m_text.size() && m_text[m_pos] != m_separator && m_text[m_pos] != kCR &&
           m_text[m_pos] != kLF)
        ++m_pos;
    qsizetype end = m_pos;
    while (end > start && isSpace(m_text[end - 1]))
        --end;
    return m_text.sliced(start, end - start).toString();
}

void RecordReader::skipSpaces() {
    while (m_pos < m_text.size() && isSpace(m_text[m_pos]))
        ++m_pos;
}

void RecordReader::endRecord() {
    if (m_pos < m_text.size() && m_text[m_pos] == kCR)
        ++m_pos;
    if (m_pos < m_text.size() && m_text[m_pos] == kLF)
        ++m_pos;
    ++m_line;
}

bool RecordReader::isSpace(QChar c) const {
    return c == u' ' || (c == u'\t' && m_separator != u'\t');
}

Dialect detectDialect(QStringView text) {
    Dialect dialect;
    if (readSepLine(text, &dialect.separator)) {
        qsizetype end = 5;
        if (end < text.size() && text[end] == kCR)
            ++end;
        if (end < text.size() && text[end] == kLF)
            ++end;
        dialect.headerStart = end;
        dialect.headerLine = 2;
        return dialect;
    }

    // Counts each candidate outside quotes on the first line that holds more than
    // separators and spaces; a quote opens and closes wherever it stands, as the header's
    // own separator is not known yet.
    constexpr std::array<QChar, 3> kCandidates{u',', u';', u'\t'};
    std::array<qsizetype, 3> counts{};
    bool inQuotes = false;
    bool hasContent = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == kQuote) {
            inQuotes = !inQuotes;
            hasContent = true;
        } else if (inQuotes) {
            continue;
        } else if (c == kCR || c == kLF) {
            if (hasContent)
                break;
            if (c == kCR && i + 1 < text.size() && text[i + 1] == kLF)
                ++i;
            counts = {};
            dialect.headerStart = i + 1;
            ++dialect.headerLine;
        } else if (const auto* found = std::find(kCandidates.begin(), kCandidates.end(), c);
                   found != kCandidates.end()) {
            ++counts[found - kCandidates.begin()];
        } else if (c != u' ') {
            hasContent = true;
        }
    }
    const auto most = std::max_element(counts.begin(), counts.end()); // the first of a tie
    dialect.separator = kCandidates[most - counts.begin()];
    return dialect;
}

} // namespace CsvText
