#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QString>

// The content lines of a vCard file: physical lines unfolded, quoted-printable soft line
// breaks joined, and each line split into its name, parameters and raw value.
namespace VCardLines {

struct ContentLine {
    QByteArray name;      // upper case, without a group prefix such as "item1."
    QByteArrayList types; // TYPE values and the bare 2.1 parameters, upper case
    QByteArray encoding;  // ENCODING, upper case ("QUOTED-PRINTABLE", "B", "BASE64" …)
    QByteArray charset;   // CHARSET, upper case
    QByteArray valueType; // VALUE, upper case ("URI" …)
    QByteArray value;     // as written: still quoted-printable and escaped
    int line = 0;         // the file line where it begins, counted from 1

    bool isQuotedPrintable() const { return encoding == "QUOTED-PRINTABLE"; }
    bool isBase64() const { return encoding == "B" || encoding == "BASE64"; }
    bool hasType(QByteArrayView type) const;
};

// Walks a file's content lines in order. A line that has no colon is no content line (junk
// between cards, the bare continuation lines of some 2.1 photos) and is passed over.
class Reader {
public:
    explicit Reader(const QByteArray& bytes);

    // The next content line; false at the end of the input.
    bool next(ContentLine& line);

private:
    QByteArrayView nextPhysical();
    QByteArrayView peekPhysical() const;

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    int m_lineNumber = 0;
};

// Whether a physical line is BEGIN:VCARD or END:VCARD (any case, blanks around allowed).
bool isBegin(QByteArrayView physical);
bool isEnd(QByteArrayView physical);

// Quoted-printable bytes decoded: "=XX" is one byte; an "=" without two hex digits after it
// is kept, except at the very end, where it is a soft line break with nothing to join.
QByteArray decodeQuotedPrintable(QByteArrayView encoded);

// The value as text: quoted-printable undone, then the bytes read as CHARSET says. Code page
// 1251 when it says so; otherwise UTF-8 when the bytes are valid UTF-8, else code page 1251
// (some writers label 1251 texts as UTF-8, and an unlabelled 8-bit value here is 1251).
QString decodedText(const ContentLine& line);

} // namespace VCardLines
