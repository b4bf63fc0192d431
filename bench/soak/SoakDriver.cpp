#include "SoakDriver.h"

#include "SoakProfile.h"
#include "contacts/BookReadAhead.h"
#include "contacts/ContactBook.h"
#include "contacts/ui/ContactTreeView.h"
#include "history/ui/HistoryListModel.h"
#include "history/ui/HistoryUnit.h"
#include "messaging/SendOutcome.h"
#include "messaging/ui/MySheet.h"
#include "messaging/ui/SendUnit.h"
#include "platform/Registry.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"
#include "shell/MainUnit.h"
#include "shell/ProgramWindows.h"
#include "skins/ui/ImageButton3.h"
#include "skins/ui/SkinUnit.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int kSendEveryMs = 2000;
constexpr int kStatusEveryMs = 12000;
constexpr int kBalanceEveryMs = 10000;
constexpr int kCliEveryMs = 15000;
constexpr int kSampleEveryMs = 5000;
constexpr int kQuietRetryMs = 50;
constexpr int kMostOpenPages = 8;
constexpr int kQuietTries = 40;
constexpr int kLoginWaitMs = 30000;
constexpr int kDrainWaitMs = 90000;
constexpr int kCliWaitMs = 30000;

// A fault before one send in four, before one status query or balance refresh in three.
constexpr double kSendFaultChance = 0.25;
constexpr double kOtherFaultChance = 0.3;

const QStringList kFaultKinds = {QStringLiteral("http500"), QStringLiteral("close"),
                                 QStringLiteral("delay"), QStringLiteral("garbage")};

// Plenty for the run; the tariff lets messages of several parts through.
const QString kBalance = QStringLiteral("1000000.00");
const QString kTariff = QStringLiteral("0.50,0.50,70,700");
const QString kStatusStepMs = QStringLiteral("2000");

// Numbers outside the book: pages opened as from the tray or a pasted number.
const QStringList kLooseNumbers = {QStringLiteral("+79165550301"), QStringLiteral("+79165550302"),
                                   QStringLiteral("+79165550400")};

// The harmless settings varnelo-cli changes beside the running program, in turn. The host
// read back checks that the program's own writes left the store readable to a second process.
const QList<QStringList> kCliCommands = {
    {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("SoundSentOK"), QString()},
    {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("HistoryMessCount"),
     QStringLiteral("3000"), QStringLiteral("--integer")},
    {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("ShowBalance"),
     QStringLiteral("0"), QStringLiteral("--integer")},
    {QStringLiteral("config"), QStringLiteral("get"), QStringLiteral("Host")},
    {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("HistoryMessCount"),
     QStringLiteral("2500"), QStringLiteral("--integer")},
    {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("ShowBalance"),
     QStringLiteral("1"), QStringLiteral("--integer")},
    {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("UseBalloonTips"),
     QStringLiteral("0"), QStringLiteral("--integer")},
    {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("TimeStamp"),
     QStringLiteral("1"), QStringLiteral("--integer")},
};

// Runs the event loop until `done` holds or `timeoutMs` has passed; true when it held.
bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

bool loggedIn(const TMainForm& form) {
    const QString status = form.statusText();
    return status.startsWith(QStringLiteral("Баланс")) || status.startsWith(QStringLiteral("SMS"));
}

} // namespace

SoakDriver::SoakDriver(const SoakOptions& options)
    : m_options(options)
    , m_random(options.seed) {
}

