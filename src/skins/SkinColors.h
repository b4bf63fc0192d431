#pragma once

#include <QString>

#include <optional>

// The colour set of a skin, as Windows colour values: the lowest byte is red, then green, then
// blue ("$CEECD3" is red 0xD3, green 0xEC, blue 0xCE).
struct SkinColors {
    quint32 Main = 0xCEECD3;
    quint32 Other = 0xEEF9F0;
    quint32 InfoText = 0xB1552C;
    quint32 CaptionText = 0x000000;

    // Section "Colors" of an INI file; a missing file, section or key keeps the default.
    static SkinColors fromConfig(const QString& path);

    // Decimal, or hexadecimal after "$", surrounding blanks allowed. Anything else, and values
    // past $FFFFFF (palette and system-colour codes that have no fixed colour), is not a colour:
    // the caller keeps its default, as a Windows INI integer read would on a non-number.
    static std::optional<quint32> parse(const QString& text);
};
