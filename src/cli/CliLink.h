#pragma once

#include "service/MainWindowLink.h"

#include <QMutex>
#include <QString>
#include <QStringList>

// The main window as the command-line tool stands in for it: it remembers what the window
// would have shown, so a command can print it. Balloons, sounds and timers go nowhere.
class CliLink final : public MainWindowLink {
public:
    void RestartBalanceTimer() override {}
    void SetServerContactsVisible(bool) override {}
    void ShowServiceMessage() override;
    void OfferRegistration() override;
    void SetStatusText(const QString& text) override;
    void ShowBalloon(const QString&, const QString&, BalloonKind, int) override {}
    void EnableConnectTimeOutTimer() override {}
    void PlaySoundFile(const QString&) override {}

    QString statusText() const;
    bool registrationOffered() const;
    // The notices the service sent, in order.
    QStringList notices() const;

private:
    mutable QMutex m_mutex;
    QString m_status;
    bool m_registrationOffered = false;
    QStringList m_notices;
};
