// A personal message to each of 1,000 recipients, against the sandbox service: the whole send
// under 3 s, the history rewritten once a batch, and the window's thread never held up over
// 50 ms while a worker sends and reports its progress. Then where the time of one send goes,
// over 200 messages: the exchange against the journal's commits and their flushes to disk.
//
//   bench_group_send [--messages N] [--parts-messages N]
#include "BenchArguments.h"
#include "DiskSyncs.h"
#include "GroupRecipients.h"
#include "SandboxProcess.h"
#include "TestProfile.h"
#include "history/HistoryFile.h"
#include "messaging/BatchSend.h"
#include "messaging/SendJournal.h"
#include "messaging/SendPlan.h"
#include "platform/Registry.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonObject>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <memory>

#include <sys/stat.h>

namespace {

constexpr int kBroken = 1;
constexpr int kUsage = 2;
constexpr double kSendBudgetMs = 3000;
constexpr double kGapBudgetMs = 50;
constexpr int kTickMs = 5;
const QString kSender = QStringLiteral("Varnelo");

void print(const QString& text) {
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

QString ms(double value) {
    return QString::number(value, 'f', 1);
}

double msSince(const QElapsedTimer& clock) {
    return double(clock.nsecsElapsed()) / 1e6;
}

// A rewrite puts a new file in place of History.dat: another inode, and a new time and size.
struct FileStamp {
    quint64 inode = 0;
    qint64 modifiedNs = 0;
    qint64 size = -1;

    static FileStamp of(const QByteArray& path) {
        struct stat info {};
        if (::stat(path.constData(), &info) != 0)
            return {};
        return {quint64(info.st_ino),
                qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
                qint64(info.st_size)};
    }
    bool operator==(const FileStamp&) const = default;
};

// What a page's progress line would show; lives on the window's thread.
class ProgressShown : public QObject {
public:
    int done = 0;
    int total = 0;
    int updates = 0;
};

struct Setup {
    QString key;
    ServiceClient& client;
    const SendTraces& traces;
};

QList<BatchItem> itemsFor(const QString& key, int count) {
    SendPlan plan;
    plan.setRecipients(groupRecipients(count));
    plan.setText(groupMessage(), groupPageSign(), false, Tariff());
    QList<BatchItem> items;
    for (int i = 0; i < count; ++i) {
        BatchItem item;
        item.request.userKey = key;
        item.request.number = plan.recipients()[i].number;
        item.request.sender = kSender;
        item.request.text = plan.textFor(i);
        item.contacts = {plan.recipients()[i].name};
        items.append(item);
    }
    return items;
}

QString syncText(const DiskSyncs::Figures& syncs) {
    return QStringLiteral("journal (settings store) %1 taking %2 ms, history folder (file and "
                          "lock) %3 taking %4 ms, other %5")
        .arg(syncs.count[DiskSyncs::Store])
        .arg(ms(syncs.ms(DiskSyncs::Store)))
        .arg(syncs.count[DiskSyncs::History])
        .arg(ms(syncs.ms(DiskSyncs::History)))
        .arg(syncs.count[DiskSyncs::Other]);
}

// The send as a window runs it: BatchSend on a worker, each progress handed to the window's
// thread by a queued call, while a 5 ms timer there measures how long its loop is held up.
int groupSend(const Setup& setup, int count) {
    const QList<BatchItem> items = itemsFor(setup.key, count);
    const QString historyPath = setup.traces.history.path();
    QFile::remove(historyPath);

    ProgressShown shown;
    FileStamp lastStamp = FileStamp::of(QFile::encodeName(historyPath));
    int rewrites = 0;
    const auto countRewrite = [&] {
        const FileStamp stamp = FileStamp::of(QFile::encodeName(historyPath));
        if (stamp != lastStamp)
            ++rewrites;
        lastStamp = stamp;
    };
    // Called on the worker after each request, before the batch is settled: a rewrite shows
    // at the next call, the last one after run() returns.
    const BatchSend::Progress progress = [&](int done, int total) {
        countRewrite();
        QMetaObject::invokeMethod(
            &shown,
            [&shown, done, total] {
                shown.done = done;
                shown.total = total;
                ++shown.updates;
            },
            Qt::QueuedConnection);
    };

    BatchReport report;
    const std::atomic_bool stop{false};
    double runMs = 0;
    const std::unique_ptr<QThread> worker(QThread::create([&] {
        QElapsedTimer clock;
        clock.start();
        report = BatchSend(setup.traces).run(items, stop, progress);
        runMs = msSince(clock);
        countRewrite();
    }));

    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGapNs = 0;
    int ticks = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(kTickMs);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestGapNs = qMax(longestGapNs, now - lastTick);
        lastTick = now;
        ++ticks;
    });
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);

    const DiskSyncs::Figures syncsBefore = DiskSyncs::now();
    clock.start();
    tick.start();
    worker->start();
    loop.exec();
    const double wallMs = msSince(clock);
    tick.stop();
    const DiskSyncs::Figures syncs = DiskSyncs::now() - syncsBefore;
    worker->wait();
    QCoreApplication::processEvents();

    QString historyError;
    const qsizetype records = HistoryFile(historyPath).readAll(&historyError).size();
    const qsizetype journalRows = setup.traces.journal.rows().size();
    const double longestGapMs = double(longestGapNs) / 1e6;
    const bool whole = report.accepted == count && report.refused.isEmpty() &&
                       report.unknown.isEmpty() && report.notSent.isEmpty() && records == count &&
                       historyError.isEmpty() && journalRows == 0 && shown.done == count;
    const bool fast = wallMs < kSendBudgetMs;
    const bool smooth = longestGapMs < kGapBudgetMs;
    const auto verdict = [](bool pass) {
        return pass ? QStringLiteral("PASS") : QStringLiteral("FAIL");
    };
    print(QStringLiteral("group send, %1 personal messages through BatchSend on a worker:\n"
                         "  %2")
              .arg(count)
              .arg(report.summary()));
    print(QStringLiteral("  history: %1 records (%2), rewritten %3 times (a new inode, time or "
                         "size of History.dat after a progress call); journal rows left: %4")
              .arg(records)
              .arg(historyError.isEmpty() ? QStringLiteral("read whole") : historyError)
              .arg(rewrites)
              .arg(journalRows));
    print(QStringLiteral("  progress calls shown on the window's thread: %1, last %2 of %3")
              .arg(shown.updates)
              .arg(shown.done)
              .arg(shown.total));
    print(QStringLiteral("  wall %1 ms (run() %2 ms), %3 requests/s  (budget under %4 ms)  %5")
              .arg(ms(wallMs), ms(runMs))
              .arg(double(count) * 1000 / wallMs, 0, 'f', 0)
              .arg(kSendBudgetMs, 0, 'f', 0)
              .arg(verdict(fast)));
    print(QStringLiteral("  window's thread: %1 ticks of %2 ms, longest gap %3 ms  (budget "
                         "under %4 ms)  %5")
              .arg(ticks)
              .arg(kTickMs)
              .arg(ms(longestGapMs))
              .arg(kGapBudgetMs, 0, 'f', 0)
              .arg(verdict(smooth)));
    const double flushMs = syncs.ms(DiskSyncs::Store) + syncs.ms(DiskSyncs::History);
    print(QStringLiteral("  disk flushes: %1; %2% of the wall time")
              .arg(syncText(syncs))
              .arg(100 * flushMs / wallMs, 0, 'f', 0));
    if (!whole)
        print(QStringLiteral("  FAIL: the send did not leave %1 accepted messages, %1 history "
                             "records and an empty journal")
                  .arg(count));
    return (whole ? 0 : 1) + (fast ? 0 : 1) + (smooth ? 0 : 1);
}

