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
    // Values are taken in order: a later one is never there without every one before it.
    if (info.PartLength && !(info.Balance && info.SmsPrice && info.ExtraPartPrice))
        __builtin_trap();
    if (info.ServiceMessage && !info.MaxMessageLength)
        __builtin_trap();
    IsNumberText(info.judged);
    return 0;
}
