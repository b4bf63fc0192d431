#pragma once

#include <QString>

namespace Ansi {

// The text as code page 1251 can keep it: characters it has stay, an accented Latin letter
// becomes its base letter, a few letters that do not decompose (ß, æ, ø, ł …) their usual
// spelling, other Cyrillic letters the nearest Russian one, Greek its Latin transliteration,
// and anything else "?".
QString nearest(const QString& text);

} // namespace Ansi
