#include "MainWindowBridge.h"

#include "MainUnit.h"
#include "service/BlockingHandoff.h"

#include <QCoreApplication>

namespace {

constexpr int kMessageServiceNotice = 254;
constexpr int kMessageRegistration = 253;

} // namespace

MainWindowBridge::MainWindowBridge(TMainForm* form)
    : m_form(form) {
}

// The application object outlives the window, so a job posted while the window closes
// still finds its context and only then sees that the window is gone.
void MainWindowBridge::post(std::function<void(TMainForm&)> job) const {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [form = m_form, job = std::move(job)] {
            if (form)
                job(*form);
        },
        Qt::QueuedConnection);
}

void MainWindowBridge::sendAndWait(std::function<void(TMainForm&)> job) const {
    RunAndWait(QCoreApplication::instance(), [form = m_form, job = std::move(job)] {
        if (form)
            job(*form);
    });
}

void MainWindowBridge::RestartBalanceTimer() {
    post([](TMainForm& form) { form.RestartBalanceTimer(); });
}

void MainWindowBridge::SetServerContactsVisible(bool visible) {
    post([visible](TMainForm& form) { form.SetServerContactsVisible(visible); });
}

void MainWindowBridge::ShowServiceMessage() {
    sendAndWait([](TMainForm& form) { form.WMUserMessage(kMessageServiceNotice, 0); });
}

void MainWindowBridge::OfferRegistration() {
    sendAndWait([](TMainForm& form) { form.WMUserMessage(kMessageRegistration, 0); });
}

void MainWindowBridge::SetStatusText(const QString& text) {
    post([text](TMainForm& form) { form.SetStatusText(text); });
}

void MainWindowBridge::ShowBalloon(const QString& title, const QString& text, BalloonKind kind,
                                   int timeoutMs) {
    post([=](TMainForm& form) { form.ShowBalloon(title, text, kind, timeoutMs); });
}

void MainWindowBridge::EnableConnectTimeOutTimer() {
    post([](TMainForm& form) { form.EnableConnectTimeOutTimer(); });
}

// Playback touches no window and waits for the sound's end, so it stays on the caller's
// thread rather than freezing the window.
void MainWindowBridge::PlaySoundFile(const QString& path) {
    TMainForm::PlaySoundFile(path);
}
