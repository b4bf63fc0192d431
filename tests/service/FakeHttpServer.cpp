#include "FakeHttpServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

// Lives on the server's thread; one instance serves every connection.
class FakeHttpServerWorker : public QObject {
public:
    explicit FakeHttpServerWorker(FakeHttpServer& owner)
        : m_owner(owner) {}

    quint16 listen() {
        m_server = new QTcpServer(this);
        m_server->listen(QHostAddress::LocalHost, 0);
        QObject::connect(m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server->nextPendingConnection())
                serve(socket);
        });
        return m_server->serverPort();
    }

private:
    void serve(QTcpSocket* socket) {
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            *buffer += socket->readAll();
            const qsizetype headerEnd = buffer->indexOf("\r\n\r\n");
            if (headerEnd < 0)
                return;
            FakeHttpServer::Request request;
            const QList<QByteArray> lines = buffer->left(headerEnd).split('\n');
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            request.method = first.value(0);
            request.path = first.value(1);
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const qsizetype colon = lines[i].indexOf(':');
                if (colon > 0)
                    request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                           lines[i].mid(colon + 1).trimmed());
            }
            const qsizetype length = request.headers.value("content-length").toLongLong();
            if (buffer->size() < headerEnd + 4 + length)
                return;
            request.body = buffer->mid(headerEnd + 4, length);
            buffer->clear();
            QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
            m_owner.record(request);
            respond(socket, m_owner.takeBehaviour());
        });
    }

    static QByteArray statusLine(int status) {
        return "HTTP/1.1 " + QByteArray::number(status) + " Status\r\n";
    }

    void respond(QTcpSocket* socket, const FakeHttpServer::Behaviour& behaviour) {
        using Mode = FakeHttpServer::Behaviour::Mode;
        switch (behaviour.mode) {
        case Mode::Reply: {
            const QByteArray whole = statusLine(behaviour.status) + "Content-Length: " +
                                     QByteArray::number(behaviour.body.size()) +
                                     "\r\nConnection: close\r\n\r\n" + behaviour.body;
            QTimer::singleShot(behaviour.delayMs, socket, [socket, whole] {
                socket->write(whole);
                socket->disconnectFromHost();
            });
            break;
        }
        case Mode::Silent:
            break;
        case Mode::Drop:
            socket->disconnectFromHost();
            break;
        case Mode::CloseMidReply:
            socket->write(statusLine(200) +
                          "Content-Length: " + QByteArray::number(behaviour.body.size() * 2) +
                          "\r\n\r\n" + behaviour.body);
            socket->disconnectFromHost();
            break;
        case Mode::Garbage:
            stream(socket, QByteArray(), behaviour.size);
            break;
        case Mode::EndlessBody:
            stream(socket, statusLine(200) + "Connection: close\r\n\r\n", behaviour.size);
            break;
        case Mode::Trickle: {
            socket->write(statusLine(200) + "Content-Length: 1000000\r\n\r\n");
            auto* timer = new QTimer(socket);
            QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write("7"); });
            timer->start(behaviour.intervalMs);
            break;
        }
        }
    }

    // Writes `head` and then `size` bytes of noise, a megabyte at a time as the peer takes
    // them, then closes.
    static void stream(QTcpSocket* socket, const QByteArray& head, qint64 size) {
        static const QByteArray chunk = [] {
            QByteArray noise(1024 * 1024, '\0');
            for (qsizetype i = 0; i < noise.size(); ++i)
                noise[i] = static_cast<char>((i * 7919 + 13) % 251);
            return noise;
        }();
        auto left = std::make_shared<qint64>(size);
        const auto pump = [socket, left] {
            while (*left > 0 && socket->bytesToWrite() < 2 * chunk.size()) {
                const qint64 n = std::min<qint64>(*left, chunk.size());
                socket->write(chunk.constData(), n);
                *left -= n;
            }
            if (*left == 0 && socket->bytesToWrite() == 0)
                socket->disconnectFromHost();
        };
        socket->write(head);
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, pump);
        pump();
    }

    FakeHttpServer& m_owner;
    QTcpServer* m_server = nullptr;
};

FakeHttpServer::FakeHttpServer() {
    m_thread.setObjectName(QStringLiteral("FakeHttpServer"));
    m_thread.start();
    m_worker = new FakeHttpServerWorker(*this);
    m_worker->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    QMetaObject::invokeMethod(
        m_worker, [this] { return m_worker->listen(); }, Qt::BlockingQueuedConnection, &m_port);
}

FakeHttpServer::~FakeHttpServer() {
    m_thread.quit();
    m_thread.wait();
}

FakeHttpServer::Behaviour FakeHttpServer::reply(const QByteArray& body, int status, int delayMs) {
    Behaviour behaviour;
    behaviour.body = body;
    behaviour.status = status;
    behaviour.delayMs = delayMs;
    return behaviour;
}

FakeHttpServer::Behaviour FakeHttpServer::of(Behaviour::Mode mode, qint64 size, int intervalMs) {
    Behaviour behaviour;
    behaviour.mode = mode;
    behaviour.size = size;
    behaviour.intervalMs = intervalMs;
    return behaviour;
}

void FakeHttpServer::setDefault(const Behaviour& behaviour) {
    QMutexLocker lock(&m_mutex);
    m_default = behaviour;
}

void FakeHttpServer::enqueue(const Behaviour& behaviour) {
    QMutexLocker lock(&m_mutex);
    m_queue.append(behaviour);
}

QList<FakeHttpServer::Request> FakeHttpServer::requests() const {
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

void FakeHttpServer::clear() {
    QMutexLocker lock(&m_mutex);
    m_queue.clear();
    m_requests.clear();
    m_default = Behaviour();
}

FakeHttpServer::Behaviour FakeHttpServer::takeBehaviour() {
    QMutexLocker lock(&m_mutex);
    return m_queue.isEmpty() ? m_default : m_queue.takeFirst();
}

void FakeHttpServer::record(const Request& request) {
    QMutexLocker lock(&m_mutex);
    m_requests.append(request);
}
