#include "ProbeRun.h"

#include <QDateTime>
#include <QDeadlineTimer>

ProbeRun::ProbeRun(const QString& program, const QProcessEnvironment& environment, Mode mode) {
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_startedMs = QDateTime::currentMSecsSinceEpoch();
    m_process.start(program,
                    mode == Mode::Stay ? QStringList{QStringLiteral("--stay")} : QStringList{});
}

ProbeRun::~ProbeRun() {
    stop();
}

qint64 ProbeRun::waitShown(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine()) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning) {
            stop();
            return -1;
        }
        m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    bool ok = false;
    const qint64 shownMs = m_process.readLine().trimmed().toLongLong(&ok);
    return ok && shownMs >= m_startedMs ? shownMs - m_startedMs : -1;
}

void ProbeRun::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(10000);
}
