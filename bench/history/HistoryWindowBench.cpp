// History window budgets: a fill from 100,000 records under 300 ms, a sort by any column under
// 200 ms, the 100,000 rows in under 60 MB; a status query for 3,000 pending records against the
// sandbox service costs one request and one rewrite of History.dat.
#include "SandboxProcess.h"
#include "ServiceFixture.h"
#include "history/HistoryFile.h"
#include "history/HistoryStatusQuery.h"
#include "history/ui/HistoryListModel.h"
#include "history/ui/HistoryUnit.h"
#include "platform/Registry.h"
#include "service/ServiceClient.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <random>

namespace {

constexpr qint32 kRows = 100000;
constexpr qint32 kPending = 3000;
constexpr double kMiB = 1024.0 * 1024.0;

// A message as users send them: numbers of a few hundred contacts, a few senders, a text that
// differs every time, mostly the same signature; statuses the service has settled.
TMess sample(qint32 id) {
    static const quint8 settled[] = {11, 11, 11, 2, 3, 12};
    static const QString senders[] = {QStringLiteral("Varnelo"), QStringLiteral("Shop"),
                                      QStringLiteral("79001234567")};
    TMess record;
    record.Id = id;
    record.setMoment(QDateTime(QDate(2026, 1, 1), QTime(0, 0)).addSecs(qint64(id) * 97));
    record.Status = settled[id % 6];
    record.Number = QStringLiteral("+7900%1").arg((id * 7919) % 500, 7, 10, QLatin1Char('0'));
    record.Sender = senders[id % 3];
    record.Text = QStringLiteral("Добрый день! Напоминаем, что завтра в 10:00 состоится встреча "
                                 "в офисе на Лесной, 5. Просьба не опаздывать. Заказ %1")
                      .arg(id);
    record.Sign = QStringLiteral("Иван");
    return record;
}

QList<TMess> records(qint32 count) {
    QList<TMess> list;
    list.reserve(count);
    for (qint32 i = 1; i <= count; ++i)
        list.append(sample(i));
    return list;
}

size_t heapInUse() {
    return mallinfo2().uordblks;
}

// A History.dat of 100,000 records and a shown window over it.
struct WindowFixture {
    WindowFixture()
        : file(folder.path() + QStringLiteral("/History.dat")) {
        file.rewrite(records(kRows));
        form = std::make_unique<THistoryForm>(
            std::make_shared<ServiceClient>(std::make_shared<Registry>(QStringLiteral(":memory:"))),
            nullptr, file);
        form->resize(900, 500);
    }
    QTemporaryDir folder;
    HistoryFile file;
    std::unique_ptr<THistoryForm> form;
};

void fillWindow(benchmark::State& state) {
    WindowFixture fixture;
    fixture.form->show();
    for (auto _ : state) {
        fixture.form->Refill();
        if (fixture.form->model()->rowCount() != kRows)
            state.SkipWithError("rows missing");
    }
}
BENCHMARK(fillWindow)->Unit(benchmark::kMillisecond);

// "Отобрать" with a text that no record holds: every record is searched to its moment.
void fillWithFreeText(benchmark::State& state) {
    WindowFixture fixture;
    fixture.form->show();
    fixture.form->findChild<QLineEdit*>(QStringLiteral("filterEdit"))
        ->setText(QStringLiteral("ничего такого"));
    for (auto _ : state)
        fixture.form->applyFilter();
}
BENCHMARK(fillWithFreeText)->Unit(benchmark::kMillisecond);

void rowsMemory(benchmark::State& state) {
    WindowFixture fixture;
    fixture.form->show();
    fixture.form->close();
    malloc_trim(0);
    double mib = 0;
    for (auto _ : state) {
        const size_t before = heapInUse();
        fixture.form->show();
        mib = double(heapInUse() - before) / kMiB;
        state.PauseTiming();
        fixture.form->close();
        state.ResumeTiming();
    }
    state.counters["MiB"] = mib;
}
BENCHMARK(rowsMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

// Each round sorts rows in a shuffled order, as after sorting by another column.
void sortColumn(benchmark::State& state) {
    WindowFixture fixture;
    fixture.form->show();
    QList<HistoryRow> shuffled = fixture.form->model()->rows();
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    const int column = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        fixture.form->model()->setRows(shuffled);
        state.ResumeTiming();
        fixture.form->sortByColumn(column);
    }
}
BENCHMARK(sortColumn)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// The same without the view: what the ordering itself costs.
void sortRowsOnly(benchmark::State& state) {
    WindowFixture fixture;
    fixture.form->show();
    QList<HistoryRow> shuffled = fixture.form->model()->rows();
    fixture.form->close();
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    const int column = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        QList<HistoryRow> rows = shuffled;
        rows.detach();
        state.ResumeTiming();
        HistoryColumn::sortRows(rows, column);
    }
}
BENCHMARK(sortRowsOnly)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// Renames and creations of History.dat in its folder: each is one rewrite put in place.
class RewriteCounter {
public:
    explicit RewriteCounter(const QString& folder)
        : m_fd(inotify_init1(IN_NONBLOCK)) {
        inotify_add_watch(m_fd, folder.toLocal8Bit().constData(), IN_MOVED_TO | IN_CREATE);
    }
    ~RewriteCounter() { close(m_fd); }
    int take() {
        int count = 0;
        alignas(inotify_event) char buffer[4096];
        ssize_t size;
        while ((size = read(m_fd, buffer, sizeof buffer)) > 0) {
            for (char* at = buffer; at < buffer + size;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len && qstrcmp(event->name, "History.dat") == 0)
                    ++count;
                at += sizeof(inotify_event) + event->len;
            }
        }
        return count;
    }

