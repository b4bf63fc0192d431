#include "RequestDecoder.h"

namespace RequestDecoder {

QByteArray decode(const QByteArray& body) {
    // A "+" is a Base64 character here, never a form-encoded blank: the client leaves
    // everything before the first "=" unencoded.
    const QByteArray base64 = QByteArray::fromPercentEncoding(body);
    return QByteArray::fromBase64(base64);
}

} // namespace RequestDecoder
