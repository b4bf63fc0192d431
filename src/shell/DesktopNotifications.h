#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

// Balloons on desktops whose notification area shows none (or where there is no such area,
// as on GNOME): the desktop's notification service, org.freedesktop.Notifications on the
// session bus, with the program's name and icon.
class DesktopNotifications : public QObject {
    Q_OBJECT

public:
    static inline const QString kService = QStringLiteral("org.freedesktop.Notifications");
    // The name and the icon (of the icon theme) the desktop shows with the balloon.
    static inline const QString kAppName = QStringLiteral("Varnelo");
    static inline const QString kIconName = QStringLiteral("varnelo");

    explicit DesktopNotifications(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                                  QObject* parent = nullptr);

    // Whether a service runs on the bus or is started by it on the first call.
    bool isAvailable() const;
    // Handed to the service without waiting for its answer; a later one replaces the one
    // still on the screen, as balloons do. False when there is no service.
    bool show(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon icon,
              int timeoutMs);

signals:
    // The user clicked one of the program's notifications.
    void clicked();

private slots:
    void actionInvoked(uint id, const QString& action);

private:
    QDBusConnection m_bus;
    uint m_lastId = 0;
};
