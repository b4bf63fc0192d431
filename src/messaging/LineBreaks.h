#pragma once

#include <QString>

// Line breaks in message texts. A message is sent, counted and stored with CR LF breaks,
// while a text edit holds one "\n" per break; text from elsewhere may bring any of CR LF,
// a lone CR or a lone LF.
namespace LineBreaks {

// Every CR LF, lone CR and lone LF as CR LF.
QString toCrLf(const QString& text);
// Every CR LF, lone CR and lone LF as one "\n".
QString toLf(const QString& text);

} // namespace LineBreaks
