#include "BookExport.h"

#include "shared/SpreadsheetText.h"

namespace BookExport {

namespace {

constexpr int kMaxLineOctets = 75;

// The name a contact goes by: its caption, or the send window's name for one without.
QString nameOf(const BookEntry& contact) {
    return contact.caption.isEmpty() ? contact.Name : contact.caption;
}

void appendProperty(QByteArray& out, const char* property, const QString& value) {
    out += foldVCardLine(QByteArray(property) + ':' + escapeVCardText(value).toUtf8());
}

void appendCard(QByteArray& out, const QString& group, const BookEntry& contact) {
    const QString name = escapeVCardText(nameOf(contact));
    out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    out += foldVCardLine("FN:" + name.toUtf8());
    out += foldVCardLine("N:;" + name.toUtf8() + ";;;");
    if (!contact.Number.isEmpty())
        appendProperty(out, "TEL;TYPE=CELL", contact.Number);
    appendProperty(out, "CATEGORIES", group);
    if (!contact.Sign.isEmpty())
        appendProperty(out, "X-VARNELO-SIGNATURE", contact.Sign);
    if (!contact.Sender.isEmpty())
        appendProperty(out, "X-VARNELO-SENDER", contact.Sender);
    if (contact.Translit)
        out += "X-VARNELO-TRANSLIT:1\r\n";
    out += "END:VCARD\r\n";
}

bool isEdgeSpace(char c) {
    return c == ' ' || c == '\t';
}

QByteArray csvOf(const QList<QStringList>& rows, char separator, bool guarded) {
    QByteArray out;
    for (const QStringList& fields : rows) {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                out += separator;
            out += csvField(guarded ? SpreadsheetText::guarded(fields[i]) : fields[i], separator);
        }
        out += "\r\n";
    }
    return out;
}

} // namespace

QByteArray toVCard(const QList<BookGroup>& groups) {
    QByteArray out;
    for (const BookGroup& group : groups)
        for (const BookEntry& contact : group.contacts)
            appendCard(out, group.entry.caption, contact);
    return out;
}

QList<QStringList> table(const QList<BookGroup>& groups) {
    QList<QStringList> rows{{QStringLiteral("Группа"), QStringLiteral("Имя"),
                             QStringLiteral("Телефон"), QStringLiteral("Подпись"),
                             QStringLiteral("Отправитель"), QStringLiteral("Транслит")}};
    for (const BookGroup& group : groups) {
        if (group.contacts.isEmpty())
            rows.append({group.entry.caption, {}, {}, {}, {}, {}});
        for (const BookEntry& contact : group.contacts)
            rows.append({group.entry.caption, nameOf(contact), contact.Number, contact.Sign,
                         contact.Sender,
                         contact.Translit ? QStringLiteral("1") : QStringLiteral("0")});
    }
    return rows;
}

QByteArray toCsv(const QList<BookGroup>& groups) {
    return csvOf(table(groups), ',', false);
}

QByteArray toSpreadsheetCsv(const QList<BookGroup>& groups) {
    return "\xEF\xBB\xBF" + csvOf(table(groups), ';', true);
}

QString escapeVCardText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' || c == u',' || c == u';') {
            out += u'\\';
            out += c;
        } else if (c == u'\r' || c == u'\n') {
            // CR LF is one line break, not two.
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += QStringLiteral("\\n");
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray foldVCardLine(const QByteArray& line) {
    QByteArray out;
    qsizetype start = 0;
    int room = kMaxLineOctets;
    while (line.size() - start > room) {
        qsizetype cut = start + room;
        // Back off to the first byte of a UTF-8 character (continuation bytes are 10xxxxxx).
        while (cut > start && (quint8(line[cut]) & 0xC0) == 0x80)
            --cut;
        if (cut == start)
            cut = start + room; // no character boundary at all: not UTF-8, cut where it fits
        out += line.mid(start, cut - start);
        out += "\r\n ";
        start = cut;
        room = kMaxLineOctets - 1; // the leading blank of a continuation counts
    }
    out += line.mid(start);
    out += "\r\n";
    return out;
}

QByteArray csvField(const QString& field, char separator) {
    const QByteArray bytes = field.toUtf8();
    // Readers drop spaces around a bare field, so a field that begins or ends with one is
    // quoted to keep them.
    const bool spaceAtEdge =
        !bytes.isEmpty() && (isEdgeSpace(bytes.front()) || isEdgeSpace(bytes.back()));
    if (!spaceAtEdge && !bytes.contains(separator) && !bytes.contains('"') &&
        !bytes.contains('\r') && !bytes.contains('\n'))
        return bytes;
    return '"' + QByteArray(bytes).replace("\"", "\"\"") + '"';
}

} // namespace BookExport
