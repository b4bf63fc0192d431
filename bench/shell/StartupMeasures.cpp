#include "StartupMeasures.h"

#include "ProbeRun.h"
#include "ProcessFigures.h"
#include "StartupProfile.h"

#include <QElapsedTimer>
#include <QHash>
#include <QThread>

#include <algorithm>

namespace {

// Long enough for the login and the first timers to have run their course.
constexpr int kSettleSeconds = 5;
constexpr int kBusiestShown = 3;

double timeShown(const QString& program, const StartupProfile& profile, QString* error) {
    ProbeRun run(program, profile.environment(), ProbeRun::Mode::Timing);
    const qint64 ms = run.waitShown();
    if (ms < 0)
        *error = QStringLiteral("%1 never showed its window").arg(program);
    return double(ms);
}

double residentAtShown(const QString& program, const StartupProfile& profile, QString* error) {
    ProbeRun run(program, profile.environment(), ProbeRun::Mode::Stay);
    if (run.waitShown() < 0) {
        *error = QStringLiteral("%1 never showed its window").arg(program);
        return -1;
    }
    return double(ProcessFigures::residentKb(run.processId()));
}

// Wake-ups per thread between two looks; a thread born in between counts from nought.
QList<std::pair<qint64, QString>> wakeUps(const QList<ProcessFigures::ThreadWakeUps>& before,
                                          const QList<ProcessFigures::ThreadWakeUps>& after) {
    QHash<qint64, qint64> earlier;
    for (const ProcessFigures::ThreadWakeUps& thread : before)
        earlier.insert(thread.tid, thread.count);
    QList<std::pair<qint64, QString>> counts;
    for (const ProcessFigures::ThreadWakeUps& thread : after)
        counts.append({thread.count - earlier.value(thread.tid, 0), thread.name});
    std::sort(counts.begin(), counts.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    return counts;
}

} // namespace

namespace StartupMeasures {

StartTimes startTimes(const Programs& programs, const StartupProfile& profile, int rounds,
                      QString* error) {
    // One unmeasured start each brings the files into the page cache.
    for (const QString& program : {programs.bare, programs.floor, programs.program}) {
        if (timeShown(program, profile, error) < 0)
            return {};
    }
    StartTimes times;
    for (int i = 0; i < rounds; ++i) {
        times.bare.append(timeShown(programs.bare, profile, error));
        times.floor.append(timeShown(programs.floor, profile, error));
        times.program.append(timeShown(programs.program, profile, error));
        if (!error->isEmpty())
            return {};
    }
    return times;
}

ResidentSizes residentSizes(const Programs& programs, const StartupProfile& profile, int runs,
                            QString* error) {
    ResidentSizes sizes;
    for (int i = 0; i < runs; ++i) {
        sizes.floorKb.append(residentAtShown(programs.floor, profile, error));
        sizes.programKb.append(residentAtShown(programs.program, profile, error));
        if (!error->isEmpty())
            return {};
    }
    return sizes;
}

Idle idle(const QString& program, StartupProfile& profile, int seconds, QString* error) {
    profile.newCommands();
    ProbeRun run(program, profile.environment(), ProbeRun::Mode::Stay);
    if (run.waitShown() < 0) {
        *error = QStringLiteral("%1 never showed its window").arg(program);
        return {};
    }
    QThread::sleep(kSettleSeconds);
    Idle figures;
    figures.loggedIn = profile.newCommands().contains(QStringLiteral("GetUserInfo"));

    const qint64 pid = run.processId();
    const QList<ProcessFigures::ThreadWakeUps> threadsBefore = ProcessFigures::threadWakeUps(pid);
    const double cpuBefore = ProcessFigures::cpuSeconds(pid);
    QElapsedTimer watched;
    watched.start();
    QThread::sleep(seconds);
    const double cpuAfter = ProcessFigures::cpuSeconds(pid);
    const QList<ProcessFigures::ThreadWakeUps> threadsAfter = ProcessFigures::threadWakeUps(pid);
    const double elapsed = double(watched.elapsed()) / 1000;
    figures.requests = profile.newCommands();
    if (cpuBefore < 0 || cpuAfter < 0) {
        *error = QStringLiteral("the program ended while it was watched idle");
        return {};
    }

    figures.cpuPercent = (cpuAfter - cpuBefore) / elapsed * 100;
    const QList<std::pair<qint64, QString>> counts = wakeUps(threadsBefore, threadsAfter);
    qint64 total = 0;
    QStringList busiest;
    for (const auto& [count, name] : counts) {
        total += count;
        if (busiest.size() < kBusiestShown && count > 0)
            busiest.append(QStringLiteral("%1 %2").arg(name).arg(count));
    }
    figures.wakeUpsPerSecond = double(total) / elapsed;
    figures.busiestThreads = busiest.join(QStringLiteral(", "));
    return figures;
}

} // namespace StartupMeasures
