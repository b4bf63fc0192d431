// A long day of the program: see SoakOptions::usage().
#include "ResourceBudget.h"
#include "SoakDriver.h"
#include "SoakOptions.h"
#include "SoakReport.h"
#include "StoreChecks.h"
#include "TestProfile.h"
#include "history/HistoryFile.h"
#include "platform/AppPaths.h"
#include "platform/HeapSettings.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kBroken = 1;
constexpr int kUsage = 2;

void print(const QString& text) {
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    // As the program's start does.
    HeapSettings::apply();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The program's own folders, all in a throw-away place.
    TestProfile profile;
    QApplication app(argc, argv);
    HeapSettings::releaseFreedPeriodically(&app);
    QApplication::setApplicationName(QStringLiteral("Varnelo"));
    app.setQuitOnLastWindowClosed(false);

    QString error;
    bool help = false;
    const std::optional<SoakOptions> options =
        SoakOptions::parse(QApplication::arguments(), &error, &help);
    if (!options) {
        if (help) {
            print(SoakOptions::usage());
            return 0;
        }
        std::fputs(
            qPrintable(QStringLiteral("bench_soak: %1\n\n").arg(error) + SoakOptions::usage()),
            stderr);
        return kUsage;
    }
    print(QStringLiteral("bench_soak: %1 s, seed %2, profile %3")
              .arg(options->durationSeconds)
              .arg(options->seed)
              .arg(profile.root()));

    SoakResults results;
    results.options = *options;
    {
        SoakDriver driver(*options);
        if (!driver.start(&error)) {
            std::fputs(qPrintable(QStringLiteral("bench_soak: %1\n").arg(error)), stderr);
            return kBroken;
        }
        driver.run();
        results.elapsedMs = driver.elapsedMs();
        results.counters = driver.counters();
        results.budget = ResourceBudget(driver.samples(), driver.endSample(),
                                        qint64(options->warmUpSeconds) * 1000);
        results.samples = driver.samples();
        results.drainTimedOut = driver.drainTimedOut();
        results.historyLimit = driver.historyLimit();
        if (options->noTeardown) {
            print(SoakReport::text(results));
            driver.stopService();
            std::_Exit(0);
        }
        driver.closeProgram();
        results.counters = driver.counters();
        results.prompts = driver.prompts();
        const QList<qint64> accepted = driver.acceptedIds(&results.acceptedListError);
        results.history =
            StoreChecks::compareHistory(accepted, HistoryFile::defaultPath(), results.historyLimit);
    }
    results.integrity = StoreChecks::integrityCheck(AppPaths::registryFile());
    print(SoakReport::text(results));
    return SoakReport::passed(results) ? 0 : kBroken;
}
