// The login reply: any bytes, read field by field as GetUserInfo stores them.
#include "platform/Ansi.h"
#include "service/LoginRoutine.h"
#include "service/UserInfoReply.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString reply =
        Ansi::toUnicode(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const UserInfoReply info = UserInfoReply::read(reply);
    if (info.PartLength && *info.PartLength < 1)
        __builtin_trap();
    IsNumberText(info.judged);
    return 0;
}
