// SaveContacts and LoadContacts of a book of 5,000 contacts in 100 groups, on a store file
// in a temporary folder. Budget: under 100 ms each.
#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "platform/Registry.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kGroups = 100;
constexpr int kContactsPerGroup = 50;

QList<BookGroup> bigBook() {
    QList<BookGroup> groups;
    for (int g = 0; g < kGroups; ++g) {
        BookGroup group;
        group.entry.caption = QStringLiteral("Группа %1").arg(g);
        group.entry.expanded = g % 2 == 0;
        for (int c = 0; c < kContactsPerGroup; ++c) {
            const QString name = QStringLiteral("Абонент %1-%2").arg(g).arg(c);
            group.contacts.append(
                {name, name, QStringLiteral("+7916%1").arg(g * 1000 + c, 7, 10, QLatin1Char('0')),
                 c % 3 ? QString() : QStringLiteral("Магазин"), QStringLiteral("С уважением"),
                 c % 2 == 0, false});
        }
        groups.append(group);
    }
    return groups;
}

// A store of its own for each benchmark, holding the big book.
struct Fixture {
    QTemporaryDir folder;
    Registry registry{folder.path() + QStringLiteral("/registry.db")};
    ContactStore store{registry, folder.path() + QStringLiteral("/Contacts.dat")};
    ContactBook book;

    Fixture() {
        book.setGroups(bigBook());
        store.SaveContacts(book);
    }
};

// The save after a small change (the usual case): moving the last group to the top
// renumbers every group.
void SaveContacts(benchmark::State& state) {
    Fixture fixture;
    for (auto _ : state) {
        fixture.book.moveRows({}, kGroups - 1, 1, {}, 0);
        fixture.store.SaveContacts(fixture.book);
    }
}

// The first save into an empty store (the move out of Contacts.dat).
void SaveContactsIntoEmptyStore(benchmark::State& state) {
    Fixture fixture;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.registry.deleteKeyTree(ContactStore::kBookKey);
        state.ResumeTiming();
        fixture.store.SaveContacts(fixture.book);
    }
}

// The whole operation: the read and the save that ends it.
void LoadContacts(benchmark::State& state) {
    Fixture fixture;
    for (auto _ : state) {
        ContactBook loaded;
        fixture.store.LoadContacts(loaded);
        benchmark::DoNotOptimize(loaded.contactCount());
    }
}

void ReadBookOnly(benchmark::State& state) {
    Fixture fixture;
    for (auto _ : state)
        benchmark::DoNotOptimize(ContactStore::readBook(fixture.registry));
}

} // namespace

BENCHMARK(SaveContacts)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveContactsIntoEmptyStore)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadContacts)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadBookOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
