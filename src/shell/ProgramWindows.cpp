#include "ProgramWindows.h"

#include "AccountDialogs.h"
#include "SettingsDialogs.h"
#include "history/HistoryFile.h"
#include "history/ui/HistoryUnit.h"
#include "messaging/UnknownOutcomes.h"
#include "messaging/ui/ScheduledTimer.h"
#include "messaging/ui/ScheduledWindow.h"
#include "messaging/ui/SendUnit.h"
#include "messaging/ui/UnknownOutcomeDialog.h"
#include "platform/FailureText.h"
#include "platform/ui/Prompts.h"
#include "settings/ui/AboutUnit.h"
#include "settings/ui/InfoUnit.h"
#include "settings/ui/PayWindow.h"
#include "settings/ui/ServerSettingsPage.h"
#include "settings/ui/SettingsUnit.h"
#include "shared/Settings.h"
#include "widgets/StylePixmapCache.h"

#include <algorithm>

ProgramWindows::ProgramWindows(std::shared_ptr<ServiceClient> client)
    : m_client(std::move(client)) {
    StylePixmapCache::bound();
    const std::shared_ptr<Windows> windows = m_windows;
    TSettingsForm::setServerPageFactory([client = m_client, windows](QWidget* page) -> QWidget* {
        auto* serverPage = new ServerSettingsPage(client, page);
        QObject::connect(serverPage, &ServerSettingsPage::balanceMayChange, serverPage, [windows] {
            if (windows->main)
                windows->main->RestartBalanceTimer();
        });
        return serverPage;
    });
}

TMainForm::Dialogs ProgramWindows::dialogs() {
    const std::shared_ptr<Windows> windows = m_windows;
    TMainForm::Dialogs dialogs;
    dialogs.password = [] { return AccountDialogs::password(); };
    dialogs.registration = [client = m_client](const std::function<void()>& restored) {
        return AccountDialogs::registration(client, restored);
    };
    dialogs.info = [windows](const QString& text) { showInfoWindow(windows->main, text); };
    dialogs.settings = [windows] { SettingsDialogs::settings(windows->main); };
    dialogs.about = [windows] { showAboutWindow(windows->main); };
    dialogs.payWindow = [client = m_client, windows] { openPayWindow(*client, windows->main); };
    dialogs.createNewPage = [windows](const QString& sender, const QString& name,
                                      const QString& number, const QString& sign,
                                      const QString& text, bool translit, BookEntry* node) {
        if (windows->send)
            windows->send->CreateNewPage(sender, name, number, sign, text, translit, node);
    };
    dialogs.hasUnknownOutcomes = [windows] {
        if (!windows->send)
            return false;
        try {
            const QList<SendJournal::Row> rows = windows->send->journal().rows();
            return std::any_of(rows.cbegin(), rows.cend(), [](const SendJournal::Row& row) {
                return row.state == SendJournal::State::Unknown;
            });
        } catch (...) {
            return false;
        }
    };
    dialogs.unknownOutcomes = [windows] { showUnknownOutcomes(*windows); };
    dialogs.scheduledSends = [windows] {
        if (windows->send)
            ScheduledWindow::open(windows->scheduledList, *windows->send, windows->main);
    };
    return dialogs;
}

void ProgramWindows::join(TMainForm& mainForm, TSendForm& sendForm, THistoryForm& historyForm) {
    m_windows->main = &mainForm;
    m_windows->send = &sendForm;
    m_windows->history = &historyForm;
    mainForm.setSendForm(&sendForm);
    mainForm.setHistoryForm(&historyForm);
    sendForm.setContactBook(&mainForm.book());
    historyForm.setContactBook(&mainForm.book());

    QObject::connect(&sendForm, &TSendForm::HistoryChanged, &historyForm, &THistoryForm::Refill);
    QObject::connect(&sendForm, &TSendForm::ShowHistoryFor, &historyForm,
                     &THistoryForm::showForNumber);
    QObject::connect(&sendForm, &TSendForm::LowBalance, &mainForm, &TMainForm::showPayment);
    QObject::connect(&sendForm, &TSendForm::ServiceNotice, &mainForm,
                     &TMainForm::showServiceNotice);
    QObject::connect(&sendForm, &TSendForm::PaidSend, &mainForm, &TMainForm::RestartBalanceTimer);
    QObject::connect(&sendForm, &TSendForm::ConnectionFailed, &mainForm,
                     &TMainForm::enableLoginRetry);
    // The end of a long send reaches the user who went on with other work.
    QObject::connect(&sendForm, &TSendForm::SendReport, &mainForm,
                     [main = &mainForm](const QString& summary) {
                         main->ShowBalloon({QStringLiteral("Отправка завершена"), summary,
                                            LoginOutcome::BalloonKind::Information, 10000});
                     });
    const std::shared_ptr<Windows> windows = m_windows;
    QObject::connect(&sendForm, &TSendForm::UnknownOutcome, &mainForm,
                     [windows] { showUnknownOutcomes(*windows); });
    // Owned by the send window, whose flow its rows go through.
    m_windows->scheduled = new ScheduledTimer(sendForm);

    // Repeating a message opens its page with transliteration off and no contact entry,
    // then brings the send window forward.
    const QPointer<TSendForm> send = &sendForm;
    historyForm.repeatMessage = [send](const QString& sender, const QString& name,
                                       const QString& number, const QString& sign,
                                       const QString& text) {
        if (!send)
            return;
        send->CreateNewPage(sender, name, number, sign, text, false, nullptr);
        send->raise();
        send->activateWindow();
    };
}

void ProgramWindows::recoverUnknownOutcomes() {
    Windows& windows = *m_windows;
    if (!windows.send)
        return;
    UnknownOutcomes::Recovered recovered;
    try {
        recovered = UnknownOutcomes::recover(windows.send->journal(), HistoryFile(),
                                             Settings(windows.send->store()).historyMessCount());
    } catch (...) {
        Prompts::error(windows.main, FailureText::describe(std::current_exception()));
        return;
    }
    if (!recovered.historyError.isEmpty())
        Prompts::error(windows.main,
                       UnknownOutcomeDialog::kHistoryNotWritten.arg(recovered.historyError));
    if (!recovered.unknown.isEmpty())
        showUnknownOutcomes(windows);
}

void ProgramWindows::askAboutMissedSends() {
    if (m_windows->scheduled)
        m_windows->scheduled->askAboutMissed(m_windows->main, [windows = m_windows] {
            if (windows->send)
                ScheduledWindow::open(windows->scheduledList, *windows->send, windows->main);
        });
}

ScheduledTimer* ProgramWindows::scheduledTimer() const {
    return m_windows->scheduled;
}

UnknownOutcomeDialog* ProgramWindows::unknownOutcomeDialog() const {
    return m_windows->unknownOutcomes;
}

void ProgramWindows::showUnknownOutcomes(Windows& windows) {
    if (!windows.send)
        return;
    if (windows.unknownOutcomes) {
        windows.unknownOutcomes->refresh();
    } else {
        windows.unknownOutcomes = new UnknownOutcomeDialog(*windows.send, windows.main);
        if (windows.history)
            QObject::connect(windows.unknownOutcomes, &UnknownOutcomeDialog::HistoryChanged,
                             windows.history, &THistoryForm::Refill);
    }
    windows.unknownOutcomes->show();
    windows.unknownOutcomes->raise();
    windows.unknownOutcomes->activateWindow();
}
