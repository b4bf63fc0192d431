#include "LineBreaks.h"

namespace LineBreaks {

QString toCrLf(const QString& text) {
    return toLf(text).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

QString toLf(const QString& text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return plain;
}

} // namespace LineBreaks
