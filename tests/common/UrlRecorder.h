#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Takes the addresses the program hands the desktop to open (QDesktopServices::setUrlHandler
// with the slot "open"), so a test sees them instead of a browser opening.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};
