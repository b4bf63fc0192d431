// The program's start, resident size and idle CPU against its yardsticks: see
// StartupOptions::usage().
#include "StartupMeasures.h"
#include "StartupOptions.h"
#include "StartupProfile.h"
#include "StartupReport.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <cstdio>

namespace {

constexpr int kBroken = 1;
constexpr int kUsage = 2;

void print(const QString& text) {
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

int fail(const QString& text, int code) {
    std::fputs(qPrintable(QStringLiteral("bench_startup: %1\n").arg(text)), stderr);
    return code;
}

// The first three fields of /proc/loadavg: how busy the machine was while it measured.
QString machineLoad() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    const QList<QByteArray> fields = file.readAll().split(' ');
    return QString::fromLatin1(fields.mid(0, 3).join(' '));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString error;
    bool help = false;
    const std::optional<StartupOptions> options =
        StartupOptions::parse(QCoreApplication::arguments(), &error, &help);
    if (!options) {
        if (help) {
            print(StartupOptions::usage());
            return 0;
        }
        return fail(error + QStringLiteral("\n\n") + StartupOptions::usage(), kUsage);
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return fail(QStringLiteral("DISPLAY is not set: these figures need a real X server.\n"
                                   "Run it as: xvfb-run -a -s \"-screen 0 1280x1024x24\" %1")
                        .arg(QCoreApplication::applicationFilePath()),
                    kUsage);

    StartupProfile profile;
    if (!profile.prepare(&error))
        return fail(error, kBroken);
    print(QStringLiteral("bench_startup: display %1, %2 cores, load before %3")
              .arg(qEnvironmentVariable("DISPLAY"))
              .arg(QThread::idealThreadCount())
              .arg(machineLoad()));

    const StartupMeasures::Programs programs{
        QStringLiteral(BARE_PROBE), QStringLiteral(FLOOR_PROBE), QStringLiteral(VARNELO_PROBE)};
    StartupReport report;
    const StartupMeasures::StartTimes times =
        StartupMeasures::startTimes(programs, profile, options->pairs, &error);
    if (!error.isEmpty())
        return fail(error, kBroken);
    print(report.start(times));

    const StartupMeasures::ResidentSizes sizes =
        StartupMeasures::residentSizes(programs, profile, options->memoryRuns, &error);
    if (!error.isEmpty())
        return fail(error, kBroken);
    print(report.memory(sizes));

    for (const bool fades : {false, true}) {
        profile.setFades(fades);
        const StartupMeasures::Idle idle =
            StartupMeasures::idle(programs.program, profile, options->idleSeconds, &error);
        if (!error.isEmpty())
            return fail(error, kBroken);
        print(report.idle(fades, options->idleSeconds, idle));
    }
    print(QStringLiteral("load after %1").arg(machineLoad()));
    print(report.summary());
    return report.passed() ? 0 : kBroken;
}
