#pragma once

// The two windows as hiding to the tray sees them.
class TrayHideTarget {
public:
    virtual ~TrayHideTarget() = default;

    virtual void SaveWindowPosition() = 0;
    virtual void hideMainWindow() = 0;
    virtual void hideSendWindow() = 0;
    // The send window's IsHidden flag.
    virtual bool sendWindowIsHidden() const = 0;
    virtual void setSendWindowIsHidden(bool hidden) = 0;
};

// Hides the main window to the tray. With minimizeSendWindow the send window goes too but
// keeps its IsHidden, so it comes back with the main window only when it was open before.
void hideToTray(TrayHideTarget& windows, bool minimizeSendWindow);
