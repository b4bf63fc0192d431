#include "SingleInstance.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

namespace {
constexpr int kConnectTimeoutMs = 1000;
constexpr int kMessageSize = 8;
constexpr int kProbeMs = 100;
// A local socket's path must fit the 108 bytes of the system's address.
constexpr int kLongestSocketPath = 100;
} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent)
    , m_name(name) {
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultName() {
    // In the user's runtime folder when there is one: private to the user and the session,
    // where a name in the shared temporary folder is open to every user of the machine.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QString path = runtime + QStringLiteral("/Varnelo-instance");
    if (!runtime.isEmpty() && QFile::encodeName(path).size() < kLongestSocketPath)
        return path;
    return QStringLiteral("Varnelo-%1").arg(::getuid());
}

bool SingleInstance::handOver(int request, int detail) {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << qint32(request) << qint32(detail);
    socket.write(message);
    if (!socket.waitForBytesWritten(kConnectTimeoutMs))
        return false;
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::waitUntilFree(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        QLocalSocket socket;
        socket.connectToServer(m_name);
        if (!socket.waitForConnected(kProbeMs))
            return true;
        socket.abort();
        if (deadline.hasExpired())
            return false;
        QThread::msleep(kProbeMs);
    }
}

bool SingleInstance::listen() {
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // A socket left behind by a copy that crashed: nobody answered handOver(), so take it.
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                while (socket->bytesAvailable() >= kMessageSize) {
                    QDataStream in(socket->read(kMessageSize));
                    qint32 request = 0;
                    qint32 detail = 0;
                    in >> request >> detail;
                    emit messageReceived(request, detail);
                }
            });
        }
    });
    return true;
}
