#include "ImportedText.h"

namespace ImportedText {

QString oneLine(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue; // CR LF is one break: the LF makes the blank
        out += c == u'\r' || c == u'\n' || c == u'\t' ? QChar(u' ') : c;
    }
    return out;
}

} // namespace ImportedText
