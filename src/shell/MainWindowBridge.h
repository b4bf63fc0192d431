#pragma once

#include "service/MainWindowLink.h"

#include <QPointer>

class TMainForm;

// The main window as the service commands and the login thread reach it: each call is
// carried over to the user-interface thread. The two messages the sender waits for
// (253 and 254) block until handled; the rest are posted. Calls after the window is gone
// do nothing.
class MainWindowBridge final : public MainWindowLink {
public:
    explicit MainWindowBridge(TMainForm* form);

    void RestartBalanceTimer() override;
    void SetServerContactsVisible(bool visible) override;
    void ShowServiceMessage() override;
    void OfferRegistration() override;
    void SetStatusText(const QString& text) override;
    void ShowBalloon(const QString& title, const QString& text, BalloonKind kind,
                     int timeoutMs) override;
    void EnableConnectTimeOutTimer() override;
    void PlaySoundFile(const QString& path) override;

private:
    void post(std::function<void(TMainForm&)> job) const;
    void sendAndWait(std::function<void(TMainForm&)> job) const;

    // Copied into every job and read only on the window's thread.
    QPointer<TMainForm> m_form;
};
