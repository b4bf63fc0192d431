#include "TinyProxy.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

const QString kExecutable = QStringLiteral("/usr/bin/tinyproxy");

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool accepts(quint16 port) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(200);
}

} // namespace

TinyProxy::~TinyProxy() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
}

bool TinyProxy::start(const QString& user, const QString& password) {
    if (!QFile::exists(kExecutable)) {
        m_error = QStringLiteral("tinyproxy is not installed");
        return false;
    }
    // The port is free a moment before tinyproxy takes it; a clash shows up as a failed start
    // and the next attempt picks another.
    for (int attempt = 0; attempt < 5; ++attempt) {
        m_port = freePort();
        QString config = QStringLiteral("Port %1\nListen 127.0.0.1\nTimeout 30\nMaxClients 50\n"
                                        "LogLevel Info\nLogFile \"%2/tinyproxy.log\"\n")
                             .arg(m_port)
                             .arg(m_dir.path());
        if (!user.isEmpty())
            config += QStringLiteral("BasicAuth %1 %2\n").arg(user, password);
        QFile file(m_dir.path() + QStringLiteral("/tinyproxy.conf"));
        if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0) {
            m_error = file.errorString();
            return false;
        }
        file.close();
        m_process.start(kExecutable, {QStringLiteral("-d"), QStringLiteral("-c"), file.fileName()});
        if (!m_process.waitForStarted(3000))
            continue;
        // Looks until it listens; a tinyproxy that gives up meanwhile ends the wait at once.
        const QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired() && m_process.state() == QProcess::Running &&
               !m_process.waitForFinished(20)) {
            if (accepts(m_port))
                return true;
        }
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    m_error = QStringLiteral("tinyproxy did not start: ") +
              QString::fromLocal8Bit(m_process.readAllStandardError());
    return false;
}

QString TinyProxy::log() const {
    QFile file(m_dir.path() + QStringLiteral("/tinyproxy.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