// One part of the breakdown: its time and its flushes, summed over the messages.
struct Step {
    double ms = 0;
    DiskSyncs::Figures syncs;

    template <typename Work> void add(Work&& work) {
        const DiskSyncs::Figures before = DiskSyncs::now();
        QElapsedTimer clock;
        clock.start();
        work();
        ms += msSince(clock);
        const DiskSyncs::Figures spent = DiskSyncs::now() - before;
        for (int kind = 0; kind < DiskSyncs::kKinds; ++kind) {
            syncs.count[kind] += spent.count[kind];
            syncs.nanoseconds[kind] += spent.nanoseconds[kind];
        }
    }
    double flushMs() const { return syncs.ms(DiskSyncs::Store); }
};

QString stepLine(const QString& name, const Step& step, int count) {
    const qint64 storeFlushes = step.syncs.count[DiskSyncs::Store];
    const qint64 historyFlushes = step.syncs.count[DiskSyncs::History];
    return QStringLiteral("  %1 %2 ms  %3 ms a message  %4%5")
        .arg(name.leftJustified(32))
        .arg(ms(step.ms).rightJustified(6))
        .arg(step.ms / count, 0, 'f', 2)
        .arg(storeFlushes ? QStringLiteral("journal flushes %1 = %2 ms (%3%)")
                                .arg(storeFlushes)
                                .arg(ms(step.flushMs()))
                                .arg(100 * step.flushMs() / step.ms, 0, 'f', 0)
                          : QStringLiteral("no journal flush"))
        .arg(historyFlushes ? QStringLiteral(", history flushes %1 = %2 ms")
                                  .arg(historyFlushes)
                                  .arg(ms(step.syncs.ms(DiskSyncs::History)))
                            : QString());
}

