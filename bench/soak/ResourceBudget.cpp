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
    range.atEnd = value(end);
    range.quietMax = range.atEnd;
    range.burstMax = range.atEnd;
    range.judgedCount = int(judged.size());
    for (const ProcessSample& sample : judged) {
        range.burstMax = std::max(range.burstMax, value(sample));
        if (sample.quiet) {
            ++range.quietCount;
            range.quietMax = std::max(range.quietMax, value(sample));
        }
    }
    return range;
}

} // namespace

ResourceBudget::ResourceBudget(const QList<ProcessSample>& samples, const ProcessSample& end,
                               qint64 warmUpMs) {
    QList<ProcessSample> settling;
    QList<ProcessSample> judged;
    for (const ProcessSample& sample : samples) {
        if (!sample.valid())
            continue;
        if (sample.atMs >= warmUpMs)
            judged.append(sample);
        else if (sample.atMs >= warmUpMs / 2)
            settling.append(sample);
    }
    QList<ProcessSample> baseline;
    for (const ProcessSample& sample : settling) {
        if (sample.quiet)
            baseline.append(sample);
    }
    // A settling period without one quiet moment still gives a baseline, a stricter one.
    if (baseline.isEmpty())
        baseline = settling;
    m_enough = !baseline.isEmpty() && judged.size() >= 2 && end.valid();
    if (!m_enough)
        return;
    m_rssAtStart = judged.first().rssKb;
    m_rssAtEnd = end.rssKb;
    m_heapAtStart = judged.first().heapKb;
    m_heapAtEnd = end.heapKb;
    m_rssMax = std::max(m_rssAtEnd, m_rssAtStart);
    for (const ProcessSample& sample : judged)
        m_rssMax = std::max(m_rssMax, sample.rssKb);
    m_threads = rangeOf(baseline, judged, end, [](const ProcessSample& s) { return s.threads; });
    m_fds = rangeOf(baseline, judged, end, [](const ProcessSample& s) { return s.fds; });
    m_widgets = rangeOf(baseline, judged, end, [](const ProcessSample& s) { return s.widgets; });
}

double ResourceBudget::rssGrowth() const {
    return m_rssAtStart > 0 ? double(m_rssAtEnd - m_rssAtStart) / double(m_rssAtStart) : 0;
}

double ResourceBudget::heapGrowth() const {
    return m_heapAtStart > 0 ? double(m_heapAtEnd - m_heapAtStart) / double(m_heapAtStart) : 0;
}

bool ResourceBudget::rssHolds() const {
    return m_enough && rssGrowth() < kRssGrowthLimit;
}

bool ResourceBudget::holds(const Range& range, int drift) {
    return range.quietMax <= range.baselineMax + drift;
}

bool ResourceBudget::threadsHold() const {
    return m_enough && holds(m_threads, kThreadDrift);
}

bool ResourceBudget::fdsHold() const {
    return m_enough && holds(m_fds, kFdDrift);
}

QString ResourceBudget::rules() {
    return QStringLiteral(
               "Baseline: the quiet samples (nothing of the run in flight) of the settling "
               "period's second half. Memory: RSS once the run has drained grows less than %1% "
               "over RSS at the first judged sample. Threads: every quiet judged sample and the "
               "count once the run has drained <= baseline max + %2. Descriptors: the same "
               "with +%3. The max over all samples (requests in flight) is shown, not judged.")
        .arg(kRssGrowthLimit * 100)
        .arg(kThreadDrift)
        .arg(kFdDrift);
}
