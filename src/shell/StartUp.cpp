#include "StartUp.h"

#include "FirstFrame.h"
#include "FontWarmUp.h"
#include "MainUnit.h"
#include "ProgramIcon.h"
#include "ProgramWindows.h"
#include "SplashUnit.h"
#include "contacts/BookReadAhead.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactPage.h"
#include "history/ui/HistoryUnit.h"
#include "messaging/ui/MySheet.h"
#include "messaging/ui/SendUnit.h"
#include "platform/AppPaths.h"
#include "platform/HeapSettings.h"
#include "platform/Registry.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "platform/ToolkitRussian.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "settings/ProgramRestart.h"
#include "shared/Settings.h"
#include "skins/ui/SkinUnit.h"

#include <QApplication>
#include <QLabel>
#include <QToolButton>

#include <exception>
#include <memory>

namespace {

const QString kVersionLabel = QStringLiteral("ver 3.1.6");
constexpr int kRestartWaitMs = 15000;
// How long a close that asks nothing (the session's end, a termination signal) waits for
// sends in flight before it leaves them to the send journal.
constexpr int kUnaskedSendsWaitMs = 10000;
// Test-only: a text that the program sends to the book's first group once its windows are
// up, so that a test can stop the real program in the middle of a send.
constexpr char kTestSendVariable[] = "VARNELO_TEST_SEND_TEXT";

// The windows from the main window on, declared in the order opposite to their going.
struct ProgramWindowSet {
    std::unique_ptr<TMainForm> mainForm;
    std::unique_ptr<TSendForm> sendForm;
    std::unique_ptr<THistoryForm> historyForm;
    // Made after the windows that it closes, so it goes first: once the loop has ended, a
    // signal ends the program as usual.
    std::unique_ptr<TerminationSignals> termination;
};

void sendForTests(TMainForm& mainForm, TSendForm& sendForm) {
    const QString text = qEnvironmentVariable(kTestSendVariable);
    ContactBook& book = mainForm.book();
    if (text.isEmpty() || book.groupCount() == 0)
        return;
    const std::optional<PageRequest> page = ContactPage::pageOf(book, book.groupIndex(0));
    if (!page)
        return;
    sendForm.CreateNewPage(page->sender, page->name, page->number, page->sign, text, page->translit,
                           page->node);
    sendForm.activePage()->sendButton()->click();
}

// Makes the main window and joins the others to it. False when the start ends there (the
// user gave up registering, say).
bool openWindows(QApplication& app, ProgramWindows& windows, const TMainForm::Options& options,
                 ProgramWindowSet& set) {
    set.mainForm = std::make_unique<TMainForm>(options);
    TMainForm& mainForm = *set.mainForm;
    if (mainForm.creation() != TMainForm::Creation::Running)
        return false;

    QObject::connect(&mainForm, &TMainForm::FormClosed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Direct: the loop returns without running what is still queued.
    QObject::connect(&mainForm, &TMainForm::EndedAtOnce, &app, [] { QCoreApplication::exit(0); });
    // A session that ends, or a termination signal, runs the closing steps, so the book
    // and position are kept and sends in flight get a moment to finish.
    const auto closeWithoutAsking = [&mainForm] {
        mainForm.closeWithoutAsking(kUnaskedSendsWaitMs);
    };
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &mainForm, closeWithoutAsking);

    // The send and history windows are not on the screen at start; they are made once the
    // main window is, and everything that uses them copes with their absence till then.
    FirstFrame::then(mainForm, [&windows, &options, &set] {
        // Every size of the icon, for task switchers; writing them all to the window
        // system takes longer than the first frame's drawing.
        QApplication::setWindowIcon(ProgramIcon::icon());
        set.sendForm = std::make_unique<TSendForm>(options.client);
        set.historyForm = std::make_unique<THistoryForm>(options.client);
        windows.join(*set.mainForm, *set.sendForm, *set.historyForm);
        windows.recoverUnknownOutcomes();
        windows.askAboutMissedSends();
        sendForTests(*set.mainForm, *set.sendForm);
    });
    set.termination = std::make_unique<TerminationSignals>();
    QObject::connect(set.termination.get(), &TerminationSignals::received, &mainForm,
                     closeWithoutAsking);
    mainForm.show();
    return true;
}

} // namespace

