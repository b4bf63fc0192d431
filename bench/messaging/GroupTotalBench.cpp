// The totals of a send to a large group, recounted on every key press: a message with fields
// typed one character at a time for 5,000 recipients, plain and transliterated, must cost
// under 5 ms a keystroke. Also what setting the 5,000 recipients costs. The verdict takes the
// thread's CPU time of the worst keystroke: on a shared machine its wall time also holds
// whatever preempted the thread, shown beside it.
//
//   bench_group_total [--recipients N] [--rounds N]
#include "BenchArguments.h"
#include "GroupRecipients.h"
#include "messaging/SendPlan.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr int kBroken = 1;
constexpr int kUsage = 2;
constexpr double kKeystrokeBudgetMs = 5.0;

void print(const QString& text) {
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

// CPU time of this thread: the plan's own cost, apart from what a busy machine adds.
double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Spread {
    double meanMs = 0;
    double maxMs = 0;
    double maxCpuMs = 0;
    int count = 0;

    void add(double ms, double cpuMs) {
        meanMs += (ms - meanMs) / ++count;
        maxMs = std::max(maxMs, ms);
        maxCpuMs = std::max(maxCpuMs, cpuMs);
    }
    QString text() const {
        return QStringLiteral("mean %1 ms, max %2 ms (thread CPU max %3 ms)")
            .arg(meanMs, 0, 'f', 3)
            .arg(maxMs, 0, 'f', 3)
            .arg(maxCpuMs, 0, 'f', 3);
    }
};

// Every prefix of the message in turn, as typing it into an empty page gives them.
Spread typing(SendPlan& plan, bool translit, const Tariff& tariff, const QLocale& locale,
              int rounds) {
    const QString message = groupMessage();
    const QString sign = groupPageSign();
    Spread spread;
    QElapsedTimer clock;
    for (int round = 0; round < rounds; ++round) {
        for (qsizetype typed = 1; typed <= message.size(); ++typed) {
            const QString text = message.left(typed);
            const double cpu = threadCpuMs();
            clock.start();
            plan.setText(text, sign, translit, tariff, locale);
            const double ms = double(clock.nsecsElapsed()) / 1e6;
            spread.add(ms, threadCpuMs() - cpu);
        }
    }
    return spread;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("recipients"), QStringLiteral("Recipients (5000)."),
                      QStringLiteral("N"), QStringLiteral("5000")});
    parser.addOption({QStringLiteral("rounds"),
                      QStringLiteral("Times the message is typed in each mode (3)."),
                      QStringLiteral("N"), QStringLiteral("3")});
    QString error;
    bool help = false;
    if (!readBenchArguments(parser, QCoreApplication::arguments(), &error, &help)) {
        if (help) {
            print(parser.helpText());
            return 0;
        }
        std::fprintf(stderr, "bench_group_total: %s\n", qPrintable(error));
        return kUsage;
    }
    const int count = parser.value(QStringLiteral("recipients")).toInt();
    const int rounds = parser.value(QStringLiteral("rounds")).toInt();
    if (count < 1 || rounds < 1) {
        std::fprintf(stderr, "bench_group_total: --recipients and --rounds take a number > 0\n");
        return kUsage;
    }

    // The sandbox's tariff, with room for the longest of these texts.
    Tariff tariff;
    tariff.SmsPrice = 1.5;
    tariff.ExtraPartPrice = 1.5;
    tariff.PartLength = 70;
    tariff.MaxMessageLength = 700;
    const QLocale locale(QLocale::Russian, QLocale::Russia);
    const QList<PlanRecipient> recipients = groupRecipients(count);

    // The recipients change under a typed message: their fields are measured and the
    // message recounted.
    SendPlan plan;
    plan.setText(groupMessage(), groupPageSign(), true, tariff, locale);
    Spread setting;
    QElapsedTimer clock;
    for (int round = 0; round < rounds; ++round) {
        const double cpu = threadCpuMs();
        clock.start();
        plan.setRecipients(recipients);
        setting.add(double(clock.nsecsElapsed()) / 1e6, threadCpuMs() - cpu);
    }
    print(QStringLiteral("setRecipients(%1) under the whole message, translit on, %2 times:\n"
                         "  %3")
              .arg(count)
              .arg(rounds)
              .arg(setting.text()));

    int broken = 0;
    for (const bool translit : {false, true}) {
        const Spread spread = typing(plan, translit, tariff, locale, rounds);
        if (!plan.personal() || plan.recipientCount() != count || plan.parts() < count) {
            std::fprintf(stderr, "bench_group_total: the plan did not count the message\n");
            return kBroken;
        }
        const bool pass = spread.maxCpuMs < kKeystrokeBudgetMs;
        broken += pass ? 0 : 1;
        print(QStringLiteral("typing, translit %1: %2 keystrokes, %3 recipients (at the end "
                             "%4 parts, %5 roubles)\n"
                             "  %6  (budget under %7 ms of CPU a keystroke)  %8")
                  .arg(translit ? QStringLiteral("on") : QStringLiteral("off"))
                  .arg(spread.count)
                  .arg(count)
                  .arg(plan.parts())
                  .arg(plan.total(), 0, 'f', 2)
                  .arg(spread.text())
                  .arg(kKeystrokeBudgetMs, 0, 'f', 2)
                  .arg(pass ? QStringLiteral("PASS") : QStringLiteral("FAIL")));
    }
    print(broken ? QStringLiteral("result: FAIL, %1 of 2 budgets broken").arg(broken)
                 : QStringLiteral("result: PASS, both budgets hold"));
    return broken ? kBroken : 0;
}
