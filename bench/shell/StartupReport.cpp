#include "StartupReport.h"

#include <algorithm>

namespace {

// The program against the content floor, by the median of the per-round ratios.
constexpr double kStartRatioBudget = 1.10;
// Resident size at the first frame, program against the floor, by the ratio of the medians.
constexpr double kMemoryRatioBudget = 1.25;
// Per cent of one core, left alone with default settings and with the window fades on.
constexpr double kIdleBudget = 0.1;
constexpr double kIdleWithFadesBudget = 0.5;

QList<double> ratios(const QList<double>& numerators, const QList<double>& denominators) {
    QList<double> result;
    for (qsizetype i = 0; i < numerators.size() && i < denominators.size(); ++i)
        result.append(numerators[i] / denominators[i]);
    return result;
}

QString number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

} // namespace

double StartupReport::median(QList<double> values) {
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

QString StartupReport::verdict(double value, double budget, const QString& unit) {
    const bool pass = value <= budget;
    ++m_judged;
    if (!pass)
        ++m_broken;
    return QStringLiteral("(budget %1%2)  %3")
        .arg(number(budget, 2), unit, pass ? QStringLiteral("PASS") : QStringLiteral("FAIL"));
}

QString StartupReport::start(const StartupMeasures::StartTimes& times) {
    const double toFloor = median(ratios(times.program, times.floor));
    const double toBare = median(ratios(times.program, times.bare));
    return QStringLiteral("start, ms to the first frame on screen (medians of %1 rounds):\n"
                          "  bare %2   floor %3   program %4\n"
                          "  program/floor %5 %6\n"
                          "  program/bare  %7\n")
        .arg(times.program.size())
        .arg(number(median(times.bare), 1), number(median(times.floor), 1),
             number(median(times.program), 1), number(toFloor, 3),
             verdict(toFloor, kStartRatioBudget), number(toBare, 3));
}

QString StartupReport::memory(const StartupMeasures::ResidentSizes& sizes) {
    const double floorKb = median(sizes.floorKb);
    const double programKb = median(sizes.programKb);
    const double ratio = programKb / floorKb;
    return QStringLiteral("memory, VmRSS at the first frame (medians of %1 starts):\n"
                          "  floor %2 MB   program %3 MB\n"
                          "  program/floor %4 %5\n")
        .arg(sizes.programKb.size())
        .arg(number(floorKb / 1024, 1), number(programKb / 1024, 1), number(ratio, 3),
             verdict(ratio, kMemoryRatioBudget));
}

QString StartupReport::idle(bool fades, int seconds, const StartupMeasures::Idle& figures) {
    const QString requests = figures.requests.isEmpty()
                                 ? QStringLiteral("none")
                                 : figures.requests.join(QStringLiteral(", "));
    return QStringLiteral("idle, %1, %2 s after settling, %3:\n"
                          "  CPU %4% of one core %5\n"
                          "  wake-ups %6/s (busiest threads: %7)\n"
                          "  requests to the service while idle: %8\n")
        .arg(fades ? QStringLiteral("fades on (SlowHideOnClose=1, UseAlphaBlend=1)")
                   : QStringLiteral("default settings"))
        .arg(seconds)
        .arg(figures.loggedIn ? QStringLiteral("logged in") : QStringLiteral("NOT logged in"))
        .arg(number(figures.cpuPercent, 3),
             verdict(figures.cpuPercent, fades ? kIdleWithFadesBudget : kIdleBudget,
                     QStringLiteral("%")),
             number(figures.wakeUpsPerSecond, 2),
             figures.busiestThreads.isEmpty() ? QStringLiteral("none") : figures.busiestThreads,
             requests);
}

QString StartupReport::summary() const {
    return m_broken == 0 ? QStringLiteral("result: PASS, all %1 budgets hold").arg(m_judged)
                         : QStringLiteral("result: FAIL, %1 of %2 budgets broken")
                               .arg(m_broken)
                               .arg(m_judged);
}
