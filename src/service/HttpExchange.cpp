#include "HttpExchange.h"

#include "service/OneShotBody.h"
#include "service/ServiceError.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>

#include <memory>

namespace {

// How often a waiting exchange looks whether its thread has been asked to stop.
constexpr int kInterruptionCheckMs = 100;

enum class Stop { None, Cap, TooLarge, Cancelled };

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

    // Declared first: the body must outlive the manager that reads it.
    OneShotBody upload(body);
    QNetworkAccessManager manager;
    manager.setProxy(m_proxy);
    // A redirect is not the service's reply; following it would post elsewhere.
    manager.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);

    QNetworkRequest request(m_url);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    for (const auto& [name, value] : m_headers)
        request.setRawHeader(name, value);
    if (m_readTimeoutMs > 0)
        request.setTransferTimeout(m_readTimeoutMs);
    request.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);

    const std::unique_ptr<QNetworkReply> reply(manager.post(request, &upload));
    QByteArray received;
    Stop stop = Stop::None;
    const auto abortWith = [&](Stop why) {
        if (stop == Stop::None)
            stop = why;
        reply->abort();
    };

    // Once every byte of the body is written, the service may act on it whatever follows.
    bool sent = false;
    QObject::connect(
        reply.get(), &QNetworkReply::uploadProgress, reply.get(),
        [&](qint64 done, qint64 total) { sent = sent || (total > 0 && done >= total); });

    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), [&] {
        received += reply->readAll();
        if (received.size() > kMaxReplyBytes)
            abortWith(Stop::TooLarge);
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);

    QTimer cap;
    cap.setSingleShot(true);
    QObject::connect(&cap, &QTimer::timeout, reply.get(), [&] { abortWith(Stop::Cap); });
    if (m_overallCapMs > 0)
        cap.start(m_overallCapMs);

    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, reply.get(), [&] {
        if (QThread::currentThread()->isInterruptionRequested())
            abortWith(Stop::Cancelled);
    });
    watch.start(kInterruptionCheckMs);

    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    cap.stop();
    watch.stop();
    if (stop == Stop::None && reply->isOpen())
        received += reply->readAll();
    // Any byte of a reply says the request arrived, even when the reply is cut short.
    sent = sent || !received.isEmpty() ||
           reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();

    switch (stop) {
    case Stop::Cap:
        throw ServiceError(ServiceError::Kind::Timeout,
                           QStringLiteral("No complete reply within %1 ms").arg(m_overallCapMs),
                           sent);
    case Stop::TooLarge:
        throw ServiceError(ServiceError::Kind::ReplyTooLarge,
                           QStringLiteral("Reply larger than %1 bytes").arg(kMaxReplyBytes), sent);
    case Stop::Cancelled:
        throw ServiceError(ServiceError::Kind::Cancelled, QStringLiteral("Request cancelled"),
                           sent);
    case Stop::None:
        break;
    }

    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int status = statusAttribute.isValid() ? statusAttribute.toInt() : 0;
    const QNetworkReply::NetworkError error = reply->error();
    if (error == QNetworkReply::NoError && status >= 200 && status < 300)
        return received;
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
                               : reply->errorString();
    throw ServiceError(ServiceError::Kind::Connection, reason, sent);
}
