#pragma once

#include "shared/Settings.h"
#include "shell/TrayBalloon.h"
#include "shell/TrayContact.h"

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

#include <optional>
#include <vector>

class ContactBook;
class DesktopNotifications;
class QMenu;
class TrayContactMenu;

// The main window's icon in the notification area: its tip, its menu with the contact
// submenu, the clicks that bring the window back and the balloons other parts show.
// Where the desktop has no notification area everything but the icon itself still works, and
// the balloons go to the desktop's notification service.
class TrayIcon : public QObject {
    Q_OBJECT

public:
    static inline const QString kTip = QStringLiteral("Varnelo");

    // settings: a handle on the settings store, kept for the object's life.
    TrayIcon(const Settings& settings, const ContactBook& book, QObject* parent = nullptr);
    ~TrayIcon() override;

    // trayMenu: the main window's tray menu; sendSmsMenu: the submenu of its entry
    // "Отправить СМС", refilled each time that menu opens. images: the 16 x 16 list, 0 for a
    // group, 1 for a contact.
    void setMenu(QMenu* trayMenu, QMenu* sendSmsMenu, const QList<QIcon>& images);
    // Without one, the program's icon.
    void setIcon(const QIcon& icon);
    QIcon icon() const { return m_icon->icon(); }

    // At the main window's first showing; TrayIconAdded from then on.
    void add();
    // When the main window closes.
    void remove();
    bool TrayIconAdded() const { return m_added; }
    // Whether a notification area really shows the icon; without one, hiding the main
    // window would leave the user no way back.
    bool isShownInTray() const;

    // Refills the contact submenu by MenuWithGroup; run whenever the tray menu opens.
    void TrayMenuPopup();
    TrayContactMenu* contactMenu() const { return m_contactMenu; }

    // kind: 1 information, 2 warning, 4 error; another kind keeps the previous balloon's
    // icon. Nothing when UseBalloonTips is off. Safe from any thread. Before add() the
    // balloon waits for it: a login may answer before the window's first frame.
    void ShowBalloon(const QString& title, const QString& text, int kind, int timeoutMs);
    // The last balloon asked for (recorded also where nothing shows it).
    std::optional<TrayBalloon> lastBalloon() const { return m_lastBalloon; }
    // Without a notification area that shows the icon, balloons go there; by default (when
    // none is set) the session bus's service. Not owned.
    void setDesktopNotifications(DesktopNotifications* notifications);

signals:
    // A left click on the icon or a click on a balloon.
    void trayClick();
    // A contact item of the tray menu with a number was chosen.
    void contactChosen(const TrayContact& contact);

private:
    void showBalloonNow(const QString& title, const QString& text, int kind, int timeoutMs);
    void deliver(const TrayBalloon& balloon);
    void iconActivated(QSystemTrayIcon::ActivationReason reason);

    Settings m_settings;
    const ContactBook& m_book;
    QSystemTrayIcon* m_icon = nullptr;
    TrayContactMenu* m_contactMenu = nullptr;
    bool m_added = false;
    QSystemTrayIcon::MessageIcon m_balloonIcon = QSystemTrayIcon::NoIcon;
    std::optional<TrayBalloon> m_lastBalloon;
    std::vector<TrayBalloon> m_waitingBalloons;
    DesktopNotifications* m_desktop = nullptr;
};