SoakDriver::~SoakDriver() {
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

bool SoakDriver::start(QString* error) {
    if (!m_sandbox.start({QStringLiteral("--tariff"), kTariff, QStringLiteral("--status-step-ms"),
                          kStatusStepMs})) {
        *error = QStringLiteral("the sandbox did not start: ") + m_sandbox.errorString();
        return false;
    }
    m_key = m_sandbox.createAccount({{QStringLiteral("balance"), kBalance}});
    if (m_key.isEmpty()) {
        *error = QStringLiteral("the sandbox made no account");
        return false;
    }
    SoakProfile::seed(m_sandbox.host(), m_sandbox.port(), m_key);

    Prompts::enableTestMode();
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "openUrl");

    // As the start does it: the dialogs' hooks, the skin, then the three windows joined.
    const auto store = std::make_shared<Registry>();
    const auto client = std::make_shared<ServiceClient>(store);
    m_windows = std::make_unique<ProgramWindows>(client);
    TMainForm::Options options;
    options.dialogs = m_windows->dialogs();
    options.client = client;
    options.bookReadAhead = std::make_shared<BookReadAhead>(store->filePath());
    if (!SkinUnit::active().loadActiveSkin(*store)) {
        *error = QStringLiteral("the skin did not load");
        return false;
    }
    m_main = std::make_unique<TMainForm>(options);
    if (m_main->creation() != TMainForm::Creation::Running) {
        *error = QStringLiteral("the main window did not start");
        return false;
    }
    m_send = std::make_unique<TSendForm>(client);
    m_history = std::make_unique<THistoryForm>(client);
    m_windows->join(*m_main, *m_send, *m_history);
    m_main->show();

    connect(m_send.get(), &TSendForm::HistoryChanged, this, [this] { ++m_counters.sendsRecorded; });
    connect(m_send->statusBar(), &QStatusBar::messageChanged, this, [this](const QString& text) {
        if (text.isEmpty() || text == SendOutcome::kConnecting)
            return;
        QString outcome = text;
        outcome.replace(QRegularExpression(QStringLiteral("\\d+")), QStringLiteral("N"));
        ++m_counters.sendOutcomes[outcome];
    });
    connect(m_history.get(), &THistoryForm::statusQueryFinished, this, [this](bool ok) {
        ++m_counters.statusQueries;
        if (!ok)
            ++m_counters.statusQueriesFailed;
    });

    if (!waitFor([this] { return loggedIn(*m_main); }, kLoginWaitMs)) {
        *error = QStringLiteral("the first login did not end: ") + m_main->statusText();
        return false;
    }
    return true;
}

QTimer* SoakDriver::every(int ms, void (SoakDriver::*tick)()) {
    auto* timer = new QTimer(this);
    timer->setInterval(ms);
    connect(timer, &QTimer::timeout, this, tick);
    m_timers.append(timer);
    return timer;
}

