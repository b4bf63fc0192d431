// The send window's budgets: typing into a 5,000-character message with transliteration on
// (recount and relayout under 2 ms a key), and a send to a group of 1,000 numbers (history in
// one rewrite, no stall of the window over 50 ms while the request runs), against the sandbox.
// For group pages bound to the book: typing a text with fields for 5,000 contacts (under 5 ms
// a key), and 1,000 personal messages (under 3 s, history rewritten per batch, no stall over
// 50 ms).
#include "SandboxProcess.h"
#include "contacts/ContactBook.h"
#include "TestProfile.h"
#include "history/HistoryFile.h"
#include "messaging/ui/MessageEdit.h"
#include "messaging/ui/MySheet.h"
#include "messaging/ui/SendUnit.h"
#include "platform/Registry.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <ctime>

#include <sys/stat.h>

namespace {

// CPU time of the calling thread: what the window's own work costs, apart from the waits
// that other programs on a busy machine cause.
double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

QString longMessage(int length) {
    const QString phrase = QStringLiteral("Щедрый съезд ёлок, Hello! 12\r\n");
    QString message;
    while (message.size() < length)
        message += phrase;
    message.truncate(length);
    return message;
}

// A client with a well-funded account of the sandbox, its store a file of the throw-away
// profile that main() set up.
std::shared_ptr<ServiceClient> clientOf(const SandboxProcess& sandbox, const QString& storeFile) {
    auto registry = std::make_shared<Registry>(qEnvironmentVariable("XDG_CONFIG_HOME") +
                                               QLatin1Char('/') + storeFile);
    Settings settings(*registry);
    settings.runFirstStart({});
    settings.set(Setting::Host, sandbox.host());
    settings.set(Setting::Port, qint32(sandbox.port()));
    const auto client = std::make_shared<ServiceClient>(registry);
    client->setUserKey(sandbox.createAccount({{"balance", "100000.00"}}));
    return client;
}

// One iteration types a letter and takes it back: two key presses, each recounted and laid
// out, with the window's pending work (layout, painting) done before the next.
void typingWithTranslit(benchmark::State& state) {
    // Room to type: transliterated, the message is longer than 5,000 characters.
    const auto client =
        std::make_shared<ServiceClient>(std::make_shared<Registry>(QStringLiteral(":memory:")));
    AccountState account = client->account();
    account.tariff.MaxMessageLength = 20000;
    client->setAccount(account);
    TSendForm form(client);
    form.CreateNewPage({}, QStringLiteral("Bench"), QStringLiteral("+79160000000"), {},
                       longMessage(int(state.range(0)) - 1), true, nullptr);
    TMySheet* page = form.activePage();
    page->messageEdit()->setFocus();
    page->messageEdit()->moveCursor(QTextCursor::End);
    QCoreApplication::processEvents();
    const QString before = page->messageEdit()->text();
    for (auto _ : state) {
        QTest::keyClick(page->messageEdit(), Qt::Key_A);
        QCoreApplication::processEvents();
        QTest::keyClick(page->messageEdit(), Qt::Key_Backspace);
        QCoreApplication::processEvents();
    }
    state.counters["keys_per_iteration"] = 2;
    state.counters["message_length"] = double(before.size());
    if (!page->translitBox()->isChecked() || page->messageEdit()->text() != before)
        state.SkipWithError("the message was not typed as planned");
}
BENCHMARK(typingWithTranslit)->Arg(5000)->Unit(benchmark::kMillisecond);

// The longest gap between two turns of the window's event loop while a group send runs.
void groupSend(benchmark::State& state) {
    SandboxProcess sandbox;
    if (!sandbox.start({QStringLiteral("--tariff"), QStringLiteral("0.01,0.01,70,70")})) {
        state.SkipWithError("the sandbox did not start");
        return;
    }
    const auto client = clientOf(sandbox, QStringLiteral("bench-settings.db"));

    QStringList numbers;
    for (int i = 0; i < state.range(0); ++i)
        numbers << QStringLiteral("+7916%1").arg(i, 7, 10, QLatin1Char('0'));
    TSendForm form(client);
    form.CreateNewPage({}, QStringLiteral("Группа"), numbers.join(QLatin1Char('|')), {}, {}, false,
                       nullptr);
    TMySheet* page = form.activePage();
    double worstStallMs = 0;
    double worstBusyMs = 0;
    qsizetype records = 0;
    for (auto _ : state) {
        QFile::remove(HistoryFile::defaultPath());
        page->SetText(QStringLiteral("Всем привет"));
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        double lastCpu = threadCpuMs();
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            const double cpu = threadCpuMs();
            worstStallMs = qMax(worstStallMs, double(now - last));
            worstBusyMs = qMax(worstBusyMs, cpu - lastCpu);
            last = now;
            lastCpu = cpu;
        });
        tick.start();
        page->sendButton()->click();
        while (form.sendsInFlight() > 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        QCoreApplication::processEvents();
        tick.stop();
        records = HistoryFile().readAll().size();
    }
    state.counters["worst_ui_stall_ms"] = worstStallMs;
    state.counters["worst_ui_busy_ms"] = worstBusyMs;
    state.counters["history_records"] = double(records);
    if (form.statusText() != QStringLiteral("%1 из %1 SMS отправлено").arg(state.range(0)))
        state.SkipWithError(qPrintable(form.statusText()));
}
BENCHMARK(groupSend)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(5);

