#include "SoakOptions.h"

#include "BenchArguments.h"

#include <QDateTime>

namespace {

// Short trial runs keep the same shape: a third of the run settles the process.
constexpr int kFullWarmUpSeconds = 60;
constexpr int kShortestRunSeconds = 30;

std::optional<int> positive(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value > 0 ? std::optional<int>(value) : std::nullopt;
}

} // namespace

QString SoakOptions::usage() {
    return QStringLiteral(
        "usage: bench_soak [--minutes N | --seconds N] [--seed N] [--no-teardown]\n"
        "\n"
        "Runs the program's windows offscreen against a sandbox service it starts, with a\n"
        "send every 2 s, status queries, balance refreshes, settings changed by varnelo-cli\n"
        "and the service's faults armed at random. Judges memory, threads and descriptors\n"
        "after the first minute (a third of the run when it is shorter than 3 minutes),\n"
        "then History.dat against the service's accepted messages and the settings store's\n"
        "integrity. Exit code 0 when every budget holds, 1 when one is broken, 2 for a\n"
        "wrong command line.\n"
        "\n"
        "  --minutes N   length of the run (default 10)\n"
        "  --seconds N   length of the run in seconds, for trials (at least 30)\n"
        "  --seed N      the random plan (default: from the clock, printed)\n"
        "  --no-teardown print the samples and leave at once, the windows still open: for\n"
        "                heaptrack, whose leak list is then what the run kept alive\n");
}

std::optional<SoakOptions> SoakOptions::parse(const QStringList& arguments, QString* error,
                                              bool* help) {
    QCommandLineParser parser;
    const QCommandLineOption minutes(QStringLiteral("minutes"), {}, QStringLiteral("N"));
    const QCommandLineOption seconds(QStringLiteral("seconds"), {}, QStringLiteral("N"));
    const QCommandLineOption seed(QStringLiteral("seed"), {}, QStringLiteral("N"));
    const QCommandLineOption noTeardown(QStringLiteral("no-teardown"), {});
    parser.addOptions({minutes, seconds, seed, noTeardown});
    if (!readBenchArguments(parser, arguments, error, help))
        return std::nullopt;
    if (parser.isSet(minutes) && parser.isSet(seconds)) {
        *error = QStringLiteral("give --minutes or --seconds, not both");
        return std::nullopt;
    }

    SoakOptions options;
    if (parser.isSet(minutes)) {
        const std::optional<int> value = positive(parser.value(minutes));
        if (!value || *value > 24 * 60) {
            *error = QStringLiteral("--minutes takes a whole number from 1 to 1440");
            return std::nullopt;
        }
        options.durationSeconds = *value * 60;
    } else if (parser.isSet(seconds)) {
        const std::optional<int> value = positive(parser.value(seconds));
        if (!value || *value < kShortestRunSeconds || *value > 24 * 3600) {
            *error = QStringLiteral("--seconds takes a whole number from %1 to 86400")
                         .arg(kShortestRunSeconds);
            return std::nullopt;
        }
        options.durationSeconds = *value;
    }
    options.noTeardown = parser.isSet(noTeardown);
    options.warmUpSeconds = qMin(kFullWarmUpSeconds, options.durationSeconds / 3);

    if (parser.isSet(seed)) {
        bool ok = false;
        options.seed = parser.value(seed).toUInt(&ok);
        if (!ok) {
            *error = QStringLiteral("--seed takes a whole number from 0 to 4294967295");
            return std::nullopt;
        }
    } else {
        options.seed = quint32(QDateTime::currentMSecsSinceEpoch());
    }
    return options;
}
