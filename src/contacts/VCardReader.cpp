#include "VCardReader.h"

#include "VCardLines.h"

#include <QUrl>

#include <optional>

namespace VCardReader {

namespace {

using VCardLines::ContentLine;

// How a card escapes its text values: vCard 2.1 only escapes the semicolon that would split
// a compound value (a backslash is a plain letter there), later versions also the backslash,
// the comma and line breaks.
enum class Escapes { SemicolonOnly, Full };

QString unescaped(const QString& text, Escapes escapes) {
    if (!text.contains(u'\\'))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const QChar escaped = i + 1 < text.size() ? text[i + 1] : QChar();
        if (c != u'\\' || escaped.isNull()) {
            out += c;
        } else if (escaped == u';') {
            out += escaped;
            ++i;
        } else if (escapes == Escapes::SemicolonOnly) {
            out += c;
        } else if (escaped == u'\\' || escaped == u',') {
            out += escaped;
            ++i;
        } else if (escaped == u'n' || escaped == u'N') {
            out += u'\n';
            ++i;
        } else {
            out += c; // no escape vCard knows: the backslash stays as written
        }
    }
    return out;
}

// The pieces of a compound value (N's components, CATEGORIES' list), split where a separator
// has no backslash before it; each piece still escaped.
QStringList splitUnescaped(const QString& text, QChar separator) {
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\') {
            ++i;
        } else if (text[i] == separator) {
            pieces += text.sliced(start, i - start);
            start = i + 1;
        }
    }
    pieces += text.sliced(start);
    return pieces;
}

bool isCardMark(const ContentLine& line, const char* name) {
    return line.name == name && line.value.trimmed().toUpper() == "VCARD";
}

bool isKept(const QByteArray& name) {
    return name == "VERSION" || name == "FN" || name == "N" || name == "TEL" ||
           name == "CATEGORIES" || name.startsWith("X-VARNELO-");
}

// One card's properties that make a contact, in card order.
struct Card {
    int line = 0;
    QList<ContentLine> properties;
};

Escapes escapesOf(const Card& card) {
    for (const ContentLine& property : card.properties)
        if (property.name == "VERSION")
            return property.value.trimmed() == "2.1" ? Escapes::SemicolonOnly : Escapes::Full;
    return Escapes::Full;
}

QString nameOf(const Card& card, Escapes escapes) {
    for (const ContentLine& property : card.properties) {
        if (property.name != "FN")
            continue;
        const QString name = unescaped(VCardLines::decodedText(property), escapes).trimmed();
        if (!name.isEmpty())
            return name;
    }
    for (const ContentLine& property : card.properties) {
        if (property.name != "N")
            continue;
        // Family name; given name; additional names; prefixes; suffixes.
        const QStringList parts = splitUnescaped(VCardLines::decodedText(property), u';');
        const QString family = unescaped(parts.value(0), escapes).trimmed();
        const QString given = unescaped(parts.value(1), escapes).trimmed();
        return (given + u' ' + family).trimmed();
    }
    return {};
}

QString numberOf(const ContentLine& tel, Escapes escapes) {
    const QString text = VCardLines::decodedText(tel).trimmed();
    if (text.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive)) {
        // tel:+7-916-123-45-67;ext=89 — the number is what comes before the URI's parameters.
        QString number = text.sliced(4);
        number.truncate(number.indexOf(u';') < 0 ? number.size() : number.indexOf(u';'));
        if (number.contains(u'%'))
            number = QUrl::fromPercentEncoding(number.toUtf8());
        return number.trimmed();
    }
    if (tel.valueType == "URI")
        return text;
    return unescaped(text, escapes).trimmed();
}

QString cellOrFirstNumber(const Card& card, Escapes escapes) {
    QString first;
    for (const ContentLine& property : card.properties) {
        if (property.name != "TEL")
            continue;
        const QString number = numberOf(property, escapes);
        if (number.isEmpty())
            continue;
        if (property.hasType("CELL"))
            return number;
        if (first.isEmpty())
            first = number;
    }
    return first;
}

QString groupOf(const Card& card, Escapes escapes) {
    for (const ContentLine& property : card.properties) {
        if (property.name != "CATEGORIES")
            continue;
        for (const QString& category : splitUnescaped(VCardLines::decodedText(property), u',')) {
            const QString group = unescaped(category, escapes).trimmed();
            if (!group.isEmpty())
                return group;
        }
    }
    return {};
}

// The first value of a property as text, escapes undone; empty when the card has none.
QString textOf(const Card& card, const char* name, Escapes escapes) {
    for (const ContentLine& property : card.properties)
        if (property.name == name)
            return unescaped(VCardLines::decodedText(property), escapes);
    return {};
}

ImportedContact contactOf(const Card& card) {
    const Escapes escapes = escapesOf(card);
    ImportedContact contact;
    contact.name = nameOf(card, escapes);
    contact.number = cellOrFirstNumber(card, escapes);
    contact.group = groupOf(card, escapes);
    contact.signature = textOf(card, "X-VARNELO-SIGNATURE", escapes);
    contact.sender = textOf(card, "X-VARNELO-SENDER", escapes);
    contact.translit = textOf(card, "X-VARNELO-TRANSLIT", escapes).trimmed() == u"1";
    contact.line = card.line;
    return contact;
}

} // namespace

bool looksLikeVCard(const QByteArray& bytes) {
    QByteArrayView text(bytes);
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    text = text.trimmed();
    constexpr QByteArrayView kBegin = "BEGIN:VCARD";
    return text.size() >= kBegin.size() &&
           qstrnicmp(text.data(), kBegin.data(), kBegin.size()) == 0;
}

ImportedContacts read(const QByteArray& bytes) {
    ImportedContacts contacts;
    VCardLines::Reader reader(bytes);
    ContentLine line;
    std::optional<Card> card;
    while (reader.next(line)) {
        if (isCardMark(line, "BEGIN")) {
            // A card that begins before the last one ended: the last one lost its END.
            if (card)
                contacts += contactOf(*card);
            card = Card{.line = line.line, .properties = {}};
        } else if (!card) {
            continue; // text between cards
        } else if (isCardMark(line, "END")) {
            contacts += contactOf(*card);
            card.reset();
        } else if (!line.isBase64() && isKept(line.name)) {
            card->properties += std::move(line);
        }
    }
    if (card)
        contacts += contactOf(*card);
    return contacts;
}

} // namespace VCardReader
