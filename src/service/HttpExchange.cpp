#include "HttpExchange.h"

#include "service/OneShotBody.h"
#include "service/ServiceError.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace {

// How often a waiting exchange looks whether its thread has been asked to stop.
constexpr std::chrono::milliseconds kInterruptionCheck{100};

enum class Stop { None, Cap, TooLarge, Cancelled };

struct Request {
    QUrl url;
    QNetworkProxy proxy;
    QList<QPair<QByteArray, QByteArray>> headers;
    int readTimeoutMs = 0;
    int overallCapMs = 0;
    QByteArray body;
};

// What the network thread hands back of one exchange; the caller turns it into a reply or
// an error.
struct Outcome {
    QByteArray received;
    Stop stop = Stop::None;
    QVariant status;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString errorString;
    bool sent = false;
};

class Exchange;

// Shared by the caller, who waits for the outcome, and the network thread.
struct Pending {
    std::mutex lock;
    std::condition_variable ready;
    std::optional<Outcome> outcome;
    // Touched on the network thread only; null once the exchange has ended.
    Exchange* exchange = nullptr;

    void hand(Outcome result) {
        const std::lock_guard locker(lock);
        outcome = std::move(result);
        ready.notify_all();
    }
};

// One exchange on the network thread: its own manager and reply, and nothing kept after it
// has handed over its outcome.
class Exchange : public QObject {
public:
    Exchange(const Request& request, std::shared_ptr<Pending> pending, QObject* parent);

    void abortWith(Stop why);
    // Hands the outcome over once; the reply has ended or been aborted.
    void complete();

private:
    std::shared_ptr<Pending> m_pending;
    // Declared first: the body must outlive the manager that reads it.
    OneShotBody m_upload;
    QNetworkAccessManager m_manager;
    std::unique_ptr<QNetworkReply> m_reply;
    QTimer m_cap;
    QByteArray m_received;
    Stop m_stop = Stop::None;
    bool m_sent = false;
    bool m_completed = false;
};

Exchange::Exchange(const Request& request, std::shared_ptr<Pending> pending, QObject* parent)
    : QObject(parent)
    , m_pending(std::move(pending))
    , m_upload(request.body) {
    m_pending->exchange = this;
    m_manager.setProxy(request.proxy);
    // A redirect is not the service's reply; following it would post elsewhere.
    m_manager.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);

    QNetworkRequest http(request.url);
    http.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    for (const auto& [name, value] : request.headers)
        http.setRawHeader(name, value);
    if (request.readTimeoutMs > 0)
        http.setTransferTimeout(request.readTimeoutMs);
    http.setHeader(QNetworkRequest::ContentLengthHeader, request.body.size());
    http.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);

    m_reply.reset(m_manager.post(http, &m_upload));
    QNetworkReply* reply = m_reply.get();
    // Once every byte of the body is written, the service may act on it whatever follows.
    connect(reply, &QNetworkReply::uploadProgress, this,
            [this](qint64 done, qint64 total) { m_sent = m_sent || (total > 0 && done >= total); });
    connect(reply, &QNetworkReply::readyRead, this, [this] {
        m_received += m_reply->readAll();
        if (m_received.size() > HttpExchange::kMaxReplyBytes)
            abortWith(Stop::TooLarge);
    });
    connect(reply, &QNetworkReply::finished, this, &Exchange::complete);

    m_cap.setSingleShot(true);
    connect(&m_cap, &QTimer::timeout, this, [this] { abortWith(Stop::Cap); });
    if (request.overallCapMs > 0)
        m_cap.start(request.overallCapMs);

    if (reply->isFinished())
        complete();
}

void Exchange::abortWith(Stop why) {
    if (m_completed)
        return;
    if (m_stop == Stop::None)
        m_stop = why;
    m_reply->abort();
}

void Exchange::complete() {
    if (m_completed)
        return;
    m_completed = true;
    m_cap.stop();
    m_pending->exchange = nullptr;
    Outcome outcome;
    if (m_stop == Stop::None && m_reply->isOpen())
        m_received += m_reply->readAll();
    outcome.received = std::move(m_received);
    outcome.stop = m_stop;
    outcome.status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    outcome.error = m_reply->error();
    outcome.errorString = m_reply->errorString();
    // Any byte of a reply says the request arrived, even when the reply is cut short.
    outcome.sent = m_sent || !outcome.received.isEmpty() || outcome.status.isValid();
    m_pending->hand(std::move(outcome));
    // Not at once: the reply may be in the middle of emitting a signal.
    deleteLater();
}

// The one thread on which every exchange of the process runs, its event loop Qt's own. It
// is made at the first exchange and ends with the application object: exchanges still
// running then are cancelled, and later ones fail at once.
class NetworkThread {
public:
    NetworkThread();
    ~NetworkThread();
    NetworkThread(const NetworkThread&) = delete;
    NetworkThread& operator=(const NetworkThread&) = delete;

    // Null once the application object has gone.
    static std::shared_ptr<NetworkThread> instance();

    // Runs `job` on the network thread with the parent of its exchanges; false when the
    // thread has stopped and `job` will never run.
    bool run(std::function<void(QObject* exchanges)> job);

private:
    static void stopInstance();
    void stop();

    QThread m_thread;
    QObject* m_exchanges;
    std::mutex m_lock;
    bool m_stopped = false;
};

std::mutex g_networkLock;
std::shared_ptr<NetworkThread> g_network;

NetworkThread::NetworkThread()
    : m_exchanges(new QObject) {
    m_thread.setObjectName(QStringLiteral("network"));
    if (QCoreApplication* app = QCoreApplication::instance())
        m_thread.moveToThread(app->thread());
    m_exchanges->moveToThread(&m_thread);
    m_thread.start();
}

