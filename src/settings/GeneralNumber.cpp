#include "GeneralNumber.h"

#include "platform/ToolkitRussian.h"

namespace {

constexpr int kSignificantDigits = 15;

} // namespace

QString generalNumberText(double value) {
    // The desktop's own number format, whatever locale the widgets were given.
    QLocale locale = ToolkitRussian::desktopLocale();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', kSignificantDigits);
}
