#pragma once

#include <QIcon>

// A glyph of the main window's small-icon list of the active skin (3 "Закрыть", 13 "ОК",
// 14 "Отмена").
QIcon skinGlyph(int index);

namespace SkinGlyph {
constexpr int Close = 3;
constexpr int Ok = 13;
constexpr int Cancel = 14;
} // namespace SkinGlyph
