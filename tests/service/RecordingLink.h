#pragma once

#include "service/MainWindowLink.h"

#include <QMutex>
#include <QStringList>

#include <functional>

// The main window as the tests see it: every call is written down as one line, in order.
class RecordingLink : public MainWindowLink {
public:
    void RestartBalanceTimer() override;
    void SetServerContactsVisible(bool visible) override;
    void ShowServiceMessage() override;
    void OfferRegistration() override;
    void SetStatusText(const QString& text) override;
    void ShowBalloon(const QString& title, const QString& text, BalloonKind kind,
                     int timeoutMs) override;
    void EnableConnectTimeOutTimer() override;
    void PlaySoundFile(const QString& path) override;

    QStringList calls() const;
    QStringList take();
    // Runs when the registration dialog would open (the main window sets RegistrationOffered).
    void onRegistration(std::function<void()> action);

private:
    void add(const QString& call);

    mutable QMutex m_mutex;
    QStringList m_calls;
    std::function<void()> m_onRegistration;
};
