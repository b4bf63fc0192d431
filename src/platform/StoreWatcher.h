#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

// Tells when the settings store may have been written by another program: its file or its
// write-ahead log changed on disk. The kernel reports the changes, so nothing polls while the
// program is idle. This process's own writes are reported too; the listener asks the store's
// data version whether anything is new.
class StoreWatcher : public QObject {
    Q_OBJECT

public:
    explicit StoreWatcher(const QString& storeFile, QObject* parent = nullptr);

signals:
    // Once for a burst of writes.
    void changed();

private:
    void watchFiles();

    QString m_storeFile;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
};
