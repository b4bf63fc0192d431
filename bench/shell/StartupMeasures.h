#pragma once

#include <QList>
#include <QString>

class StartupProfile;

// The three things bench_startup measures, each by starting probes in their own processes.
namespace StartupMeasures {

struct Programs {
    QString bare;
    QString floor;
    QString program;
};

// Milliseconds from the start to the first frame on screen, one entry per round; the rounds
// alternate bare, floor, program so that a change in the machine's load hits all three.
struct StartTimes {
    QList<double> bare;
    QList<double> floor;
    QList<double> program;
};
// Nothing in the lists, with `error` set, when a probe never showed its window.
StartTimes startTimes(const Programs& programs, const StartupProfile& profile, int rounds,
                      QString* error);

// VmRSS in kB at the first frame on screen, one entry per start.
struct ResidentSizes {
    QList<double> floorKb;
    QList<double> programKb;
};
ResidentSizes residentSizes(const Programs& programs, const StartupProfile& profile, int runs,
                            QString* error);

// The program left alone after its window is on screen and it has settled.
struct Idle {
    bool loggedIn = false;  // the program asked the service for the account while settling
    double cpuPercent = -1; // of one core, user and system time of all threads
    double wakeUpsPerSecond = 0;
    QString busiestThreads; // the threads with the most wake-ups, with their counts
    QStringList requests;   // protocol commands the program sent while idle
};
Idle idle(const QString& program, StartupProfile& profile, int seconds, QString* error);

} // namespace StartupMeasures
