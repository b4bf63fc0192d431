// The reply of a send as the send flow reads it, and the same bytes cleaned as the system
// settings path cleans a reply.
#include "platform/Ansi.h"
#include "service/SendReply.h"
#include "service/ServerRequest.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    SendReply::read(Ansi::toUnicode(bytes));
    const QByteArray cleaned = CleanBrowserReply(bytes);
    if (cleaned.size() > bytes.size() + 3)
        __builtin_trap();
    SendReply::read(Ansi::toUnicode(cleaned));
    return 0;
}
