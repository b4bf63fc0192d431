#include "BenchProfile.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "history/HistoryFile.h"
#include "platform/Registry.h"
#include "shared/Settings.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

// A profile as a regular user has it: 2,000 contacts in 50 groups, 3,000 history records,
// an account key, no splash, and the service address pointing at nothing that answers.
class Profile {
public:
    Profile() {
        m_profile.setEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

        Registry registry(m_profile.registryFile());
        Settings settings(registry);
        settings.runFirstStart({});
        settings.set(Setting::ShowSplash, false);
        settings.set(Setting::Port, 9); // discard: the login fails fast in the background
        settings.setStoredUserKey(QString(48, QLatin1Char('A')));

        ContactBook book;
        for (int g = 0; g < 50; ++g) {
            const QString group = QStringLiteral("Группа %1").arg(g);
            const QModelIndex index = book.appendGroup({group, group, {}, {}, {}, false, true});
            for (int c = 0; c < 40; ++c) {
                const QString name = QStringLiteral("Контакт %1-%2").arg(g).arg(c);
                book.appendContact(
                    index, {name, name,
                            QStringLiteral("+7916%1").arg(g * 100 + c, 7, 10, QLatin1Char('0')),
                            QStringLiteral("varnelo.ru"), QStringLiteral("Подпись"), false, false});
            }
        }
        ContactStore(registry).SaveContacts(book);

        QList<TMess> records;
        for (int i = 1; i <= 3000; ++i) {
            TMess record;
            record.Id = i;
            record.Date = 46000;
            record.Number = QStringLiteral("+79160000000");
            record.Sender = QStringLiteral("varnelo.ru");
            record.Text = QStringLiteral("Сообщение номер %1").arg(i);
            records.append(record);
        }
        HistoryFile(m_profile.dataFolder() + QStringLiteral("History.dat"))
            .AppendHistory(records, 3000);
    }

    const QProcessEnvironment& environment() const { return m_profile.environment(); }

private:
    BenchProfile m_profile;
};

// Milliseconds from starting the process to its window being shown.
double timeToShown(const QString& program, const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    process.start(program, {});
    if (!process.waitForFinished(30000))
        return -1;
    const qint64 shown = process.readAllStandardOutput().trimmed().toLongLong();
    return shown > 0 ? double(shown - started) : -1;
}

void BM_StartUp(benchmark::State& state, const char* program) {
    static const Profile profile;
    double total = 0;
    for (auto _ : state) {
        const double ms = timeToShown(QString::fromLocal8Bit(program), profile.environment());
        if (ms < 0) {
            state.SkipWithError("the window was never shown");
            break;
        }
        state.SetIterationTime(ms / 1000.0);
        total += ms;
    }
    state.counters["ms"] = benchmark::Counter(total, benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK_CAPTURE(BM_StartUp, bare_window, BARE_PROBE)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartUp, varnelo, VARNELO_PROBE)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