// Where the time goes. Each message goes through SendAndHold as the batch sends it, and then
// its parts are timed apart: the exchange alone, and the journal's two commits on a row of
// their own. Taking the four in turn for every message puts them all under the same load of
// the machine, which changes over a run. The held sends are settled at the end, in one go.
int breakdown(const Setup& setup, int count) {
    const QList<BatchItem> items = itemsFor(setup.key, count);
    QFile::remove(setup.traces.history.path());
    SendJournal& journal = setup.traces.journal;

    QList<HeldSend> held;
    QList<qint64> rows;
    int replied = 0;
    Step sending, exchange, begin, record, settling, settle;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const SendRequest& request = items[i].request;
        sending.add([&] { held.append(SendAndHold(setup.traces, request)); });
        exchange.add([&] {
            const ServiceClient::SendExchange answer = setup.client.SendSms(
                request.userKey, request.sender, request.text.full, request.number, 0);
            replied += answer.delivery == ServiceClient::SendExchange::Delivery::Replied ? 1 : 0;
        });
        SendJournal::Row row;
        row.numbers = {request.number};
        row.message = request.text.message;
        row.sign = request.text.sign;
        row.sender = request.sender;
        begin.add([&] { rows.append(journal.begin(row)); });
        record.add([&] { journal.recordAccepted(rows.last(), {{qint32(i + 1), request.number}}); });
    }
    settling.add([&] { SettleHeld(setup.traces, held); });
    settle.add([&] {
        journal.inTransaction([&] {
            for (const qint64 row : std::as_const(rows))
                journal.settle(row, {}, {});
        });
    });
    int accepted = 0;
    for (const HeldSend& send : std::as_const(held))
        accepted += int(send.result.outcome.accepted.size());

    print(QStringLiteral("where the time goes, %1 messages one by one on this thread:").arg(count));
    print(stepLine(QStringLiteral("SendAndHold, each"), sending, count));
    print(stepLine(QStringLiteral("SettleHeld, once"), settling, count));
    print(QStringLiteral("  its parts apart, in turn with it:"));
    print(stepLine(QStringLiteral("exchange alone (SendSms)"), exchange, count));
    print(stepLine(QStringLiteral("journal begin"), begin, count));
    print(stepLine(QStringLiteral("journal recordAccepted"), record, count));
    print(stepLine(QStringLiteral("journal settle, one transaction"), settle, count));

    const qint64 flushes = sending.syncs.count[DiskSyncs::Store];
    const double flushMs = sending.flushMs() / count;
    const double exchangeMs = exchange.ms / count;
    print(QStringLiteral("  a message's SendAndHold: %1 ms, of which %2 ms (%3%) in %4 journal "
                         "flushes of %5 ms; the exchange alone %6 ms (%7%)")
              .arg(sending.ms / count, 0, 'f', 2)
              .arg(flushMs, 0, 'f', 2)
              .arg(100 * sending.flushMs() / sending.ms, 0, 'f', 0)
              .arg(double(flushes) / count, 0, 'f', 1)
              .arg(flushes ? sending.flushMs() / double(flushes) : 0, 0, 'f', 2)
              .arg(exchangeMs, 0, 'f', 2)
              .arg(100 * exchange.ms / sending.ms, 0, 'f', 0));
    print(flushMs > exchangeMs
              ? QStringLiteral("  the journal's flushes take longer than the exchange")
              : QStringLiteral("  the exchange takes longer than the journal's flushes"));

    const bool whole = accepted == count && replied == count && journal.rows().isEmpty();
    if (!whole)
        print(QStringLiteral("  FAIL: %1 accepted, %2 replied of %3, %4 journal rows left")
                  .arg(accepted)
                  .arg(replied)
                  .arg(count)
                  .arg(journal.rows().size()));
    return whole ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    TestProfile profile;
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("messages"), QStringLiteral("Messages of the send (1000)."),
                      QStringLiteral("N"), QStringLiteral("1000")});
    parser.addOption({QStringLiteral("parts-messages"),
                      QStringLiteral("Messages of the breakdown (200; 0 skips it)."),
                      QStringLiteral("N"), QStringLiteral("200")});
    QString error;
    bool help = false;
    if (!readBenchArguments(parser, QCoreApplication::arguments(), &error, &help)) {
        if (help) {
            print(parser.helpText());
            return 0;
        }
        std::fprintf(stderr, "bench_group_send: %s\n", qPrintable(error));
        return kUsage;
    }
    const int messages = parser.value(QStringLiteral("messages")).toInt();
    const int partsMessages = parser.value(QStringLiteral("parts-messages")).toInt();
    if (messages < 1 || partsMessages < 0) {
        std::fprintf(stderr, "bench_group_send: --messages takes a number > 0\n");
        return kUsage;
    }

    SandboxProcess sandbox;
    if (!sandbox.start()) {
        std::fprintf(stderr, "bench_group_send: the sandbox did not start: %s\n",
                     qPrintable(sandbox.errorString()));
        return kBroken;
    }
    const QString key = sandbox.createAccount({{"balance", "100000.00"}});
    Registry& store = profile.store();
    Settings settings(store);
    settings.runFirstStart({});
    settings.set(Setting::Host, sandbox.host());
    settings.set(Setting::Port, qint32(sandbox.port()));
    ServiceClient client(profile.sharedStore());
    client.setUserKey(key);
    SendJournal journal(store);
    const HistoryFile history;
    const SendTraces traces{client, journal, history};
    DiskSyncs::watch(profile.configFolder(), profile.dataFolder());
    print(QStringLiteral("bench_group_send: profile in %1, %2 cores")
              .arg(profile.root())
              .arg(QThread::idealThreadCount()));

    const Setup setup{key, client, traces};
    int broken = groupSend(setup, messages);
    if (partsMessages > 0)
        broken += breakdown(setup, partsMessages);
    print(broken ? QStringLiteral("result: FAIL, %1 checks broken").arg(broken)
                 : QStringLiteral("result: PASS"));
    return broken ? kBroken : 0;
}
