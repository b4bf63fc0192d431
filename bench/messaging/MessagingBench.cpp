// Recount runs on every key press: a 5,000-character message with transliteration on must
// take under 0.2 ms.
#include "messaging/Recount.h"

#include <benchmark/benchmark.h>

namespace {

void recountTranslit(benchmark::State& state) {
    const QString phrase = QStringLiteral("Щедрый съезд ёлок, Hello! 12\r\n");
    QString message;
    while (message.size() < state.range(0))
        message += phrase;
    message.truncate(state.range(0));
    Tariff tariff;
    tariff.SmsPrice = 1.2;
    tariff.ExtraPartPrice = 0.9;
    tariff.CheckTextLength = false;
    const QLocale locale(QLocale::Russian, QLocale::Russia);
    for (auto _ : state)
        benchmark::DoNotOptimize(Recount(message, QStringLiteral("Вася"), true, tariff, locale));
}
BENCHMARK(recountTranslit)->Arg(5000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
