// libFuzzer harness: any posted body, through the request decoder and the command
// dispatcher, against a state that holds one known account with a message and a voucher.
// The first input byte chooses whether the rest is a posted body or already a request text,
// so the fuzzer reaches the commands without having to learn Base64 first.
#include "Dispatcher.h"
#include "RequestDecoder.h"
#include "SandboxContext.h"

#include <cstddef>
#include <cstdint>

namespace {

// Inputs between two resets, so that accounts and messages made by inputs do not pile up.
constexpr int kInputsPerState = 4096;

void seed(SandboxContext& context) {
    Account account;
    account.key = QByteArray(48, 'A');
    account.email = QStringLiteral("fuzz@example.org");
    account.balance = 1'000'000'000;
    account.activated = true;
    context.store.insertAccount(account);
    Dispatcher::handle(
        context, "BAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\x01hi\x01+79161234567\x01V\x01"
                 "0");
    Dispatcher::handle(context, ",AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\x01\x03\x01"
                                "10");
}

SandboxContext& context() {
    static SandboxContext instance(Settings{}, QStringLiteral(":memory:"));
    static int inputs = 0;
    if (inputs++ % kInputsPerState == 0) {
        {
            std::lock_guard lock(instance.mutex);
            instance.reset();
        }
        seed(instance);
    }
    return instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const QByteArray request = data[0] & 1 ? rest : RequestDecoder::decode(rest);
    Dispatcher::handle(context(), request);
    return 0;
}
