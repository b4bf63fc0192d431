#include "AnsiFit.h"

#include "platform/Ansi.h"

#include <QHash>

namespace Ansi {

namespace {

bool hasByte(QChar c) {
    return c == u'?' || toByte(c) != '?';
}

// Letters that have no decomposition to a base letter, and the other Cyrillic alphabets'
// letters, by the letter a Russian reader takes for them; Greek by its usual Latin spelling.
const QHash<char16_t, QString>& spellings() {
    static const QHash<char16_t, QString> kSpellings = [] {
        QHash<char16_t, QString> table;
        const auto add = [&table](const char16_t* letters,
                                  std::initializer_list<const char16_t*> as) {
            auto spelling = as.begin();
            for (const char16_t* c = letters; *c; ++c, ++spelling)
                table.insert(*c, QString::fromUtf16(*spelling));
        };
        add(u"ßæÆœŒøØłŁđĐðÐþÞıħĦŧŦŋŊĸ",
            {u"ss", u"ae", u"AE", u"oe", u"OE", u"o", u"O", u"l", u"L", u"d", u"D", u"d",
             u"D",  u"th", u"Th", u"i",  u"h",  u"H", u"t", u"T", u"n", u"N", u"k"});
        add(u"әӘғҒқҚңҢөӨұҰүҮһҺҗҖҙҘҡҠҫҪҳҲ",
            {u"а", u"А", u"г", u"Г", u"к", u"К", u"н", u"Н", u"о", u"О", u"у", u"У", u"у",
             u"У", u"х", u"Х", u"ж", u"Ж", u"з", u"З", u"к", u"К", u"с", u"С", u"х", u"Х"});
        add(u"αβγδεζηθικλμνξοπρσςτυφχψω",
            {u"a", u"v", u"g", u"d", u"e", u"z", u"i", u"th", u"i", u"k",  u"l",  u"m", u"n",
             u"x", u"o", u"p", u"r", u"s", u"s", u"t", u"y",  u"f", u"ch", u"ps", u"o"});
        add(u"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ",
            {u"A", u"V", u"G", u"D", u"E", u"Z", u"I", u"Th", u"I", u"K",  u"L",  u"M",
             u"N", u"X", u"O", u"P", u"R", u"S", u"T", u"Y",  u"F", u"Ch", u"Ps", u"O"});
        return table;
    }();
    return kSpellings;
}

// One character that has no byte of its own, without decomposing it.
void appendSpelled(QString& out, QChar c) {
    const auto found = spellings().constFind(c.unicode());
    if (found != spellings().constEnd())
        out += *found;
    else if (!c.isMark() && !c.isLowSurrogate()) // an accent goes; a pair is one "?"
        out += u'?';
}

} // namespace

QString nearest(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (hasByte(c)) {
            out += c;
            continue;
        }
        if (spellings().contains(c.unicode())) {
            appendSpelled(out, c);
            continue;
        }
        // A character beyond the 16-bit range is one character however it decomposes.
        const bool pair =
            c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const QString character = text.sliced(i, pair ? 2 : 1);
        if (pair)
            ++i;
        const QString decomposed = character.normalized(QString::NormalizationForm_KD);
        if (decomposed == character) {
            appendSpelled(out, c);
            continue;
        }
        for (const QChar part : decomposed) {
            if (hasByte(part))
                out += part;
            else
                appendSpelled(out, part);
        }
    }
    return out;
}

} // namespace Ansi
