#pragma once

#include <QString>
#include <QSystemTrayIcon>

// One balloon as it went to the notification area, texts already cut to their limits.
struct TrayBalloon {
    QString title;
    QString text;
    QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::NoIcon;
    int timeoutMs = 0;
};
