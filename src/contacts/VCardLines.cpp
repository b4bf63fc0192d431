#include "VCardLines.h"

#include "platform/Ansi.h"


#include <cstring>

namespace VCardLines {

namespace {

constexpr QByteArrayView kByteOrderMark = "\xEF\xBB\xBF";

bool isFoldBlank(char c) {
    return c == ' ' || c == '\t';
}

bool equalsIgnoringCase(QByteArrayView a, QByteArrayView b) {
    return a.size() == b.size() && qstrnicmp(a.data(), b.data(), b.size()) == 0;
}

// Where a line's name and parameters end: the first colon outside a quoted parameter value.
// A quote left open makes the first colon count, so one stray quote does not hide a line.
qsizetype colonOf(QByteArrayView logical) {
    const char* const begin = logical.data();
    const auto* first = static_cast<const char*>(std::memchr(begin, ':', size_t(logical.size())));
    if (!first)
        return -1;
    if (!std::memchr(begin, '"', size_t(first - begin)))
        return first - begin;
    bool quoted = false;
    for (const char* c = begin; c != begin + logical.size(); ++c) {
        if (*c == '"')
            quoted = !quoted;
        else if (*c == ':' && !quoted)
            return c - begin;
    }
    return first - begin;
}

// Calls piece() with each piece of the text between separators outside double quotes.
template <typename Piece> void forEachPiece(QByteArrayView text, char separator, Piece piece) {
    const char* start = text.data();
    const char* const end = start + text.size();
    bool quoted = false;
    for (const char* c = start; c != end; ++c) {
        if (*c == '"') {
            quoted = !quoted;
        } else if (*c == separator && !quoted) {
            piece(QByteArrayView(start, c));
            start = c + 1;
        }
    }
    piece(QByteArrayView(start, end));
}

QByteArray unquotedUpper(QByteArrayView value) {
    value = value.trimmed();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.sliced(1, value.size() - 2);
    return value.trimmed().toByteArray().toUpper();
}

bool isBareEncoding(QByteArrayView upper) {
    return upper == "QUOTED-PRINTABLE" || upper == "BASE64" || upper == "B" || upper == "8BIT" ||
           upper == "7BIT";
}

void readParameter(QByteArrayView parameter, ContentLine& line) {
    const qsizetype equals = parameter.indexOf('=');
    if (equals < 0) {
        // vCard 2.1 may give a type or an encoding alone: TEL;CELL;PREF, FN;QUOTED-PRINTABLE.
        const QByteArray bare = unquotedUpper(parameter);
        if (isBareEncoding(bare))
            line.encoding = bare;
        else if (!bare.isEmpty())
            line.types += bare;
        return;
    }
    const QByteArrayView key = parameter.first(equals).trimmed();
    const QByteArray value = unquotedUpper(parameter.sliced(equals + 1));
    if (equalsIgnoringCase(key, "TYPE")) {
        forEachPiece(value, ',', [&](QByteArrayView type) {
            if (!type.trimmed().isEmpty())
                line.types += type.trimmed().toByteArray();
        });
    } else if (equalsIgnoringCase(key, "ENCODING")) {
        line.encoding = value;
    } else if (equalsIgnoringCase(key, "CHARSET")) {
        line.charset = value;
    } else if (equalsIgnoringCase(key, "VALUE")) {
        line.valueType = value;
    }
}

// Fills name and parameters from the part before the colon; false when there is no name.
bool readHead(QByteArrayView head, ContentLine& line) {
    bool named = false;
    forEachPiece(head, ';', [&](QByteArrayView part) {
        if (named) {
            readParameter(part, line);
            return;
        }
        named = true;
        part = part.trimmed();
        part = part.sliced(part.lastIndexOf('.') + 1); // "item1.TEL" is a TEL of group item1
        line.name = part.toByteArray().toUpper();
    });
    return !line.name.isEmpty();
}

bool isNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
}

// Whether a physical line starts a property of its own: a name that vCard defines (or an
// X- extension) followed by a parameter or the value. A quoted-printable value that ends in
// "=" before such a line was cut short by its writer, and the line is not joined to it.
bool startsProperty(QByteArrayView physical) {
    static const QList<QByteArrayView> kNames = {
        "ADR", "AGENT", "BDAY",  "BEGIN",  "CATEGORIES", "EMAIL", "END",      "FN",  "GEO",
        "KEY", "LABEL", "LOGO",  "MAILER", "N",          "NOTE",  "NICKNAME", "ORG", "PHOTO",
        "REV", "ROLE",  "SOUND", "TEL",    "TITLE",      "TZ",    "UID",      "URL", "VERSION"};
    qsizetype end = 0;
    while (end < physical.size() && physical[end] != ':' && physical[end] != ';')
        ++end;
    if (end == physical.size())
        return false;
    QByteArrayView name = physical.first(end);
    for (const char c : name)
        if (!isNameChar(c))
            return false;
    name = name.sliced(name.lastIndexOf('.') + 1);
    if (name.size() > 2 && equalsIgnoringCase(name.first(2), "X-"))
        return true;
    for (const QByteArrayView known : kNames)
        if (equalsIgnoringCase(name, known))
            return true;
    return false;
}

bool endsWithSoftBreak(QByteArray& logical) {
    while (!logical.isEmpty() && isFoldBlank(logical.back()))
        logical.chop(1);
    return logical.endsWith('=');
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool namesCodePage1251(const QByteArray& charset) {
    return charset.contains("1251");
}

} // namespace

bool ContentLine::hasType(QByteArrayView type) const {
    for (const QByteArray& own : types)
        if (own == type)
            return true;
    return false;
}

Reader::Reader(const QByteArray& bytes)
    : m_bytes(bytes) {
}

QByteArrayView Reader::peekPhysical() const {
    const qsizetype rest = m_bytes.size() - m_pos;
    const char* start = m_bytes.data() + m_pos;
    const void* lf = std::memchr(start, '\n', size_t(rest));
    qsizetype length = lf ? static_cast<const char*>(lf) - start : rest;
    // A CR ends a line too: before the LF of CR LF, or alone as old Mac files have it.
    if (const void* cr = std::memchr(start, '\r', size_t(length)))
        length = static_cast<const char*>(cr) - start;
    QByteArrayView line(start, length);
    // Files joined one after another each bring their own byte order mark.
    if (line.startsWith(kByteOrderMark))
        line = line.sliced(kByteOrderMark.size());
    return line;
}

QByteArrayView Reader::nextPhysical() {
    const QByteArrayView line = peekPhysical();
    m_pos = line.data() + line.size() - m_bytes.data();
    if (m_pos < m_bytes.size() && m_bytes[m_pos] == '\r')
        ++m_pos;
    if (m_pos < m_bytes.size() && m_bytes[m_pos] == '\n')
        ++m_pos;
    ++m_lineNumber;
    return line;
}

bool Reader::next(ContentLine& line) {
    while (m_pos < m_bytes.size()) {
        line = ContentLine{};
        line.line = m_lineNumber + 1;
        const QByteArrayView first = nextPhysical();
        // A continuation with nothing before it to continue, or a blank line.
        if (first.isEmpty() || isFoldBlank(first.front()))
            continue;
        QByteArray logical = first.toByteArray();
        const auto joinFolds = [&] {
            while (m_pos < m_bytes.size()) {
                const QByteArrayView following = peekPhysical();
                if (following.isEmpty() || !isFoldBlank(following.front()))
                    break;
                logical += nextPhysical().sliced(1);
            }
        };
        joinFolds();
        const qsizetype colon = colonOf(logical);
        if (colon < 0 || !readHead(QByteArrayView(logical).first(colon), line))
            continue;
        if (line.isQuotedPrintable()) {
            while (m_pos < m_bytes.size() && endsWithSoftBreak(logical)) {
                const QByteArrayView following = peekPhysical();
                if (isBegin(following) || isEnd(following) || startsProperty(following))
                    break;
                logical.chop(1);
                logical += nextPhysical();
                joinFolds();
            }
        }
        logical.remove(0, colon + 1);
        line.value = std::move(logical);
        return true;
    }
    return false;
}

bool isBegin(QByteArrayView physical) {
    return equalsIgnoringCase(physical.trimmed(), "BEGIN:VCARD");
}

bool isEnd(QByteArrayView physical) {
    return equalsIgnoringCase(physical.trimmed(), "END:VCARD");
}

QByteArray decodeQuotedPrintable(QByteArrayView encoded) {
    QByteArray out;
    out.reserve(encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (c != '=') {
            out += c;
            continue;
        }
        if (i + 2 < encoded.size() && hexValue(encoded[i + 1]) >= 0 &&
            hexValue(encoded[i + 2]) >= 0) {
            out += char(hexValue(encoded[i + 1]) * 16 + hexValue(encoded[i + 2]));
            i += 2;
        } else if (i + 1 < encoded.size()) {
            out += c;
        }
    }
    return out;
}

QString decodedText(const ContentLine& line) {
    const QByteArray bytes =
        line.isQuotedPrintable() ? decodeQuotedPrintable(line.value) : line.value;
    if (namesCodePage1251(line.charset))
        return Ansi::toUnicode(bytes);
    return Ansi::fromUtf8OrAnsi(bytes);
}

} // namespace VCardLines
