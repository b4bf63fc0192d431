#pragma once

#include "ProcessSamples.h"

#include <QList>
#include <QString>

// The budgets of a long run, judged from the samples once the process has settled.
//
// Threads and descriptors come and go with every request in flight, so their counts are
// compared at quiet moments only (nothing of the run in flight): the baseline is the quiet
// samples of the settling period's second half. Afterwards:
//   memory      the resident size once the run has drained grew less than 5% over the one
//               at the first judged sample ("at 1 min");
//   threads     every quiet sample, and the count once the run has drained, is at most 1
//               over the baseline's largest;
//   descriptors the same with 2.
// A leak raises the count at quiet moments; a burst of requests in flight does not.
class ResourceBudget {
public:
    static constexpr double kRssGrowthLimit = 0.05;
    static constexpr int kThreadDrift = 1;
    static constexpr int kFdDrift = 2;

    struct Range {
        int atStart = -1; // first judged sample
        int baselineMin = -1;
        int baselineMax = -1;
        int quietMax = -1;  // over the quiet judged samples
        int burstMax = -1;  // over every judged sample, for the record
        int atEnd = -1;     // once everything has ended
        int quietCount = 0; // judged samples that were quiet
        int judgedCount = 0;
    };

    ResourceBudget() = default;
    // `samples` in time order; `end` taken after the run drained.
    ResourceBudget(const QList<ProcessSample>& samples, const ProcessSample& end, qint64 warmUpMs);

    bool enoughSamples() const { return m_enough; }
    qint64 rssAtStartKb() const { return m_rssAtStart; }
    qint64 rssAtEndKb() const { return m_rssAtEnd; }
    qint64 rssMaxKb() const { return m_rssMax; }
    double rssGrowth() const;
    // The live heap at the same two moments, reported beside the resident size.
    qint64 heapAtStartKb() const { return m_heapAtStart; }
    qint64 heapAtEndKb() const { return m_heapAtEnd; }
    double heapGrowth() const;
    const Range& threads() const { return m_threads; }
    const Range& fds() const { return m_fds; }
    // Shown, not judged: pages and dialogs closed but never deleted would climb here.
    const Range& widgets() const { return m_widgets; }

    bool rssHolds() const;
    bool threadsHold() const;
    bool fdsHold() const;

    // The rules above in one paragraph, for the report.
    static QString rules();

private:
    static bool holds(const Range& range, int drift);

    bool m_enough = false;
    qint64 m_rssAtStart = -1;
    qint64 m_rssAtEnd = -1;
    qint64 m_heapAtStart = -1;
    qint64 m_heapAtEnd = -1;
    qint64 m_rssMax = -1;
    Range m_threads;
    Range m_fds;
    Range m_widgets;
};
