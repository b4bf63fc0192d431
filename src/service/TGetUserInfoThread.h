#pragma once

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <functional>

// The login thread: lives for the run and runs one refresh (a LoginRoutine's) per request.
// Requests made while a refresh runs are taken by the next round; several requests before
// it give one refresh. Between requests it sleeps on a wait condition.
class TGetUserInfoThread : public QThread {
    Q_OBJECT

public:
    explicit TGetUserInfoThread(std::function<void()> refresh, QObject* parent = nullptr);
    ~TGetUserInfoThread() override;

    // Asks for one refresh (sets UserInfoRequested); callable from any thread.
    void RequestUserInfo();
    bool UserInfoRequested() const;

    // Ends the thread: a refresh in progress gives up its request and shows nothing.
    // Returns when the thread has finished.
    void Stop();

protected:
    void run() override;

private:
    std::function<void()> m_refresh;
    mutable QMutex m_mutex;
    QWaitCondition m_wake;
    bool m_userInfoRequested = false;
    bool m_stopping = false;
};