StartUp::EarlyWork StartUp::begin(int argc, char* argv[], const QString& storePath) {
    HeapSettings::apply();
    EarlyWork early;
    early.storePath = storePath;
    early.fonts = std::make_shared<FontWarmUp>();
    // A restarted copy reads the book only once the old copy, which may still be saving it,
    // has ended.
    const QByteArray restarted = ProgramRestart::kRestartedFlag.toLatin1();
    for (int i = 1; i < argc; ++i) {
        if (restarted == argv[i])
            return early;
    }
    early.bookReadAhead = std::make_shared<BookReadAhead>(storePath);
    return early;
}

int StartUp::run(QApplication& app, EarlyWork early, const OpenStore& openStore) {
    QApplication::setApplicationName(QStringLiteral("Varnelo"));
    QApplication::setWindowIcon(ProgramIcon::icon(ProgramIcon::kStartSize));
    // The main window's close ends the program even while the send window is open.
    app.setQuitOnLastWindowClosed(false);
    HeapSettings::releaseFreedPeriodically(&app);

    // A copy started by a restart waits for the old copy to end instead of handing over to it.
    if (app.arguments().contains(ProgramRestart::kRestartedFlag))
        SingleInstance().waitUntilFree(kRestartWaitMs);

    // A second start hands over before its splash, so it never shows a window of its own;
    // the main window checks again for two copies started at the same moment.
    if (SingleInstance().handOver(SingleInstance::kShowWindow, SingleInstance::kShowWindow))
        return 0;

    // A profile made under a looser mask: closed before anything is read or written in it.
    AppPaths::makeOwnFilesPrivate();

    // Before the first widget, so that every one of them is made in Russian.
    ToolkitRussian::install(app);

    // The splash is the first to draw text.
    early.fonts.reset();
    try {
        // One handle for the whole run: opening the store is a good part of the start.
        const std::shared_ptr<Registry> store = openStore();
        const auto client = std::make_shared<ServiceClient>(store);
        ProgramWindows windows(client);
        TMainForm::Options options;
        options.dialogs = windows.dialogs();
        options.client = client;
        options.bookReadAhead = early.bookReadAhead
                                    ? std::move(early.bookReadAhead)
                                    : std::make_shared<BookReadAhead>(early.storePath);
        ProgramWindowSet set;
        const auto loadSkin = [&store] { return SkinUnit::active().loadActiveSkin(*store); };
        if (!Settings(*store).showSplash()) {
            if (!loadSkin())
                return 1;
            if (!openWindows(app, windows, options, set))
                return 0;
            return app.exec();
        }

        // The splash applies the skin while it is on the screen; the start goes on in the
        // program's own loop once the splash has gone.
        bool loaded = false;
        auto* splash = new TSplashForm([&loaded, &loadSkin] { loaded = loadSkin(); });
        splash->versionLabel()->setText(kVersionLabel);
        QObject::connect(
            splash, &QDialog::finished, &app,
            [&, splash] {
                splash->deleteLater();
                try {
                    if (!loaded)
                        QCoreApplication::exit(1);
                    else if (!openWindows(app, windows, options, set))
                        QCoreApplication::exit(0);
                } catch (const std::exception& error) {
                    Prompts::error(nullptr, QString::fromStdString(error.what()));
                    QCoreApplication::exit(1);
                }
            },
            // Never from inside showModal(): the loop that exit() ends must be running.
            Qt::QueuedConnection);
        splash->showModal();
        return app.exec();
    } catch (const std::exception& error) {
        Prompts::error(nullptr, QString::fromStdString(error.what()));
        return 1;
    }
}