// A group "Клиенты" of `count` contacts with names of varied lengths, and its page.
TMySheet* groupPage(TSendForm& form, ContactBook& book, int count, const QString& text) {
    BookEntry group;
    group.caption = group.Name = QStringLiteral("Клиенты");
    const QModelIndex index = book.appendGroup(group);
    QList<BookEntry> contacts;
    for (int i = 0; i < count; ++i) {
        BookEntry contact;
        contact.caption = contact.Name =
            QStringLiteral("Клиент %1 %2").arg(i).arg(QString(i % 17, QChar(u'щ')));
        contact.Number = QStringLiteral("+7916%1").arg(i, 7, 10, QLatin1Char('0'));
        contacts.append(contact);
    }
    QList<BookGroup> groups = book.groups();
    groups[index.row()].contacts = contacts;
    book.setGroups(groups);
    form.setContactBook(&book);
    form.CreateNewPage({}, group.Name, {}, {}, text, false,
                       book.entryPointer(book.groupIndex(index.row())));
    QCoreApplication::processEvents();
    return form.activePage();
}

// One iteration types a letter and takes it back on a group page whose text has fields: the
// total and counter recounted over every contact, laid out and painted.
void typingOnAGroupPage(benchmark::State& state) {
    const auto client =
        std::make_shared<ServiceClient>(std::make_shared<Registry>(QStringLiteral(":memory:")));
    AccountState account = client->account();
    account.tariff.SmsPrice = 1.5;
    account.tariff.ExtraPartPrice = 1.0;
    account.tariff.MaxMessageLength = 1000;
    client->setAccount(account);
    TSendForm form(client);
    ContactBook book;
    TMySheet* page = groupPage(form, book, int(state.range(0)),
                               QStringLiteral("Здравствуйте, {Имя}! Ваш номер {Номер}. "));
    page->messageEdit()->setFocus();
    page->messageEdit()->moveCursor(QTextCursor::End);
    double worstCpuMs = 0;
    for (auto _ : state) {
        for (const Qt::Key key : {Qt::Key_A, Qt::Key_Backspace}) {
            const double before = threadCpuMs();
            QTest::keyClick(page->messageEdit(), key);
            QCoreApplication::processEvents();
            worstCpuMs = qMax(worstCpuMs, threadCpuMs() - before);
        }
    }
    state.counters["keys_per_iteration"] = 2;
    state.counters["worst_key_cpu_ms"] = worstCpuMs;
    state.counters["recipients"] = page->plan().recipientCount();
    if (!page->plan().personal() || page->plan().recipientCount() != state.range(0))
        state.SkipWithError("the page does not count the group");
}
BENCHMARK(typingOnAGroupPage)->Arg(5000)->Unit(benchmark::kMillisecond);

// A personal text to each contact of a group: the whole send, the longest stall of the
// window, and how often the history file was replaced meanwhile.
void personalGroupSend(benchmark::State& state) {
    SandboxProcess sandbox;
    if (!sandbox.start({QStringLiteral("--tariff"), QStringLiteral("0.01,0.01,70,70")})) {
        state.SkipWithError("the sandbox did not start");
        return;
    }
    const auto client = clientOf(sandbox, QStringLiteral("bench-personal.db"));
    TSendForm form(client);
    form.setQuestions({[](const QString&) { return true; }, [](const QString&) { return false; }});
    ContactBook book;
    TMySheet* page = groupPage(form, book, int(state.range(0)), {});
    double worstStallMs = 0;
    double wallMs = 0;
    int rewrites = 0;
    for (auto _ : state) {
        QFile::remove(HistoryFile::defaultPath());
        page->SetText(QStringLiteral("{Имя}, скидка"));
        const QByteArray path = QFile::encodeName(HistoryFile::defaultPath());
        struct stat seen {};
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            worstStallMs = qMax(worstStallMs, double(now - last));
            last = now;
            struct stat now_ {};
            if (stat(path.constData(), &now_) == 0 &&
                (now_.st_ino != seen.st_ino || now_.st_size != seen.st_size)) {
                ++rewrites;
                seen = now_;
            }
        });
        tick.start();
        page->sendButton()->click();
        while (form.sendsInFlight() > 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        wallMs = double(clock.elapsed());
        QCoreApplication::processEvents();
        tick.stop();
    }
    state.counters["wall_ms"] = wallMs;
    state.counters["worst_ui_stall_ms"] = worstStallMs;
    state.counters["history_rewrites_per_send"] = double(rewrites) / double(state.iterations());
    state.counters["history_records"] = double(HistoryFile().readAll().size());
    const QString expected =
        QStringLiteral("Принято %1 из %1; не принято 0").arg(state.range(0));
    if (form.statusText() != expected)
        state.SkipWithError(qPrintable(form.statusText()));
}
BENCHMARK(personalGroupSend)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TestProfile profile;
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
