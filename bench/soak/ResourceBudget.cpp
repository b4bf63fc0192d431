#include "ResourceBudget.h"

#include <algorithm>
#include <functional>

namespace {

ResourceBudget::Range rangeOf(const QList<ProcessSample>& baseline,
                              const QList<ProcessSample>& judged, const ProcessSample& end,
                              const std::function<int(const ProcessSample&)>& value) {
    ResourceBudget::Range range;
    range.atStart = value(judged.first());
    range.baselineMin = range.baselineMax = value(baseline.first());
    for (const ProcessSample& sample : baseline) {
        range.baselineMin = std::min(range.baselineMin, value(sample));
        range.baselineMax = std::max(range.baselineMax, value(sample));
    }
    range.judgedMax = range.atStart;
    for (const ProcessSample& sample : judged)
        range.judgedMax = std::max(range.judgedMax, value(sample));
    range.atEnd = value(end);
    return range;
}

} // namespace

ResourceBudget::ResourceBudget(const QList<ProcessSample>& samples, const ProcessSample& end,
                               qint64 warmUpMs) {
    QList<ProcessSample> baseline;
    QList<ProcessSample> judged;
    for (const ProcessSample& sample : samples) {
        if (!sample.valid())
            continue;
        if (sample.atMs >= warmUpMs)
            judged.append(sample);
        else if (sample.atMs >= warmUpMs / 2)
            baseline.append(sample);
    }
    m_enough = !baseline.isEmpty() && judged.size() >= 2 && end.valid();
    if (!m_enough)
        return;
    m_rssAtStart = judged.first().rssKb;
    m_rssAtEnd = end.rssKb;
    m_rssMax = std::max(m_rssAtEnd, m_rssAtStart);
    for (const ProcessSample& sample : judged)
        m_rssMax = std::max(m_rssMax, sample.rssKb);
    m_threads = rangeOf(baseline, judged, end, [](const ProcessSample& s) { return s.threads; });
    m_fds = rangeOf(baseline, judged, end, [](const ProcessSample& s) { return s.fds; });
}

double ResourceBudget::rssGrowth() const {
    return m_rssAtStart > 0 ? double(m_rssAtEnd - m_rssAtStart) / double(m_rssAtStart) : 0;
}

bool ResourceBudget::rssHolds() const {
    return m_enough && rssGrowth() < kRssGrowthLimit;
}

bool ResourceBudget::holds(const Range& range, int burst, int drift) {
    return range.judgedMax <= range.baselineMax + burst && range.atEnd <= range.baselineMin + drift;
}

bool ResourceBudget::threadsHold() const {
    return m_enough && holds(m_threads, kThreadBurst, kThreadDrift);
}

bool ResourceBudget::fdsHold() const {
    return m_enough && holds(m_fds, kFdBurst, kFdDrift);
}

QString ResourceBudget::rules() {
    return QStringLiteral(
               "Baseline: the samples of the settling period's second half. Memory: RSS once "
               "the run has drained grows less than %1% over RSS at the first judged sample. "
               "Threads: every judged sample <= baseline max + %2, and the count once the run "
               "has drained <= baseline min + %3. Descriptors: the same with +%4 and +%5.")
        .arg(kRssGrowthLimit * 100)
        .arg(kThreadBurst)
        .arg(kThreadDrift)
        .arg(kFdBurst)
        .arg(kFdDrift);
}
