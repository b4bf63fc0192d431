// Importing 10,000 contacts into a book of 5,000 takes under 1 s, from a vCard file and from
// a CSV file: read, numbers normalised, planned, applied and saved in this process, and the
// whole `varnelo-cli contacts import` in its own.
#include "BenchProfile.h"
#include "contacts/BookImport.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactFileReader.h"
#include "contacts/ContactStore.h"
#include "contacts/PhoneNumbers.h"
#include "platform/Registry.h"
#include "shared/Settings.h"

#include <QFile>
#include <QProcess>

#include <benchmark/benchmark.h>

namespace {

constexpr int kBookGroups = 50;
constexpr int kBookContacts = 5000;
constexpr int kFileContacts = 10000;

QString mobile(int i) {
    return QStringLiteral("8 (916) %1-%2-%3")
        .arg(i / 10000, 3, 10, QLatin1Char('0'))
        .arg(i / 100 % 100, 2, 10, QLatin1Char('0'))
        .arg(i % 100, 2, 10, QLatin1Char('0'));
}

// Files shaped like a phone's and a spreadsheet's: a mobile and a home number, a group of 20
// (half of them already in the book), every tenth number one the book has.
QByteArray vCardFile() {
    QByteArray out;
    for (int i = 0; i < kFileContacts; ++i) {
        const int number = i % 10 == 0 ? i / 2 : kBookContacts + i;
        out += QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Фамилия %1;Имя;;;\r\n"
                              "FN:Имя Фамилия %1\r\nTEL;TYPE=HOME:+7 495 123-45-67\r\n"
                              "TEL;TYPE=CELL:%2\r\nCATEGORIES:Группа %3\r\nEND:VCARD\r\n")
                   .arg(i)
                   .arg(mobile(number))
                   .arg(i % 20 * 5)
                   .toUtf8();
    }
    return out;
}

QByteArray csvFile() {
    QByteArray out = "Name,Given Name,Family Name,Group Membership,Phone 1 - Type,Phone 1 - Value,"
                     "Phone 2 - Type,Phone 2 - Value\r\n";
    for (int i = 0; i < kFileContacts; ++i) {
        const int number = i % 10 == 0 ? i / 2 : kBookContacts + i;
        out += QStringLiteral("Имя Фамилия %1,Имя,Фамилия %1,Группа %2 ::: * myContacts,Home,"
                              "+7 495 123-45-67,Mobile,%3\r\n")
                   .arg(i)
                   .arg(i % 20 * 5)
                   .arg(mobile(number))
                   .toUtf8();
    }
    return out;
}

class Profile {
public:
    Profile() {
        {
            Registry registry(m_profile.registryFile());
            Settings(registry).runFirstStart({});
            ContactBook book;
            for (int g = 0; g < kBookGroups; ++g) {
                const QString caption = QStringLiteral("Группа %1").arg(g);
                const QModelIndex group = book.appendGroup({caption, caption, {}, {}, {}, false, false});
                for (int c = 0; c < kBookContacts / kBookGroups; ++c) {
                    const int i = g * (kBookContacts / kBookGroups) + c;
                    const QString name = QStringLiteral("Контакт %1").arg(i);
                    book.appendContact(group, {name, name,
                                               QStringLiteral("+7916%1").arg(i, 7, 10, QLatin1Char('0')),
                                               {}, {}, false, false});
                }
            }
            ContactStore(registry).SaveContacts(book);
        }
        QFile::copy(m_profile.registryFile(), m_profile.path(QStringLiteral("book.db")));
        write(QStringLiteral("contacts.vcf"), vCardFile());
        write(QStringLiteral("contacts.csv"), csvFile());
    }

    // The book back to its 5,000 contacts.
    void restoreBook() const {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(m_profile.registryFile() + QLatin1String(suffix));
        QFile::copy(m_profile.path(QStringLiteral("book.db")), m_profile.registryFile());
    }

    QString file(const QString& name) const { return m_profile.path(name); }
    QString registryFile() const { return m_profile.registryFile(); }
    const QProcessEnvironment& environment() const { return m_profile.environment(); }

private:
    void write(const QString& name, const QByteArray& bytes) {
        QFile out(m_profile.path(name));
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(name));
    }

    BenchProfile m_profile;
};

const Profile& profile() {
    static const Profile made;
    return made;
}

const QString kFiles[] = {QStringLiteral("contacts.vcf"), QStringLiteral("contacts.csv")};

void importCore(benchmark::State& state) {
    const Profile& fixture = profile();
    const PhoneNumbers* numbers = PhoneNumbers::get();
    if (!numbers) {
        state.SkipWithError("no phone number module");
        return;
    }
    int added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.restoreBook();
        state.ResumeTiming();
        QFile file(fixture.file(kFiles[state.range(0)]));
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot open the file");
            return;
        }
        const std::optional<ImportedContacts> rows = ContactFileReader::read(file.readAll());
        Registry registry(fixture.registryFile());
        ContactStore store(registry);
        ContactBook book;
        store.LoadContacts(book);
        const BookImport::Plan plan = BookImport::plan(book.groups(), rows.value_or(ImportedContacts()), {}, *numbers);
        BookImport::apply(book, plan);
        store.SaveContacts(book);
        added = plan.added;
    }
    state.counters["added"] = added;
}
BENCHMARK(importCore)->Arg(0)->Arg(1)->ArgName("csv")->Unit(benchmark::kMillisecond);

void importCommand(benchmark::State& state) {
    const Profile& fixture = profile();
    QByteArray summary;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.restoreBook();
        state.ResumeTiming();
        QProcess cli;
        cli.setProcessEnvironment(fixture.environment());
        cli.start(QStringLiteral(VARNELO_CLI_EXE),
                  {QStringLiteral("contacts"), QStringLiteral("import"),
                   fixture.file(kFiles[state.range(0)])});
        cli.waitForFinished(60000);
        if (cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0)
            state.SkipWithError("varnelo-cli failed");
        summary = cli.readAllStandardOutput();
    }
    state.SetLabel(summary.trimmed().toStdString());
}
BENCHMARK(importCommand)->Arg(0)->Arg(1)->ArgName("csv")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
