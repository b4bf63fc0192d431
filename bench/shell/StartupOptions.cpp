#include "StartupOptions.h"

#include "BenchArguments.h"

namespace {

struct Range {
    int low;
    int high;
};

// The option's whole-number value within `range`, or nothing with `error` set.
std::optional<int> wholeNumber(const QCommandLineParser& parser, const QString& name, Range range,
                               QString* error) {
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < range.low || value > range.high) {
        *error = QStringLiteral("--%1 takes a whole number from %2 to %3")
                     .arg(name)
                     .arg(range.low)
                     .arg(range.high);
        return std::nullopt;
    }
    return value;
}

} // namespace

QString StartupOptions::usage() {
    return QStringLiteral(
        "usage: bench_startup [--pairs N] [--memory-runs N] [--idle-seconds N]\n"
        "\n"
        "Needs a real X server; on a machine without one run it as\n"
        "  xvfb-run -a -s \"-screen 0 1280x1024x24\" build-release/bin/bench_startup\n"
        "\n"
        "Starts a bare Qt window, the content floor (what the main window shows, built in\n"
        "memory) and the program, each in its own process, with a profile of 2,000 contacts\n"
        "and 3,000 history records logged in to a sandbox service it starts. Prints the time\n"
        "to the first frame on screen, the resident size at that moment, and the program's\n"
        "CPU and wake-ups when left alone, each against its budget. Exit code 0 when every\n"
        "budget holds, 1 when one is broken, 2 for a wrong command line or no X server.\n"
        "\n"
        "  --pairs N          start-up rounds, each bare, floor, program (default 15)\n"
        "  --memory-runs N    starts of floor and program for the resident size (default 5)\n"
        "  --idle-seconds N   how long the program is watched idle, per settings (default 60)\n");
}

std::optional<StartupOptions> StartupOptions::parse(const QStringList& arguments, QString* error,
                                                    bool* help) {
    QCommandLineParser parser;
    const QCommandLineOption pairs(QStringLiteral("pairs"), {}, QStringLiteral("N"));
    const QCommandLineOption memoryRuns(QStringLiteral("memory-runs"), {}, QStringLiteral("N"));
    const QCommandLineOption idleSeconds(QStringLiteral("idle-seconds"), {}, QStringLiteral("N"));
    parser.addOptions({pairs, memoryRuns, idleSeconds});
    if (!readBenchArguments(parser, arguments, error, help))
        return std::nullopt;

    StartupOptions options;
    const struct {
        const QCommandLineOption& option;
        int* value;
        Range range;
    } numbers[] = {{pairs, &options.pairs, {1, 1000}},
                   {memoryRuns, &options.memoryRuns, {1, 100}},
                   {idleSeconds, &options.idleSeconds, {1, 3600}}};
    for (const auto& number : numbers) {
        if (!parser.isSet(number.option))
            continue;
        const std::optional<int> value =
            wholeNumber(parser, number.option.names().constFirst(), number.range, error);
        if (!value)
            return std::nullopt;
        *number.value = *value;
    }
    return options;
}