private:
    int m_fd;
};

void statusQuery3000(benchmark::State& state) {
    QTemporaryDir folder;
    ServiceFixture service(folder.path());
    SandboxProcess sandbox;
    if (!sandbox.start({QStringLiteral("--status-step-ms"), QStringLiteral("0")})) {
        state.SkipWithError("sandbox did not start");
        return;
    }
    service.reset(sandbox.port());
    const QString key = sandbox.createAccount({{QStringLiteral("balance"), "100000"}});
    QStringList numbers;
    for (int i = 0; i < kPending; ++i)
        numbers << QStringLiteral("+7900%1").arg(i, 7, 10, QLatin1Char('0'));
    const QList<QByteArray> ids =
        sandbox
            .ask("B" + key.toLatin1() + "\x01Hello\x01" + numbers.join('|').toLatin1() +
                 "\x01Varnelo\x01"
                 "0")
            .split('|');
    QList<TMess> pending = records(kPending);
    for (int i = 0; i < kPending; ++i) {
        pending[i].Id = ids.value(i).toInt();
        pending[i].Status = TMess::kStatusSent;
    }
    const HistoryFile file(folder.path() + QStringLiteral("/History.dat"));
    RewriteCounter rewrites(folder.path());
    int requests = 0;
    int rewritten = 0;
    for (auto _ : state) {
        state.PauseTiming();
        file.rewrite(pending);
        rewrites.take();
        const qint64 since = sandbox.log().last().toObject().value("sequence").toInteger();
        state.ResumeTiming();

        const HistoryStatusQuery::Outcome outcome =
            HistoryStatusQuery::queryAll(service.client(), file);

        state.PauseTiming();
        if (!outcome.ok || outcome.statuses.size() != kPending)
            state.SkipWithError("query failed");
        requests = int(sandbox.log(since).size());
        rewritten = rewrites.take();
        state.ResumeTiming();
    }
    state.counters["requests"] = requests;
    state.counters["rewrites"] = rewritten;
}
BENCHMARK(statusQuery3000)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
