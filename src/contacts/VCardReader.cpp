#include "VCardReader.h"

#include "VCardLines.h"

#include <QHash>
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

// The properties that make a contact, and the card marks around them.
enum class Field {
    Other,
    Begin,
    End,
    Version,
    FormattedName,
    Name,
    Tel,
    Categories,
    Organization,
    Signature,
    Sender,
    Translit
};

Field fieldOf(const QByteArray& name) {
    static const QHash<QByteArray, Field> kFields{
        {"BEGIN", Field::Begin},
        {"END", Field::End},
        {"VERSION", Field::Version},
        {"FN", Field::FormattedName},
        {"N", Field::Name},
        {"TEL", Field::Tel},
        {"CATEGORIES", Field::Categories},
        {"ORG", Field::Organization},
        {"X-VARNELO-SIGNATURE", Field::Signature},
        {"X-VARNELO-SENDER", Field::Sender},
        {"X-VARNELO-TRANSLIT", Field::Translit},
    };
    return kFields.value(name, Field::Other);
}

bool namesVCard(const ContentLine& mark) {
    return mark.value.trimmed().compare("VCARD", Qt::CaseInsensitive) == 0;
}

// One card's properties that make a contact, each kind in card order.
struct Card {
    int line = 0;
    Escapes escapes = Escapes::Full;
    QList<ContentLine> formattedNames;
    QList<ContentLine> names;
    QList<ContentLine> tels;
    QList<ContentLine> categories;
    QList<ContentLine> organizations;
    QList<ContentLine> signatures;
    QList<ContentLine> senders;
    QList<ContentLine> translits;

    void take(Field field, ContentLine&& property);
};

void Card::take(Field field, ContentLine&& property) {
    switch (field) {
    case Field::Version:
        escapes = property.value.trimmed() == "2.1" ? Escapes::SemicolonOnly : Escapes::Full;
        break;
    case Field::FormattedName:
        formattedNames += std::move(property);
        break;
    case Field::Name:
        names += std::move(property);
        break;
    case Field::Tel:
        tels += std::move(property);
        break;
    case Field::Categories:
        categories += std::move(property);
        break;
    case Field::Organization:
        organizations += std::move(property);
        break;
    case Field::Signature:
        signatures += std::move(property);
        break;
    case Field::Sender:
        senders += std::move(property);
        break;
    case Field::Translit:
        translits += std::move(property);
        break;
    case Field::Other:
    case Field::Begin:
    case Field::End:
        break;
    }
}

QString nameOf(const Card& card) {
    for (const ContentLine& property : card.formattedNames) {
        const QString name = unescaped(VCardLines::decodedText(property), card.escapes).trimmed();
        if (!name.isEmpty())
            return name;
    }
    if (!card.names.isEmpty()) {
        // Family name; given name; additional names; prefixes; suffixes.
        const QStringList parts =
            splitUnescaped(VCardLines::decodedText(card.names.front()), u';');
        const QString family = unescaped(parts.value(0), card.escapes).trimmed();
        const QString given = unescaped(parts.value(1), card.escapes).trimmed();
        const QString name = (given + u' ' + family).trimmed();
        if (!name.isEmpty())
            return name;
    }
    // A shop or a taxi service often has only its company name.
    if (card.organizations.isEmpty())
        return {};
    const QStringList units =
        splitUnescaped(VCardLines::decodedText(card.organizations.front()), u';');
    return unescaped(units.value(0), card.escapes).trimmed();
}

// Labels that phones add to every contact, which are no group of the user's.
bool isSystemCategory(const QString& category) {
    static const QStringList kSystem{QStringLiteral("myContacts"), QStringLiteral("starred"),
                                     QStringLiteral("My Contacts"), QStringLiteral("Starred in Android")};
    return category.startsWith(u'*') || kSystem.contains(category, Qt::CaseInsensitive);
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

// A number with several types is taken for the one that names it best: a work mobile is a
// mobile, a home fax a fax.
PhoneKind kindOf(const ContentLine& tel) {
    if (tel.hasType("CELL") || tel.hasType("MOBILE"))
        return PhoneKind::Cell;
    if (tel.hasType("FAX"))
        return PhoneKind::Fax;
    if (tel.hasType("PAGER"))
        return PhoneKind::Pager;
    if (tel.hasType("WORK"))
        return PhoneKind::Work;
    if (tel.hasType("HOME"))
        return PhoneKind::Home;
    return PhoneKind::Other;
}

// Mobile numbers first, as a message goes to one of them, then the others in card order.
QList<ImportedNumber> numbersOf(const Card& card) {
    QList<ImportedNumber> mobile;
    QList<ImportedNumber> others;
    for (const ContentLine& property : card.tels) {
        const QString number = numberOf(property, card.escapes);
        if (number.isEmpty())
            continue;
        const PhoneKind kind = kindOf(property);
        (kind == PhoneKind::Cell ? mobile : others).append({number, kind});
    }
    return mobile + others;
}

QString groupOf(const Card& card) {
    for (const ContentLine& property : card.categories) {
        for (const QString& category : splitUnescaped(VCardLines::decodedText(property), u',')) {
            const QString group = unescaped(category, card.escapes).trimmed();
            if (!group.isEmpty() && !isSystemCategory(group))
                return group;
        }
    }
    return {};
}

// The first of a card's values as text, escapes undone; empty when the card has none.
QString firstText(const Card& card, const QList<ContentLine>& values) {
    return values.isEmpty() ? QString()
                            : unescaped(VCardLines::decodedText(values.front()), card.escapes);
}

ImportedContact contactOf(const Card& card) {
    ImportedContact contact;
    contact.name = nameOf(card);
    contact.numbers = numbersOf(card);
    if (!contact.numbers.isEmpty())
        contact.number = contact.numbers.front().number;
    contact.group = groupOf(card);
    contact.signature = firstText(card, card.signatures);
    contact.sender = firstText(card, card.senders);
    contact.translit = firstText(card, card.translits).trimmed() == u"1";
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
        const Field field = fieldOf(line.name);
        if (field == Field::Begin && namesVCard(line)) {
            // A card that begins before the last one ended: the last one lost its END.
            if (card)
                contacts += contactOf(*card);
            card.emplace().line = line.line;
        } else if (!card) {
            continue; // text between cards
        } else if (field == Field::End && namesVCard(line)) {
            contacts += contactOf(*card);
            card.reset();
        } else if (!line.isBase64()) {
            card->take(field, std::move(line));
        }
    }
    if (card)
        contacts += contactOf(*card);
    return contacts;
}

} // namespace VCardReader
