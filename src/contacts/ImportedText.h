#pragma once

#include <QString>

// Texts of an imported contact as the book keeps them.
namespace ImportedText {

// A book caption is one line: each line break (CR LF, LF or a lone CR) and each TAB becomes
// one blank.
QString oneLine(const QString& text);

} // namespace ImportedText
