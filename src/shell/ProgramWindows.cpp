#include "ProgramWindows.h"

#include "AccountDialogs.h"
#include "SettingsDialogs.h"
#include "history/ui/HistoryUnit.h"
#include "messaging/ui/SendUnit.h"
#include "settings/ui/AboutUnit.h"
#include "settings/ui/InfoUnit.h"
#include "settings/ui/PayWindow.h"
#include "settings/ui/ServerSettingsPage.h"
#include "settings/ui/SettingsUnit.h"

namespace {
constexpr int kMessageLowBalance = 252;
} // namespace

ProgramWindows::ProgramWindows() {
    TSettingsForm::setServerPageFactory(
        [](QWidget* page) -> QWidget* { return new ServerSettingsPage(page); });
}

TMainForm::Dialogs ProgramWindows::dialogs() {
    const std::shared_ptr<Windows> windows = m_windows;
    TMainForm::Dialogs dialogs;
    dialogs.password = [] { return AccountDialogs::password(); };
    dialogs.registration = [windows] {
        return AccountDialogs::registration([windows] {
            if (windows->main)
                windows->main->requestUserInfo();
        });
    };
    dialogs.info = [windows](const QString& text) { showInfoWindow(windows->main, text); };
    dialogs.settings = [windows] { SettingsDialogs::settings(windows->main); };
    dialogs.about = [windows] { showAboutWindow(windows->main); };
    dialogs.payWindow = [windows] { openPayWindow(windows->main); };
    dialogs.createNewPage = [windows](const QString& sender, const QString& name,
                                      const QString& number, const QString& sign,
                                      const QString& text, bool translit, BookEntry* node) {
        if (windows->send)
            windows->send->CreateNewPage(sender, name, number, sign, text, translit, node);
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
    QObject::connect(&sendForm, &TSendForm::LowBalance, &mainForm,
                     [&mainForm] { mainForm.WMUserMessage(kMessageLowBalance, 0); });
    QObject::connect(&sendForm, &TSendForm::ServiceNotice, &mainForm,
                     &TMainForm::showServiceNotice);
    QObject::connect(&sendForm, &TSendForm::PaidSend, &mainForm, &TMainForm::RestartBalanceTimer);
    QObject::connect(&sendForm, &TSendForm::ConnectionFailed, &mainForm,
                     &TMainForm::EnableConnectTimeOutTimer);

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
