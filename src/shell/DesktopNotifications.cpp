#include "DesktopNotifications.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");

// The urgency hint's levels.
constexpr uchar kNormal = 1;
constexpr uchar kCritical = 2;

} // namespace

DesktopNotifications::DesktopNotifications(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus) {
    if (m_bus.isConnected())
        m_bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                      SLOT(actionInvoked(uint, QString)));
}

bool DesktopNotifications::isAvailable() const {
    if (!m_bus.isConnected())
        return false;
    QDBusConnectionInterface* bus = m_bus.interface();
    return bus->isServiceRegistered(kService).value() ||
           bus->activatableServiceNames().value().contains(kService);
}

bool DesktopNotifications::show(const QString& title, const QString& text,
                                QSystemTrayIcon::MessageIcon icon, int timeoutMs) {
    if (!isAvailable())
        return false;
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), kIconName);
    hints.insert(QStringLiteral("urgency"),
                 QVariant::fromValue(icon == QSystemTrayIcon::Critical ? kCritical : kNormal));
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    // A click on the notification brings the window back, as one on a balloon does.
    call << kAppName << m_lastId << kIconName << title << text
         << QStringList{kDefaultAction, QString()} << hints << qint32(timeoutMs);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isValid())
                    m_lastId = reply.value();
                finished->deleteLater();
            });
    return true;
}

void DesktopNotifications::actionInvoked(uint id, const QString& action) {
    if (id != 0 && id == m_lastId && action == kDefaultAction)
        emit clicked();
}
