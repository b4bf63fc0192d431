// History.dat budgets: a 1,000-recipient group send into a full history of 3,000 records
// costs at most three single appends; reading 100,000 records takes under 50 ms.
#include "history/HistoryFile.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr qint32 kLimit = 3000;

TMess sample(qint32 id) {
    TMess record;
    record.Id = id;
    record.setMoment(QDateTime::currentDateTime());
    record.Number = QStringLiteral("+7900%1").arg(id % 10000000, 7, 10, QLatin1Char('0'));
    record.Sender = QStringLiteral("Varnelo");
    // Every text differs, as in a real history; sender and signature mostly repeat.
    record.Text = QStringLiteral("Добрый день! Напоминаем, что завтра в 10:00 состоится встреча "
                                 "в офисе на Лесной, 5. Просьба не опаздывать. Заказ %1")
                      .arg(id);
    record.Sign = QStringLiteral("Иван");
    return record;
}

QList<TMess> records(qint32 first, qint32 count) {
    QList<TMess> list;
    list.reserve(count);
    for (qint32 i = 0; i < count; ++i)
        list.append(sample(first + i));
    return list;
}

// A history file of `count` records in a folder of its own.
struct Fixture {
    explicit Fixture(qint32 count)
        : history(folder.path() + QStringLiteral("/History.dat")) {
        history.rewrite(records(1, count));
    }
    QTemporaryDir folder;
    HistoryFile history;
};

void appendOne(benchmark::State& state) {
    Fixture fixture(kLimit);
    const TMess record = sample(100000);
    for (auto _ : state) {
        if (!fixture.history.AppendHistory(record, kLimit).isEmpty())
            state.SkipWithError("append failed");
    }
}
BENCHMARK(appendOne)->Unit(benchmark::kMillisecond);

void appendGroup(benchmark::State& state) {
    Fixture fixture(kLimit);
    const QList<TMess> group = records(100000, qint32(state.range(0)));
    for (auto _ : state) {
        if (!fixture.history.AppendHistory(group, kLimit).isEmpty())
            state.SkipWithError("append failed");
    }
}
BENCHMARK(appendGroup)->Arg(1000)->Unit(benchmark::kMillisecond);

void readAll(benchmark::State& state) {
    Fixture fixture(qint32(state.range(0)));
    for (auto _ : state) {
        const QList<TMess> read = fixture.history.readAll();
        if (read.size() != state.range(0))
            state.SkipWithError("short read");
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(readAll)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
