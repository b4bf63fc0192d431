#include "SpreadsheetText.h"

namespace SpreadsheetText {

bool looksLikeFormula(const QString& cell) {
    if (cell.isEmpty())
        return false;
    const QChar first = cell.front();
    if (first == u'=' || first == u'@' || first == u'\t' || first == u'\r')
        return true;
    if (first != u'+' && first != u'-')
        return false;
    return cell.size() == 1 || !cell[1].isDigit();
}

QString guarded(const QString& cell) {
    return looksLikeFormula(cell) ? QLatin1Char('\'') + cell : cell;
}

QString unguarded(const QString& cell) {
    if (cell.startsWith(u'\'') && looksLikeFormula(cell.sliced(1)))
        return cell.sliced(1);
    return cell;
}

} // namespace SpreadsheetText
