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

bool RecordReader::next(Record& record) {
    if (m_pos >= m_text.size())
        return false;
    record.fields.clear();
    record.line = m_line;
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
        return true;
    }
}

QString RecordReader::readQuoted() {
    QString field;
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
            field += readBare();
            return field;
        }
        // A line break inside the quotes: CR LF, LF or a lone CR, each one line.
        field += c;
        ++m_pos;
        if (c == kCR && m_pos < m_text.size() && m_text[m_pos] == kLF) {
            field += kLF;
            ++m_pos;
        }
        ++m_line;
    }
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
