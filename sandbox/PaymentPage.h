#pragma once

#include "SandboxContext.h"

// The payment-instructions page "/howpay.php?" + key + text colour + background colour, each
// colour six hexadecimal digits of a colour number whose lowest byte is red. Answers HTML in
// code page 1251; takes the context's mutex itself.
namespace PaymentPage {

QByteArray render(SandboxContext& context, const QByteArray& query);

// "B1552C" (lowest byte red) -> "#2C55B1"; empty when the text is not six hex digits.
QString htmlColour(const QByteArray& colourNumber);

} // namespace PaymentPage
