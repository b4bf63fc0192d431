// Budgets of varnelo-sandbox: at least 2,000 GetUserInfo requests per second from two client
// connections on 127.0.0.1, and a resident size that stays flat over 100,000 requests.
//
//   bench_sandbox                       both budgets
//   bench_sandbox --benchmark_filter=Rss
#include "SandboxProcess.h"

#include <QFile>

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Started on first use; stopped when the program ends.
SandboxProcess& sandbox() {
    static SandboxProcess instance;
    static const bool started = [] {
        if (!instance.start()) {
            std::fprintf(stderr, "cannot start varnelo-sandbox: %s\n",
                         qPrintable(instance.errorString()));
            std::exit(1);
        }
        return true;
    }();
    Q_UNUSED(started);
    return instance;
}

const std::string& userInfoBody() {
    static const std::string body = [] {
        const QByteArray key = sandbox().createAccount().toLatin1();
        return SandboxProcess::formBody("?" + key + '\x01' + "3.1.6").toStdString();
    }();
    return body;
}

bool askUserInfo(httplib::Client& client) {
    const httplib::Result result =
        client.Post("/", userInfoBody(), "application/x-www-form-urlencoded");
    return result && result->status == 200 && result->body.rfind("100.00", 0) == 0;
}

long residentKb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Each benchmark thread is one client connection, kept open as a browser would.
void BM_GetUserInfo_KeepAlive(benchmark::State& state) {
    httplib::Client client(sandbox().host().toStdString(), sandbox().port());
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    for (auto _ : state)
        if (!askUserInfo(client))
            state.SkipWithError("bad reply");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetUserInfo_KeepAlive)->Threads(2)->UseRealTime()->MinTime(2.0);

// The client's own way: a new connection for every request.
void BM_GetUserInfo_NewConnection(benchmark::State& state) {
    for (auto _ : state) {
        httplib::Client client(sandbox().host().toStdString(), sandbox().port());
        if (!askUserInfo(client))
            state.SkipWithError("bad reply");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetUserInfo_NewConnection)->Threads(2)->UseRealTime()->MinTime(2.0);

// 100,000 requests; the counters show the service's resident size before and after. A warm-up
// of 10,000 requests first lets the allocator and SQLite's caches reach their working size.
void BM_GetUserInfo_Rss(benchmark::State& state) {
    const qint64 pid = sandbox().processId();
    httplib::Client client(sandbox().host().toStdString(), sandbox().port());
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    for (auto _ : state) {
        for (int i = 0; i < 10'000; ++i)
            askUserInfo(client);
        const long before = residentKb(pid);
        for (int i = 0; i < 100'000; ++i)
            if (!askUserInfo(client))
                state.SkipWithError("bad reply");
        const long after = residentKb(pid);
        state.counters["rss_before_kb"] = double(before);
        state.counters["rss_after_kb"] = double(after);
        state.counters["rss_growth_kb"] = double(after - before);
    }
}
BENCHMARK(BM_GetUserInfo_Rss)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
