#pragma once

#include <QByteArray>

// Turns a posted body into the request text. Both client transports post the Base64 text of
// the request: the direct one form-encoded (so a closing "==" arrives as "=%3D"), the other
// one raw. Decoding is lenient: percent escapes are undone first, then every character
// outside the Base64 alphabet is skipped, so any body gives some text, possibly empty.
namespace RequestDecoder {

QByteArray decode(const QByteArray& body);

} // namespace RequestDecoder
