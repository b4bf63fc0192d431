// Exporting 100,000 history records to CSV takes under 1 s and to an Excel workbook under 2 s:
// the core's reading and writing in this process, and the whole `varnelo-cli history` in its
// own.
#include "BenchProfile.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "history/HistoryCsv.h"
#include "history/HistoryFile.h"
#include "history/HistoryFilter.h"
#include "history/HistoryXlsx.h"
#include "platform/Registry.h"
#include "shared/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr qint32 kRecords = 100000;
constexpr int kContacts = 2000;

QString numberOf(int i) {
    return QStringLiteral("+7916%1").arg(i, 7, 10, QLatin1Char('0'));
}

// A history of 100,000 records to 10,000 numbers, a fifth of them in a book of 2,000 contacts;
// every text has a comma and every tenth a quote, so that most fields go out quoted.
class Profile {
public:
    Profile() {
        Registry registry(m_profile.registryFile());
        Settings(registry).runFirstStart({});
        const QModelIndex group = m_book.appendGroup(
            {QStringLiteral("Клиенты"), QStringLiteral("Клиенты"), {}, {}, {}, false, true});
        for (int c = 0; c < kContacts; ++c) {
            const QString name = QStringLiteral("Клиент %1").arg(c);
            m_book.appendContact(group, {name, name, numberOf(c * 5), QStringLiteral("varnelo.ru"),
                                         QString(), false, false});
        }
        ContactStore(registry).SaveContacts(m_book);

        QList<TMess> records;
        records.reserve(kRecords);
        for (qint32 id = 1; id <= kRecords; ++id) {
            TMess record;
            record.Id = id;
            record.setMoment(QDateTime::currentDateTime().addSecs(-id));
            record.Status = quint8(id % 13);
            record.Number = numberOf(id % 10000);
            record.Sender = QStringLiteral("varnelo.ru");
            record.Text = QStringLiteral("Добрый день! Встреча завтра в 10:00, офис на Лесной. "
                                         "Заказ %1%2")
                              .arg(id)
                              .arg(id % 10 == 0 ? QStringLiteral(" \"срочно\"") : QString());
            record.Sign = QStringLiteral("Иван");
            records.append(record);
        }
        if (!history().rewrite(records).isEmpty())
            qFatal("cannot write the history");
    }

    HistoryFile history() const {
        return HistoryFile(m_profile.dataFolder() + QStringLiteral("History.dat"));
    }
    const ContactBook& book() const { return m_book; }
    const QProcessEnvironment& environment() const { return m_profile.environment(); }
    QString workbookPath() const { return m_profile.path(QStringLiteral("История.xlsx")); }

private:
    BenchProfile m_profile;
    ContactBook m_book;
};

const Profile& profile() {
    static const Profile made;
    return made;
}

void exportCsvCore(benchmark::State& state) {
    const Profile& fixture = profile();
    qsizetype size = 0;
    for (auto _ : state) {
        const QList<TMess> records = fixture.history().readAll();
        const QHash<QString, QString> names = HistoryFilter::ContactNamesFrom(&fixture.book());
        const HistoryCsv writer;
        QByteArray csv = writer.header();
        for (const TMess& record : records)
            writer.appendRow(csv, record, names.value(record.Number));
        size = csv.size();
        benchmark::DoNotOptimize(csv);
    }
    state.counters["MB"] = double(size) / 1e6;
}
BENCHMARK(exportCsvCore)->Unit(benchmark::kMillisecond);

void exportCsvCommand(benchmark::State& state) {
    const Profile& fixture = profile();
    qsizetype size = 0;
    for (auto _ : state) {
        QProcess cli;
        cli.setProcessEnvironment(fixture.environment());
        cli.start(QStringLiteral(VARNELO_CLI_EXE),
                  {QStringLiteral("history"), QStringLiteral("--format"), QStringLiteral("csv")});
        QByteArray out;
        while (cli.state() != QProcess::NotRunning || cli.bytesAvailable() > 0) {
            cli.waitForReadyRead(100);
            out += cli.readAllStandardOutput();
        }
        if (cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0 ||
            out.count('\n') < kRecords)
            state.SkipWithError("varnelo-cli failed");
        size = out.size();
    }
    state.counters["MB"] = double(size) / 1e6;
}
BENCHMARK(exportCsvCommand)->Unit(benchmark::kMillisecond);

void exportXlsxCore(benchmark::State& state) {
    const Profile& fixture = profile();
    for (auto _ : state) {
        const QList<TMess> records = fixture.history().readAll();
        const QHash<QString, QString> names = HistoryFilter::ContactNamesFrom(&fixture.book());
        HistoryXlsx workbook(fixture.workbookPath());
        for (const TMess& record : records)
            workbook.appendRow(record, names.value(record.Number));
        if (!workbook.close().isEmpty())
            state.SkipWithError("the workbook was not written");
    }
    state.counters["MB"] = double(QFileInfo(fixture.workbookPath()).size()) / 1e6;
}
BENCHMARK(exportXlsxCore)->Unit(benchmark::kMillisecond);

void exportXlsxCommand(benchmark::State& state) {
    const Profile& fixture = profile();
    for (auto _ : state) {
        QProcess cli;
        cli.setProcessEnvironment(fixture.environment());
        cli.start(QStringLiteral(VARNELO_CLI_EXE),
                  {QStringLiteral("history"), QStringLiteral("--format"), QStringLiteral("xlsx"),
                   QStringLiteral("--output"), fixture.workbookPath()});
        if (!cli.waitForFinished(60000) || cli.exitStatus() != QProcess::NormalExit ||
            cli.exitCode() != 0)
            state.SkipWithError("varnelo-cli failed");
    }
    state.counters["MB"] = double(QFileInfo(fixture.workbookPath()).size()) / 1e6;
}
BENCHMARK(exportXlsxCommand)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
