// Status replies: one code, and the codes for as many ids as the first byte says.
#include "platform/Ansi.h"
#include "service/StatusReply.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QString reply =
        Ansi::toUnicode(QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)));
    StatusReply::readCode(reply);
    const qsizetype count = data[0];
    const auto codes = StatusReply::readCodes(reply, count);
    if (codes && codes->size() != count)
        __builtin_trap();
    return 0;
}
