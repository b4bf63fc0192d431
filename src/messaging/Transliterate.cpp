#include "Transliterate.h"

#include "platform/Ansi.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<char16_t, const char*>, 33> kTable = {{
    {u'а', "a"},  {u'б', "b"}, {u'в', "v"}, {u'г', "g"},  {u'д', "d"},  {u'е', "e"},   {u'ё', "jo"},
    {u'ж', "zh"}, {u'з', "z"}, {u'и', "i"}, {u'й', "j"},  {u'к', "k"},  {u'л', "l"},   {u'м', "m"},
    {u'н', "n"},  {u'о', "o"}, {u'п', "p"}, {u'р', "r"},  {u'с', "s"},  {u'т', "t"},   {u'у', "u"},
    {u'ф', "f"},  {u'х', "h"}, {u'ц', "c"}, {u'ч', "ch"}, {u'ш', "sh"}, {u'щ', "sch"}, {u'ъ', "'"},
    {u'ы', "y"},  {u'ь', "'"}, {u'э', "e"}, {u'ю', "ju"}, {u'я', "ja"},
}};

constexpr int kMaxLatin = 3;

// What one character becomes; no letters: the character itself.
struct Replacement {
    int size = 0;
    std::array<char16_t, kMaxLatin> letters{};
};

// Every character whose lower-cased form is in the table lies in the Cyrillic block, so the
// replacements are worked out once for that block, by Ansi's case rules, and a character is
// then one index away from its replacement.
constexpr char16_t kBlockFirst = 0x0400;
constexpr char16_t kBlockLast = 0x04FF;

const std::array<Replacement, kBlockLast - kBlockFirst + 1>& replacements() {
    static const auto table = [] {
        std::array<Replacement, kBlockLast - kBlockFirst + 1> result;
        for (char16_t code = kBlockFirst; code <= kBlockLast; ++code) {
            const QChar c(code);
            const QChar lower = Ansi::toLower(c);
            for (const auto& [letter, latin] : kTable) {
                if (lower.unicode() != letter)
                    continue;
                const QString text = c == lower ? QString::fromLatin1(latin)
                                                : Ansi::toUpper(QString::fromLatin1(latin));
                Replacement& replacement = result[code - kBlockFirst];
                replacement.size = int(text.size());
                for (int i = 0; i < replacement.size; ++i)
                    replacement.letters[i] = text[i].unicode();
            }
        }
        return result;
    }();
    return table;
}

} // namespace

QString Transliterate(const QString& text) {
    const auto& table = replacements();
    QString result(text.size() * kMaxLatin, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    qsizetype length = 0;
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        const Replacement* replacement =
            code >= kBlockFirst && code <= kBlockLast ? &table[code - kBlockFirst] : nullptr;
        if (!replacement || replacement->size == 0) {
            out[length++] = code;
            continue;
        }
        for (int i = 0; i < replacement->size; ++i)
            out[length++] = replacement->letters[i];
    }
    result.truncate(length);
    return result;
}
