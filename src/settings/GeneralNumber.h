#pragma once

#include <QString>

// A number written the way the desktop's locale writes it in its general form: up to 15
// significant digits, no trailing zeros, no group separators ("1,5" in a Russian locale).
QString generalNumberText(double value);
