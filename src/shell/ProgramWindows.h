#pragma once

#include "MainUnit.h"

#include <QPointer>

#include <functional>
#include <memory>

class ScheduledTimer;
class ScheduledWindow;
class ServiceClient;
class THistoryForm;
class TSendForm;
class UnknownOutcomeDialog;

// The program's long-lived windows, joined for the run: the dialogs the main window opens
// and the ways the main, send and history windows reach each other.
class ProgramWindows {
public:
    // Every window reaches the service through `client`. Also gives every settings dialog of
    // the run its "Сервер" page.
    explicit ProgramWindows(std::shared_ptr<ServiceClient> client);

    // The main window's dialogs. They reach the windows through this object, so the hooks
    // may be handed out before the windows exist (the main window runs some while it is
    // being made).
    TMainForm::Dialogs dialogs();

    // Called once all three windows exist.
    void join(TMainForm& mainForm, TSendForm& sendForm, THistoryForm& historyForm);

    // At start, once the windows are joined: sends that a stopped run left in the journal
    // are taken over, and those of unknown outcome shown.
    void recoverUnknownOutcomes();

    // The dialog of the sends of unknown outcome, while it is open.
    UnknownOutcomeDialog* unknownOutcomeDialog() const;

    // At start, after the recovery: asks what to do with the scheduled messages whose moment
    // passed while the program was not running.
    void askAboutMissedSends();
    // Sends the scheduled messages on time; made with the send window.
    ScheduledTimer* scheduledTimer() const;

private:
    struct Windows {
        QPointer<TMainForm> main;
        QPointer<TSendForm> send;
        QPointer<THistoryForm> history;
        // One at a time: a new unknown outcome refreshes the one open.
        QPointer<UnknownOutcomeDialog> unknownOutcomes;
        QPointer<ScheduledWindow> scheduledList;
        QPointer<ScheduledTimer> scheduled;
    };
    static void showUnknownOutcomes(Windows& windows);
    std::shared_ptr<ServiceClient> m_client;
    std::shared_ptr<Windows> m_windows = std::make_shared<Windows>();
};
