#include "GeneralNumber.h"

#include <QLocale>

namespace {

constexpr int kSignificantDigits = 15;

} // namespace

QString generalNumberText(double value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', kSignificantDigits);
}
