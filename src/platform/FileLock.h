#pragma once

#include <QRecursiveMutex>
#include <QString>

// Holds a data file for one read-and-rewrite against the threads of this program and against
// other processes (the desktop program and varnelo-cli on one profile).
//
// Inside the process the given recursive mutex serialises the threads and lets the holder take
// the lock again; across processes a lock file "<file>.lock" beside the data file does, taken
// only by the outermost holder of this thread, because a lock file is not re-entrant. The lock
// file is private (mode 0600). A lock file left by a process that died is taken over. Hold it only
// around local file work, never across a request to the service.
class FileLock {
public:
    FileLock(QRecursiveMutex& inProcess, const QString& filePath);
    // With other waits than kWaitMs and kStaleMs: tests wait out another holder in a moment.
    FileLock(QRecursiveMutex& inProcess, const QString& filePath, int waitMs, int staleMs);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Empty while the file is held; otherwise why it is not (another process kept it past
    // the wait). A lock file that cannot be made at all, as in a read-only folder, leaves
    // this empty: the file's own read or write then reports what is wrong.
    QString errorString() const { return m_error; }

    // How long a process waits for another's lock before giving up.
    static constexpr int kWaitMs = 30000;
    // A lock file older than this whose holder can no longer be told apart (torn, without a
    // process id) is taken over; a living holder's lock is never taken.
    static constexpr int kStaleMs = 3000;

    static QString lockFilePath(const QString& filePath);

private:
    QRecursiveMutex& m_inProcess;
    QString m_lockPath;
    QString m_error;
};
