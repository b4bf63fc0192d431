#include "MainUnit.h"

#include <QTimer>

// The main window's timers: the balance refresh, the status bar's click pause and the
// retry after a connection timed out.

void TMainForm::buildTimers() {
    m_balanceTimer = new QTimer(this);
    m_balanceTimer->setInterval(60000);
    m_statusClickPause = new QTimer(this);
    m_statusClickPause->setInterval(30000);
    m_loginRetryTimer = new QTimer(this);
    m_loginRetryTimer->setInterval(30000);
    connect(m_balanceTimer, &QTimer::timeout, this, &TMainForm::refreshBalance);
    connect(m_statusClickPause, &QTimer::timeout, this, &TMainForm::rearmStatusClick);
    connect(m_loginRetryTimer, &QTimer::timeout, this, &TMainForm::retryLogin);
}

void TMainForm::RestartBalanceTimer() {
    m_balanceTimer->stop();
    m_balanceTimer->start();
}

void TMainForm::enableLoginRetry() {
    m_loginRetryTimer->start();
}

void TMainForm::statusBarClick() {
    if (!m_statusClickArmed)
        return;
    m_statusClickArmed = false;
    m_statusClickPause->start();
    requestUserInfo();
}

void TMainForm::refreshBalance() {
    m_balanceTimer->stop();
    requestUserInfo();
}

void TMainForm::rearmStatusClick() {
    m_statusClickPause->stop();
    m_statusClickArmed = true;
}

void TMainForm::retryLogin() {
    m_loginRetryTimer->stop();
    requestUserInfo();
}