void SoakDriver::run() {
    m_clock.start();
    m_running = true;
    sampleTick();
    every(kSendEveryMs, &SoakDriver::sendTick);
    every(kStatusEveryMs, &SoakDriver::statusTick);
    every(kBalanceEveryMs, &SoakDriver::balanceTick);
    every(kCliEveryMs, &SoakDriver::cliTick);
    every(kSampleEveryMs, &SoakDriver::sampleTick);
    for (QTimer* timer : std::as_const(m_timers))
        timer->start();

    QEventLoop loop;
    QTimer::singleShot(m_options.durationSeconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();

    for (QTimer* timer : std::as_const(m_timers))
        timer->stop();
    m_running = false;
    drain();
}

// Nothing armed is left for a request of the closing, and nothing in flight is cut short.
void SoakDriver::drain() {
    m_sandbox.admin("DELETE", QStringLiteral("/admin/faults"));
    m_drainTimedOut = !waitFor([this] { return quiet(); }, kDrainWaitMs);
    // The finished workers' hand-overs and deferred deletes.
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_endSample = ProcessSample::take(m_clock.elapsed(), quiet());
    m_samples.append(m_endSample);
}

void SoakDriver::closeProgram() {
    m_main->close();
    waitFor([] { return false; }, 500);
    m_prompts += Prompts::takeAsked();
}

bool SoakDriver::quiet() const {
    return m_send->sendsInFlight() == 0 && !m_history->statusQueryRunning() &&
           (!m_cli || m_cli->state() == QProcess::NotRunning);
}

void SoakDriver::openUrl(const QUrl&) {
    ++m_counters.urlsOpened;
}

void SoakDriver::armFaultMaybe(double chance) {
    if (m_random.generateDouble() >= chance)
        return;
    const QString kind = kFaultKinds[int(m_random.bounded(qint64(kFaultKinds.size())))];
    // The network layer repeats a request once when the connection closes before a reply:
    // one close is absorbed, two reach the program.
    const int count = kind == QLatin1String("close") ? 1 + int(m_random.bounded(2)) : 1;
    // Shorter than the login's read time-out, so a delay is a slow reply, not a lost one.
    const int delayMs = kind == QLatin1String("delay") ? 300 + int(m_random.bounded(3700)) : 0;
    if (m_sandbox.failNext(count, kind, delayMs))
        ++m_counters.faultsArmed[kind];
}

QString SoakDriver::messageText() {
    static const QStringList phrases = {
        QStringLiteral("Встреча переносится на завтра, 10:00."),
        QStringLiteral("Hello! The report is ready, see you at 5."),
        QStringLiteral("Щедрый съезд ёлок: \"кавычки\", 50% и №7."),
        QStringLiteral("Напоминание об оплате счёта до пятницы."),
    };
    QString text = phrases[int(m_random.bounded(qint64(phrases.size())))];
    // One message in five runs to several parts.
    if (m_random.bounded(5) == 0) {
        const int repeats = 2 + int(m_random.bounded(5));
        for (int i = 0; i < repeats; ++i)
            text += QLatin1Char(' ') + phrases[i % phrases.size()];
    }
    return text + QStringLiteral(" #%1").arg(m_sendTicks);
}

TMySheet* SoakDriver::openBookPage(bool group) {
    const ContactBook& book = m_main->book();
    if (book.groupCount() == 0)
        return nullptr;
    const QModelIndex groupIndex = book.groupIndex(int(m_random.bounded(book.groupCount())));
    QModelIndex target = groupIndex;
    const int contacts = book.rowCount(groupIndex);
    if (!group && contacts > 0)
        target = book.index(int(m_random.bounded(contacts)), 0, groupIndex);
    // A selection and a double click in the main window's tree.
    m_main->contactTree()->setCurrentIndex(target);
    m_main->contactTree()->ContactTreeDblClick();
    return m_send->activePage();
}

// The history window's "Повторить сообщение" on a row, when the window shows some.
TMySheet* SoakDriver::repeatFromHistory() {
    const int rows = m_history->model()->rowCount();
    if (!m_history->isVisible() || rows == 0)
        return nullptr;
    m_history->findChild<QTableView*>(QStringLiteral("messageList"))
        ->selectRow(int(m_random.bounded(rows)));
    m_history->repeatSelected();
    return m_send->activePage();
}

TMySheet* SoakDriver::openPage(bool* group) {
    *group = false;
    const double choice = m_random.generateDouble();
    if (choice < 0.55)
        return openBookPage(false);
    if (choice < 0.75) {
        *group = true;
        return openBookPage(true);
    }
    if (choice < 0.9) {
        if (TMySheet* page = repeatFromHistory())
            return page;
    }
    const QString number = kLooseNumbers[int(m_random.bounded(qint64(kLooseNumbers.size())))];
    m_send->CreateNewPage(QStringLiteral("Varnelo"), QString(), number, QString(), QString(), false,
                          nullptr);
    return m_send->activePage();
}

void SoakDriver::sendTick() {
    ++m_sendTicks;
    armFaultMaybe(kSendFaultChance);
    bool group = false;
    TMySheet* page = openPage(&group);
    if (!page) {
        ++m_counters.sendsNotPossible;
        return;
    }
    page->SetText(messageText());
    if (m_random.bounded(10) == 0) {
        page->translitBox()->setChecked(!page->translitBox()->isChecked());
        page->TranslitBoxClick();
    }
    if (!page->sendButton()->isEnabled()) {
        ++m_counters.sendsNotPossible;
        return;
    }
    ++m_counters.sendsTried;
    if (group)
        ++m_counters.groupSends;
    page->sendButton()->click();
    // Now and then the page, or the whole window, goes while its send is out. A page opened
    // for a number outside the book is a new tab each time, so the user closes pages as
    // tabs pile up.
    if (m_sendTicks % 9 == 0 || m_send->pageCount() > kMostOpenPages) {
        page->closeButton()->click();
        ++m_counters.pagesClosed;
    } else if (m_sendTicks % 40 == 0) {
        m_send->close();
    }
}

void SoakDriver::statusTick() {
    armFaultMaybe(kOtherFaultChance);
    switch (m_statusTicks++ % 4) {
    case 0: // the main window's history button: shows the window, which asks by itself
        m_main->historyButton()->Click();
        break;
    case 1: // the refresh button
        if (m_history->isVisible())
            m_history->refreshStatuses();
        break;
    case 2: // "Запросить статус" on one row
        if (m_history->isVisible() && m_history->model()->rowCount() > 0) {
            m_history->findChild<QTableView*>(QStringLiteral("messageList"))->selectRow(0);
            m_history->querySelectedStatus();
        }
        break;
    default:
        m_history->close();
        break;
    }
}

void SoakDriver::balanceTick() {
    armFaultMaybe(kOtherFaultChance);
    ++m_counters.balanceClicks;
    if (m_main->statusClickArmed())
        ++m_counters.balanceClicksTaken;
    m_main->statusBarClick();
}

void SoakDriver::cliTick() {
    if (m_cli && m_cli->state() != QProcess::NotRunning)
        return;
    if (!m_cli) {
        m_cli = new QProcess(this);
        connect(m_cli, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
            ++m_counters.cliRuns;
            const QString output = QString::fromUtf8(m_cli->readAllStandardOutput()).trimmed();
            const bool readBack = m_cliArguments.value(1) == QLatin1String("get");
            const bool wrongRead = readBack && output != m_sandbox.host();
            if (status != QProcess::NormalExit || code != 0 || wrongRead) {
                ++m_counters.cliFailures;
                m_counters.lastCliFailure =
                    m_cliArguments.join(QLatin1Char(' ')) +
                    QStringLiteral(": exit %1, ").arg(code) + output +
                    QString::fromUtf8(m_cli->readAllStandardError()).trimmed();
            }
        });
    }
    m_cliArguments = kCliCommands[m_cliTicks++ % kCliCommands.size()];
    m_cli->start(QStringLiteral(VARNELO_CLI_EXE), m_cliArguments);
    // A run that hangs is a failure of its own; it must not hold up the soak.
    QTimer::singleShot(kCliWaitMs, m_cli, [this, run = m_cliTicks] {
        if (m_cliTicks == run && m_cli->state() != QProcess::NotRunning)
            m_cli->kill();
    });
}

