#pragma once

#include <QString>

#include <optional>

// Numbers in replies of the service, read the same way whatever the user's locale.
namespace ServiceNumber {

// A decimal number whose separator may be a point or a comma; blanks around it are allowed,
// an exponent too. Nothing for anything else, and for infinities and NaN.
std::optional<double> readDecimal(const QString& text);

// A signed decimal 32-bit integer: an optional sign and digits, nothing else.
std::optional<qint32> readInteger(const QString& text);

} // namespace ServiceNumber
