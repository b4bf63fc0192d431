#include "MainUnit.h"

#include <QTimer>

// The main window's timers: the balance refresh, the status bar's click pause and the
// retry after a connection timed out.

void TMainForm::buildTimers() {
    Timer1 = new QTimer(this);
    Timer1->setInterval(60000);
    Timer2 = new QTimer(this);
    Timer2->setInterval(30000);
    ConnectTimeOutTimer = new QTimer(this);
    ConnectTimeOutTimer->setInterval(30000);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TMainForm::Timer2Timer);
    connect(ConnectTimeOutTimer, &QTimer::timeout, this, &TMainForm::ConnectTimeOutTimerTimer);
}

void TMainForm::RestartBalanceTimer() {
    Timer1->stop();
    Timer1->start();
}

void TMainForm::EnableConnectTimeOutTimer() {
    ConnectTimeOutTimer->start();
}

void TMainForm::StatusBarClick() {
    if (!m_statusClickArmed)
        return;
    m_statusClickArmed = false;
    Timer2->start();
    requestUserInfo();
}

void TMainForm::Timer1Timer() {
    Timer1->stop();
    requestUserInfo();
}

void TMainForm::Timer2Timer() {
    Timer2->stop();
    m_statusClickArmed = true;
}

void TMainForm::ConnectTimeOutTimerTimer() {
    ConnectTimeOutTimer->stop();
    requestUserInfo();
}
