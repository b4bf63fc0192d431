#include "StoreWatcher.h"

#include <QFileInfo>

namespace {

// A writer commits in several steps; one look after they have settled is enough.
constexpr int kSettleMs = 150;

} // namespace

StoreWatcher::StoreWatcher(const QString& storeFile, QObject* parent)
    : QObject(parent)
    , m_storeFile(storeFile) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &StoreWatcher::changed);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] {
        watchFiles();
        m_settle.start();
    });
    // The log is made anew after the last connection closed and removed it; the folder tells.
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        watchFiles();
        m_settle.start();
    });
    m_watcher.addPath(QFileInfo(storeFile).absolutePath());
    watchFiles();
}

void StoreWatcher::watchFiles() {
    const QStringList watched = m_watcher.files();
    for (const QString& file : {m_storeFile, m_storeFile + QStringLiteral("-wal")}) {
        if (!watched.contains(file) && QFileInfo::exists(file))
            m_watcher.addPath(file);
    }
}
