#include "TrayIcon.h"

#include "DesktopNotifications.h"
#include "contacts/ContactBook.h"
#include "platform/Registry.h"
#include "shared/Settings.h"
#include "shell/ProgramIcon.h"
#include "shell/TrayContactMenu.h"

#include <QMenu>

#include <utility>

namespace {

// The limits of the notification area's balloon fields.
constexpr int kBalloonTextLength = 255;
constexpr int kBalloonTitleLength = 63;

bool balloonTipsOn(const Settings& settings) {
    try {
        return settings.get(Setting::UseBalloonTips);
    } catch (const RegistryError&) {
        return Setting::UseBalloonTips.fallback;
    }
}

bool menuWithGroup(const Settings& settings) {
    try {
        return settings.get(Setting::MenuWithGroup);
    } catch (const RegistryError&) {
        return Setting::MenuWithGroup.fallback;
    }
}

} // namespace

TrayIcon::TrayIcon(const Settings& settings, const ContactBook& book, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_book(book)
    , m_icon(new QSystemTrayIcon(this)) {
    m_icon->setToolTip(kTip);
    connect(m_icon, &QSystemTrayIcon::activated, this, &TrayIcon::iconActivated);
    connect(m_icon, &QSystemTrayIcon::messageClicked, this, &TrayIcon::trayClick);
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::setMenu(QMenu* trayMenu, QMenu* sendSmsMenu, const QList<QIcon>& images) {
    delete m_contactMenu;
    m_contactMenu = new TrayContactMenu(sendSmsMenu, images, this);
    connect(m_contactMenu, &TrayContactMenu::contactChosen, this, &TrayIcon::contactChosen);
    connect(trayMenu, &QMenu::aboutToShow, this, &TrayIcon::TrayMenuPopup, Qt::UniqueConnection);
    m_icon->setContextMenu(trayMenu);
}

void TrayIcon::setDesktopNotifications(DesktopNotifications* notifications) {
    if (m_desktop)
        disconnect(m_desktop, nullptr, this, nullptr);
    m_desktop = notifications;
    if (m_desktop)
        connect(m_desktop, &DesktopNotifications::clicked, this, &TrayIcon::trayClick);
}

void TrayIcon::setIcon(const QIcon& icon) {
    m_icon->setIcon(icon);
}

void TrayIcon::add() {
    if (m_icon->icon().isNull())
        m_icon->setIcon(ProgramIcon::icon());
    m_added = true;
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_icon->show();
    for (const TrayBalloon& balloon : std::exchange(m_waitingBalloons, {}))
        deliver(balloon);
}

void TrayIcon::remove() {
    m_waitingBalloons.clear();
    m_icon->hide();
    m_added = false;
}

bool TrayIcon::isShownInTray() const {
    return m_added && m_icon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::TrayMenuPopup() {
    if (m_contactMenu)
        m_contactMenu->rebuild(m_book, menuWithGroup(m_settings));
}

void TrayIcon::ShowBalloon(const QString& title, const QString& text, int kind, int timeoutMs) {
    // The login thread shows balloons too; the icon is only ever touched on its own thread.
    QMetaObject::invokeMethod(
        this,
        [this, title, text, kind, timeoutMs] { showBalloonNow(title, text, kind, timeoutMs); },
        Qt::AutoConnection);
}

void TrayIcon::showBalloonNow(const QString& title, const QString& text, int kind, int timeoutMs) {
    if (!balloonTipsOn(m_settings))
        return;
    switch (kind) {
    case 1:
        m_balloonIcon = QSystemTrayIcon::Information;
        break;
    case 2:
        m_balloonIcon = QSystemTrayIcon::Warning;
        break;
    case 4:
        m_balloonIcon = QSystemTrayIcon::Critical;
        break;
    default:
        break;
    }
    m_lastBalloon = TrayBalloon{title.left(kBalloonTitleLength), text.left(kBalloonTextLength),
                                m_balloonIcon, timeoutMs};
    if (m_added)
        deliver(*m_lastBalloon);
    else
        m_waitingBalloons.push_back(*m_lastBalloon);
}

void TrayIcon::deliver(const TrayBalloon& balloon) {
    if (isShownInTray()) {
        m_icon->showMessage(balloon.title, balloon.text, balloon.icon, balloon.timeoutMs);
        return;
    }
    // The bus is joined at the first balloon, not in the start the user waits for.
    if (!m_desktop)
        setDesktopNotifications(new DesktopNotifications(QDBusConnection::sessionBus(), this));
    m_desktop->show(balloon.title, balloon.text, balloon.icon, balloon.timeoutMs);
}

void TrayIcon::iconActivated(QSystemTrayIcon::ActivationReason reason) {
    // The context menu opens by itself; a double click already gave its first click.
    if (reason == QSystemTrayIcon::Trigger)
        emit trayClick();
}
