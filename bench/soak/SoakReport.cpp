#include "SoakReport.h"

#include <QMap>
#include <QStringList>

namespace SoakReport {

namespace {

QString verdict(bool holds) {
    return holds ? QStringLiteral("ok") : QStringLiteral("BROKEN");
}

QString mib(qint64 kb) {
    return QString::number(double(kb) / 1024.0, 'f', 1) + QStringLiteral(" MiB");
}

QString tally(const QMap<QString, int>& counts) {
    QStringList parts;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        parts << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral(", "));
}

QString range(const ResourceBudget::Range& r, int judgedFromSeconds) {
    return QStringLiteral("at %1 s %2, end %3, quiet max %4 (%5 of %6 samples quiet), max in "
                          "flight %7 (baseline %8..%9)")
        .arg(judgedFromSeconds)
        .arg(r.atStart)
        .arg(r.atEnd)
        .arg(r.quietMax)
        .arg(r.quietCount)
        .arg(r.judgedCount)
        .arg(r.burstMax)
        .arg(r.baselineMin)
        .arg(r.baselineMax);
}

QString ids(const QList<qint64>& list) {
    QStringList texts;
    for (const qint64 id : list.mid(0, 20))
        texts << QString::number(id);
    if (list.size() > 20)
        texts << QStringLiteral("…");
    return texts.join(QLatin1Char(' '));
}

void row(QStringList& lines, const QString& name, const QString& value) {
    lines << name.leftJustified(24) + value;
}

// About ten samples spread over the run, and the first at or after each of the marks the
// figures are compared at (1, 10, 30, 60 and 120 minutes); the last one taken once the run
// had drained.
void timeline(QStringList& lines, const QList<ProcessSample>& samples, qint64 durationMs) {
    const qint64 step = qMax<qint64>(5000, durationMs / 10);
    QList<qint64> marks;
    for (const int minutes : {1, 10, 30, 60, 120})
        marks << qint64(minutes) * 60000;
    qint64 next = 0;
    for (qsizetype i = 0; i < samples.size(); ++i) {
        const ProcessSample& sample = samples[i];
        const bool marked = !marks.isEmpty() && sample.atMs >= marks.first();
        while (!marks.isEmpty() && sample.atMs >= marks.first())
            marks.removeFirst();
        if (sample.atMs < next && !marked && i + 1 < samples.size())
            continue;
        next = (sample.atMs / step + 1) * step;
        row(lines, QStringLiteral("  at %1 s").arg(sample.atMs / 1000),
            QStringLiteral("RSS %1 (anonymous %2, live heap %3), threads %4, fds %5, widgets %6%7")
                .arg(mib(sample.rssKb), mib(sample.anonKb), mib(sample.heapKb))
                .arg(sample.threads)
                .arg(sample.fds)
                .arg(sample.widgets)
                .arg(sample.quiet ? QStringLiteral(", quiet") : QString()));
    }
}

} // namespace

bool passed(const SoakResults& r) {
    return r.budget.enoughSamples() && r.budget.rssHolds() && r.budget.threadsHold() &&
           r.budget.fdsHold() && r.acceptedListError.isEmpty() && r.history.holds() &&
           r.integrity == QLatin1String("ok") && r.counters.cliFailures == 0 && !r.drainTimedOut;
}

