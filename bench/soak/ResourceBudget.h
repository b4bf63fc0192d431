#pragma once

#include "ProcessSamples.h"

#include <QList>
#include <QString>

// The budgets of a long run, judged from the samples once the process has settled.
//
// The samples of the settling period's second half are the baseline. Afterwards:
//   memory      the resident size at the end grew less than 5% over the one at the first
//               sample of the judged part ("at 1 min");
//   threads     no sample exceeds the baseline's largest count by more than 3 (sends and
//               queries in flight come and go), and the count once everything has ended is
//               at most 1 over the baseline's smallest;
//   descriptors the same with 12 (sockets of requests in flight, pipes of a varnelo-cli
//               run) and 2.
// A leak raises the floor; a burst that goes away does not.
class ResourceBudget {
public:
    static constexpr double kRssGrowthLimit = 0.05;
    static constexpr int kThreadBurst = 3;
    static constexpr int kThreadDrift = 1;
    static constexpr int kFdBurst = 12;
    static constexpr int kFdDrift = 2;

    struct Range {
        int atStart = -1; // first judged sample
        int baselineMin = -1;
        int baselineMax = -1;
        int judgedMax = -1;
        int atEnd = -1; // once everything has ended
    };

    ResourceBudget() = default;
    // `samples` in time order; `end` taken after the run drained.
    ResourceBudget(const QList<ProcessSample>& samples, const ProcessSample& end, qint64 warmUpMs);

    bool enoughSamples() const { return m_enough; }
    qint64 rssAtStartKb() const { return m_rssAtStart; }
    qint64 rssAtEndKb() const { return m_rssAtEnd; }
    qint64 rssMaxKb() const { return m_rssMax; }
    double rssGrowth() const;
    const Range& threads() const { return m_threads; }
    const Range& fds() const { return m_fds; }

    bool rssHolds() const;
    bool threadsHold() const;
    bool fdsHold() const;

    // The rules above in one paragraph, for the report.
    static QString rules();

private:
    static bool holds(const Range& range, int burst, int drift);

    bool m_enough = false;
    qint64 m_rssAtStart = -1;
    qint64 m_rssAtEnd = -1;
    qint64 m_rssMax = -1;
    Range m_threads;
    Range m_fds;
};
