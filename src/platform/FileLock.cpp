#include "FileLock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMutex>
#include <QThread>

#include <map>
#include <memory>

namespace {

// The lock files this process holds, by path, with how many holders share each: the
// in-process mutex lets one thread in at a time, and only its outermost holder makes the file.
struct HeldFile {
    std::unique_ptr<QLockFile> file; // null when it could not be made
    QString error;
    int depth = 0;
};

QMutex& heldFilesMutex() {
    static QMutex mutex;
    return mutex;
}

std::map<QString, HeldFile>& heldFiles() {
    static std::map<QString, HeldFile> files;
    return files;
}

// Polls briefly rather than with QLockFile's doubling sleeps, so that a writer waiting on
// another process's short rewrite goes on within milliseconds.
HeldFile takeLockFile(const QString& lockPath, int waitMs, int staleMs) {
    HeldFile held;
    held.depth = 1;
    QDir().mkpath(QFileInfo(lockPath).absolutePath());
    auto file = std::make_unique<QLockFile>(lockPath);
    file->setStaleLockTime(staleMs);
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        if (file->tryLock(0)) {
            // It names this process and host: nobody else's business.
            QFile::setPermissions(lockPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            held.file = std::move(file);
            return held;
        }
        if (file->error() != QLockFile::LockFailedError)
            return held; // no lock file can be made here; the file's own access will tell
        if (deadline.hasExpired()) {
            held.error = QStringLiteral("Файл %1 занят другой программой")
                             .arg(QDir::toNativeSeparators(
                                 lockPath.chopped(QStringLiteral(".lock").size())));
            return held;
        }
        QThread::msleep(5);
    }
}

} // namespace

QString FileLock::lockFilePath(const QString& filePath) {
    return QFileInfo(filePath).absoluteFilePath() + QStringLiteral(".lock");
}

FileLock::FileLock(QRecursiveMutex& inProcess, const QString& filePath)
    : FileLock(inProcess, filePath, kWaitMs, kStaleMs) {
}

FileLock::FileLock(QRecursiveMutex& inProcess, const QString& filePath, int waitMs, int staleMs)
    : m_inProcess(inProcess)
    , m_lockPath(lockFilePath(filePath)) {
    m_inProcess.lock();
    {
        QMutexLocker locker(&heldFilesMutex());
        const auto it = heldFiles().find(m_lockPath);
        if (it != heldFiles().end()) {
            ++it->second.depth;
            m_error = it->second.error;
            return;
        }
    }
    // Only this thread can be here for this file: the in-process mutex is held.
    HeldFile held = takeLockFile(m_lockPath, waitMs, staleMs);
    m_error = held.error;
    QMutexLocker locker(&heldFilesMutex());
    heldFiles().emplace(m_lockPath, std::move(held));
}

FileLock::~FileLock() {
    {
        QMutexLocker locker(&heldFilesMutex());
        const auto it = heldFiles().find(m_lockPath);
        if (it != heldFiles().end() && --it->second.depth == 0) {
            if (it->second.file)
                it->second.file->unlock();
            heldFiles().erase(it);
        }
    }
    m_inProcess.unlock();
}