QString text(const SoakResults& r) {
    const SoakCounters& c = r.counters;
    const ResourceBudget& b = r.budget;
    QStringList lines;
    lines << QStringLiteral("soak summary (seed %1)").arg(r.options.seed);
    row(lines, QStringLiteral("duration"),
        QStringLiteral("%1 s (planned %2 s, judged after %3 s)")
            .arg(double(r.elapsedMs) / 1000.0, 0, 'f', 1)
            .arg(r.options.durationSeconds)
            .arg(r.options.warmUpSeconds));
    row(lines, QStringLiteral("sends"),
        QStringLiteral("%1 tried (%2 to a group), %3 pages would not send, %4 pages closed")
            .arg(c.sendsTried)
            .arg(c.groupSends)
            .arg(c.sendsNotPossible)
            .arg(c.pagesClosed));
    row(lines, QStringLiteral("accepted"),
        QStringLiteral("%1 messages by the service; %2 sends written to history")
            .arg(r.history.accepted)
            .arg(c.sendsRecorded));
    row(lines, QStringLiteral("send outcomes"), tally(c.sendOutcomes));
    row(lines, QStringLiteral("faults armed"), tally(c.faultsArmed));
    row(lines, QStringLiteral("status queries"),
        QStringLiteral("%1 finished, %2 failed").arg(c.statusQueries).arg(c.statusQueriesFailed));
    row(lines, QStringLiteral("balance clicks"),
        QStringLiteral("%1, %2 asked for a refresh")
            .arg(c.balanceClicks)
            .arg(c.balanceClicksTaken));
    row(lines, QStringLiteral("varnelo-cli runs"),
        QStringLiteral("%1, %2 failed%3")
            .arg(c.cliRuns)
            .arg(c.cliFailures)
            .arg(c.lastCliFailure.isEmpty() ? QString()
                                            : QStringLiteral(" (last: %1)").arg(c.lastCliFailure)));
    row(lines, QStringLiteral("prompts answered"), QString::number(r.prompts.size()));
    row(lines, QStringLiteral("urls opened"), QString::number(c.urlsOpened));
    if (b.enoughSamples()) {
        row(lines, QStringLiteral("RSS"),
            QStringLiteral("at %1 s %2, end %3, max %4, growth %5% — %6")
                .arg(r.options.warmUpSeconds)
                .arg(mib(b.rssAtStartKb()), mib(b.rssAtEndKb()), mib(b.rssMaxKb()))
                .arg(b.rssGrowth() * 100, 0, 'f', 2)
                .arg(verdict(b.rssHolds())));
        row(lines, QStringLiteral("live heap"),
            QStringLiteral("at %1 s %2, end %3, growth %4%")
                .arg(r.options.warmUpSeconds)
                .arg(mib(b.heapAtStartKb()), mib(b.heapAtEndKb()))
                .arg(b.heapGrowth() * 100, 0, 'f', 2));
        row(lines, QStringLiteral("threads"),
            range(b.threads(), r.options.warmUpSeconds) + QStringLiteral(" — ") +
                verdict(b.threadsHold()));
        row(lines, QStringLiteral("file descriptors"),
            range(b.fds(), r.options.warmUpSeconds) + QStringLiteral(" — ") + verdict(b.fdsHold()));
        row(lines, QStringLiteral("widgets"), range(b.widgets(), r.options.warmUpSeconds));
    } else {
        row(lines, QStringLiteral("resources"), QStringLiteral("too few samples — BROKEN"));
    }
    timeline(lines, r.samples, qint64(r.options.durationSeconds) * 1000);
    // Without the closing there is no history file to compare and no store to check.
    if (!r.options.noTeardown) {
        QString history = r.acceptedListError.isEmpty()
                              ? QStringLiteral("%1 accepted, %2 records (limit %3), %4 missing, %5 "
                                               "not accepted")
                                    .arg(r.history.accepted)
                                    .arg(r.history.records)
                                    .arg(r.historyLimit)
                                    .arg(r.history.missing.size())
                                    .arg(r.history.unknown.size())
                              : r.acceptedListError;
        if (!r.history.readError.isEmpty())
            history += QStringLiteral("; read error: ") + r.history.readError;
        if (!r.history.missing.isEmpty())
            history += QStringLiteral("; missing ids: ") + ids(r.history.missing);
        if (!r.history.unknown.isEmpty())
            history += QStringLiteral("; ids not accepted: ") + ids(r.history.unknown);
        row(lines, QStringLiteral("history check"),
            history + QStringLiteral(" — ") +
                verdict(r.acceptedListError.isEmpty() && r.history.holds()));
        row(lines, QStringLiteral("integrity check"),
            r.integrity + QStringLiteral(" — ") + verdict(r.integrity == QLatin1String("ok")));
    }
    if (r.drainTimedOut)
        row(lines, QStringLiteral("drain"),
            QStringLiteral("work still in flight after 90 s — BROKEN"));

    QMap<QString, int> asked;
    for (const Prompts::Asked& prompt : r.prompts)
        ++asked[prompt.caption + QStringLiteral(": ") + prompt.text.left(80)];
    for (auto it = asked.cbegin(); it != asked.cend(); ++it)
        row(lines, QStringLiteral("  prompt"),
            QStringLiteral("%1 × %2").arg(it.value()).arg(it.key()));

    lines << QString() << QStringLiteral("rules: ") + ResourceBudget::rules();
    if (r.options.noTeardown)
        lines << QStringLiteral("verdict: not judged; the run left without closing");
    else
        lines << QStringLiteral("verdict: ") + (passed(r) ? QStringLiteral("every budget held")
                                                          : QStringLiteral("a budget was broken"));
    return lines.join(QLatin1Char('\n'));
}

} // namespace SoakReport
