#pragma once

#include "MainUnit.h"

#include <QPointer>

#include <memory>

class THistoryForm;
class TSendForm;

// The program's long-lived windows, joined for the run: the dialogs the main window opens
// and the ways the main, send and history windows reach each other.
class ProgramWindows {
public:
    // Also gives every settings dialog of the run its "Сервер" page.
    ProgramWindows();

    // The main window's dialogs. They reach the windows through this object, so the hooks
    // may be handed out before the windows exist (the main window runs some while it is
    // being made).
    TMainForm::Dialogs dialogs();

    // Called once all three windows exist.
    void join(TMainForm& mainForm, TSendForm& sendForm, THistoryForm& historyForm);

private:
    struct Windows {
        QPointer<TMainForm> main;
        QPointer<TSendForm> send;
        QPointer<THistoryForm> history;
    };
    std::shared_ptr<Windows> m_windows = std::make_shared<Windows>();
};
