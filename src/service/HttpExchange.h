#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkProxy>
#include <QPair>
#include <QUrl>

// One HTTP POST, blocking for its caller: the exchange itself runs on the process's network
// thread with a network manager of its own and nothing kept afterwards, while the caller
// waits; a caller asked to stop (QThread::requestInterruption) gets ServiceError Cancelled
// at once. The request goes out once: a dropped connection is a failure, never a silent
// second post. Meant for worker threads: the user-interface thread would stand still.
class HttpExchange {
public:
    // No command needs more; a peer sending endless data is cut off here.
    static constexpr qsizetype kMaxReplyBytes = 8 * 1024 * 1024;

    explicit HttpExchange(const QUrl& url);

    // Without one, the request goes straight to the server.
    void setProxy(const QNetworkProxy& proxy) { m_proxy = proxy; }

    void addHeader(const QByteArray& name, const QByteArray& value);
    // Basic authentication with the proxy (code-page-1251 texts).
    void setProxyCredentials(const QByteArray& user, const QByteArray& password);
    // 0: wait for data without limit; otherwise the longest silence of the peer.
    void setReadTimeout(int ms) { m_readTimeoutMs = ms; }
    // 0: no limit; otherwise the longest the whole exchange may take.
    void setOverallCap(int ms) { m_overallCapMs = ms; }

    // The response body, byte for byte. Throws ServiceError.
    QByteArray post(const QByteArray& body) const;

private:
    QUrl m_url;
    QNetworkProxy m_proxy{QNetworkProxy::NoProxy};
    QList<QPair<QByteArray, QByteArray>> m_headers;
    int m_readTimeoutMs = 0;
    int m_overallCapMs = 0;
};
