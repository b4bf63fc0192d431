#include "TGetUserInfoThread.h"

TGetUserInfoThread::TGetUserInfoThread(std::function<void()> refresh, QObject* parent)
    : QThread(parent)
    , m_refresh(std::move(refresh)) {
    setObjectName(QStringLiteral("TGetUserInfoThread"));
}

TGetUserInfoThread::~TGetUserInfoThread() {
    Stop();
}

void TGetUserInfoThread::RequestUserInfo() {
    QMutexLocker lock(&m_mutex);
    m_userInfoRequested = true;
    m_wake.wakeOne();
}

bool TGetUserInfoThread::UserInfoRequested() const {
    QMutexLocker lock(&m_mutex);
    return m_userInfoRequested;
}

void TGetUserInfoThread::Stop() {
    requestInterruption();
    {
        QMutexLocker lock(&m_mutex);
        m_stopping = true;
        m_wake.wakeOne();
    }
    wait();
}

void TGetUserInfoThread::run() {
    // A request made before the thread got going (the first login) is kept, not cleared.
    QMutexLocker lock(&m_mutex);
    for (;;) {
        while (!m_userInfoRequested && !m_stopping)
            m_wake.wait(&m_mutex);
        if (m_stopping)
            return;
        m_userInfoRequested = false;
        lock.unlock();
        m_refresh();
        lock.relock();
    }
}
