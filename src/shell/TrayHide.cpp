#include "TrayHide.h"

void hideToTray(TrayHideTarget& windows, bool minimizeSendWindow)
{
    windows.SaveWindowPosition();
    windows.hideMainWindow();
    if (!minimizeSendWindow)
        return;
    const bool wasHidden = windows.sendWindowIsHidden();
    windows.hideSendWindow();
    windows.setSendWindowIsHidden(wasHidden);
}
