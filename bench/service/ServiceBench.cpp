// The cost of talking to the service, against the real sandbox on 127.0.0.1:
//   bench_service --benchmark_counters_tabular=true
// BM_OneRequest reports the client's own CPU time per request (the sandbox runs in its own
// process, so the process CPU time is the client's); BM_ThousandLogins the wall time of
// 1,000 sequential GetUserInfo requests.
#include "SandboxProcess.h"
#include "platform/Registry.h"
#include "service/ServerRequest.h"
#include "service/ServiceClient.h"
#include "service/UserInfoReply.h"
#include "shared/Settings.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

SandboxProcess* g_sandbox = nullptr;
ServiceClient* g_client = nullptr;
QString g_key;

void BM_OneRequest(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(g_client->GetUserInfo(g_key));
    }
}
BENCHMARK(BM_OneRequest)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

void BM_ThousandLogins(benchmark::State& state) {
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            if (g_client->GetUserInfo(g_key).judged != QLatin1String("100.00"))
                state.SkipWithError("unexpected login reply");
        }
    }
}
BENCHMARK(BM_ThousandLogins)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The client-side work alone, without a peer: request text, Base64, form line, reply parse.
void BM_EnvelopeAndParse(benchmark::State& state) {
    const QString request = QStringLiteral("?") + g_key + QChar(1) + QStringLiteral("3.1.6");
    const QString reply = QStringLiteral("100.00\x01"
                                         "1.50\x01"
                                         "1.50\x01"
                                         "70\x01"
                                         "70\x01"
                                         "1\x01"
                                         "0\x01 ");
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormLine(request.toLatin1().toBase64()));
        benchmark::DoNotOptimize(UserInfoReply::read(reply));
    }
}
BENCHMARK(BM_EnvelopeAndParse)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    QCoreApplication app(argc, argv);

    SandboxProcess sandbox;
    if (!sandbox.start()) {
        std::fprintf(stderr, "sandbox: %s\n", qPrintable(sandbox.errorString()));
        return 1;
    }
    g_sandbox = &sandbox;
    g_key = sandbox.createAccount({});
    auto registry = std::make_shared<Registry>(home.path() + QStringLiteral("/settings.db"));
    Settings settings(*registry);
    settings.runFirstStart({});
    settings.set(Setting::Host, sandbox.host());
    settings.set(Setting::Port, qint32(sandbox.port()));
    ServiceClient client(registry);
    g_client = &client;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