// A sample waits for a moment when nothing of the run is in flight, so that the counts
// compare like with like; after a while it is taken anyway and marked as not quiet.
void SoakDriver::sampleTick() {
    m_prompts += Prompts::takeAsked();
    takeSampleWhenQuiet(kQuietTries);
}

void SoakDriver::takeSampleWhenQuiet(int triesLeft) {
    if (!m_running)
        return;
    const bool now = quiet();
    if (!now && triesLeft > 0) {
        QTimer::singleShot(kQuietRetryMs, this,
                           [this, triesLeft] { takeSampleWhenQuiet(triesLeft - 1); });
        return;
    }
    m_samples.append(ProcessSample::take(m_clock.elapsed(), now));
}

QList<qint64> SoakDriver::acceptedIds(QString* error) const {
    QList<qint64> ids;
    qint64 after = 0;
    for (;;) {
        int status = 0;
        const QJsonArray page =
            m_sandbox
                .admin("GET",
                       QStringLiteral("/admin/messages?key=%1&after=%2&limit=1000")
                           .arg(m_key)
                           .arg(after),
                       {}, &status)
                .value(QLatin1String("messages"))
                .toArray();
        if (status != 200) {
            *error = QStringLiteral("the sandbox's message list answered HTTP %1").arg(status);
            return ids;
        }
        if (page.isEmpty())
            return ids;
        for (const QJsonValue& message : page)
            ids.append(message.toObject().value(QLatin1String("id")).toInteger());
        after = ids.last();
    }
}

int SoakDriver::historyLimit() const {
    return Settings(*m_main->settingsStore()).historyMessCount();
}
