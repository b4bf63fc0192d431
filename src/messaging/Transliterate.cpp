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

// The table's letters lie in U+0430..U+0451; one slot per code there, so a look-up is an index.
constexpr char16_t kFirst = u'а';
constexpr char16_t kLast = u'ё';

struct Row {
    bool found = false;
    QString lower;
    QString upper;
};

const std::array<Row, kLast - kFirst + 1>& rows() {
    static const auto table = [] {
        std::array<Row, kLast - kFirst + 1> result;
        for (const auto& [letter, latin] : kTable) {
            Row& row = result[letter - kFirst];
            row.found = true;
            row.lower = QString::fromLatin1(latin);
            row.upper = Ansi::toUpper(row.lower);
        }
        return result;
    }();
    return table;
}

} // namespace

QString Transliterate(const QString& text) {
    const auto& table = rows();
    QString result;
    result.reserve(text.size() + text.size() / 2);
    for (const QChar c : text) {
        const QChar lower = Ansi::toLower(c);
        const char16_t code = lower.unicode();
        const Row* row = code >= kFirst && code <= kLast ? &table[code - kFirst] : nullptr;
        if (!row || !row->found)
            result.append(c);
        else
            result.append(c == lower ? row->lower : row->upper);
    }
    return result;
}
