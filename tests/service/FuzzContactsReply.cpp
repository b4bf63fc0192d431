// The download of the contact book: the reply as sent, and a payload behind a valid "OK" +
// Base64, so that the fuzzer reaches the payload reader without learning Base64.
#include "platform/Ansi.h"
#include "service/ContactsPayload.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TContacts raw;
    ContactsPayload::readReply(Ansi::toUnicode(bytes), raw);
    TContacts decoded;
    ContactsPayload::readReply(QStringLiteral("OK") + QString::fromLatin1(bytes.toBase64()),
                               decoded);
    for (const TContactEntry& entry : decoded) {
        if (entry.Name.size() > TContactEntry::kNameCapacity ||
            entry.Number.size() > TContactEntry::kNumberCapacity ||
            entry.Sign.size() > TContactEntry::kSignCapacity)
            __builtin_trap();
    }
    return 0;
}
