#include "SingleInstance.h"

#include "AppPaths.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
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
    // The folder exists once asked for; the store file may not yet.
    const QString folder = QFileInfo(AppPaths::registryFile()).absolutePath();
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return nameForProfile(canonical.isEmpty() ? folder : canonical);
}

QString SingleInstance::nameForProfile(const QString& settingsFolder) {
    // Short enough for the socket's address; two profiles that share a runtime folder (two
    // XDG_CONFIG_HOME of one user) get names of their own.
    const QString profile = QString::fromLatin1(
        QCryptographicHash::hash(QFile::encodeName(settingsFolder), QCryptographicHash::Sha1)
            .toHex()
            .left(12));
    // In the user's runtime folder when there is one: private to the user and the session,
    // where a name in the shared temporary folder is open to every user of the machine.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QString path = runtime + QStringLiteral("/Varnelo-") + profile;
    if (!runtime.isEmpty() && QFile::encodeName(path).size() < kLongestSocketPath)
        return path;
    return QStringLiteral("Varnelo-%1-%2").arg(::getuid()).arg(profile);
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