NetworkThread::~NetworkThread() {
    // Only without an orderly end (the process leaves without its application object).
    if (m_thread.isRunning()) {
        m_thread.quit();
        m_thread.wait();
    }
}

std::shared_ptr<NetworkThread> NetworkThread::instance() {
    const std::lock_guard locker(g_networkLock);
    // None once the application object has gone. One made while it goes (by a worker it
    // stops) ends with it too: its clean-up runs until no routine is left.
    if (!g_network && !QCoreApplication::closingDown()) {
        g_network = std::make_shared<NetworkThread>();
        qAddPostRoutine(&NetworkThread::stopInstance);
    }
    return g_network;
}

void NetworkThread::stopInstance() {
    std::shared_ptr<NetworkThread> network;
    {
        const std::lock_guard locker(g_networkLock);
        network = std::move(g_network);
    }
    if (network)
        network->stop();
}

bool NetworkThread::run(std::function<void(QObject* exchanges)> job) {
    const std::lock_guard locker(m_lock);
    if (m_stopped)
        return false;
    QObject* exchanges = m_exchanges;
    QMetaObject::invokeMethod(
        m_exchanges, [exchanges, job = std::move(job)] { job(exchanges); }, Qt::QueuedConnection);
    return true;
}

void NetworkThread::stop() {
    {
        const std::lock_guard locker(m_lock);
        m_stopped = true;
    }
    // Behind every job handed over before: each exchange has started and is now let go.
    QObject* exchanges = m_exchanges;
    QMetaObject::invokeMethod(
        m_exchanges,
        [exchanges] {
            for (QObject* child : exchanges->children()) {
                if (auto* exchange = dynamic_cast<Exchange*>(child)) {
                    exchange->abortWith(Stop::Cancelled);
                    exchange->complete();
                }
            }
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_exchanges;
    m_exchanges = nullptr;
}

} // namespace

HttpExchange::HttpExchange(const QUrl& url)
    : m_url(url) {
}

void HttpExchange::setProxyCredentials(const QByteArray& user, const QByteArray& password) {
    // Sent with the request itself: answering a challenge would mean posting the body twice.
    addHeader("Proxy-Authorization", "Basic " + (user + ':' + password).toBase64());
}

void HttpExchange::addHeader(const QByteArray& name, const QByteArray& value) {
    m_headers.append({name, value});
}

QByteArray HttpExchange::post(const QByteArray& body) const {
    if (!m_url.isValid() || m_url.host().isEmpty() || m_url.port() < 1)
        throw ServiceError(ServiceError::Kind::Connection,
                           QStringLiteral("Invalid service address: %1").arg(m_url.toString()));

    const auto cancelled = [](bool sent) {
        return ServiceError(ServiceError::Kind::Cancelled, QStringLiteral("Request cancelled"),
                            sent);
    };
    const std::shared_ptr<NetworkThread> network = NetworkThread::instance();
    auto pending = std::make_shared<Pending>();
    const Request request{m_url, m_proxy, m_headers, m_readTimeoutMs, m_overallCapMs, body};
    if (!network || !network->run([request, pending](QObject* exchanges) {
            new Exchange(request, pending, exchanges);
        }))
        throw cancelled(false);

    // The caller waits without an event loop of its own, looking now and then whether it has
    // been asked to stop; the exchange then ends on the network thread.
    QThread* const caller = QThread::currentThread();
    bool cancelAsked = false;
    std::unique_lock locker(pending->lock);
    while (!pending->ready.wait_for(locker, kInterruptionCheck,
                                    [&pending] { return pending->outcome.has_value(); })) {
        if (!cancelAsked && caller->isInterruptionRequested()) {
            cancelAsked = true;
            locker.unlock();
            network->run([pending](QObject*) {
                if (pending->exchange)
                    pending->exchange->abortWith(Stop::Cancelled);
            });
            locker.lock();
        }
    }
    Outcome outcome = std::move(*pending->outcome);
    locker.unlock();

    const bool sent = outcome.sent;
    switch (outcome.stop) {
    case Stop::Cap:
        throw ServiceError(ServiceError::Kind::Timeout,
                           QStringLiteral("No complete reply within %1 ms").arg(m_overallCapMs),
                           sent);
    case Stop::TooLarge:
        throw ServiceError(ServiceError::Kind::ReplyTooLarge,
                           QStringLiteral("Reply larger than %1 bytes").arg(kMaxReplyBytes), sent);
    case Stop::Cancelled:
        throw cancelled(sent);
    case Stop::None:
        break;
    }

    const int status = outcome.status.isValid() ? outcome.status.toInt() : 0;
    const QNetworkReply::NetworkError error = outcome.error;
    if (error == QNetworkReply::NoError && status >= 200 && status < 300)
        return outcome.received;
    if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError)
        throw ServiceError(ServiceError::Kind::Timeout,
                           QStringLiteral("No data for %1 ms").arg(m_readTimeoutMs), sent);
    // A refusal (4xx: the proxy's or the server's) carried nothing out; a server error may
    // have come after the work was done.
    if (status != 0 && (status < 200 || status >= 300))
        throw ServiceError(ServiceError::Kind::HttpStatus,
                           QStringLiteral("HTTP status %1").arg(status), status >= 500);
    // A connection closed before the reply's first byte makes Qt want to post again, which
    // the one-shot body refuses; Qt then names it only "Unknown error".
    const bool closed =
        error == QNetworkReply::RemoteHostClosedError || error == QNetworkReply::ContentReSendError;
    const QString reason = closed
                               ? QStringLiteral("Connection closed by the server before its reply")
                               : outcome.errorString;
    throw ServiceError(ServiceError::Kind::Connection, reason, sent);
}
