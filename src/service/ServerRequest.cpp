#include "ServerRequest.h"

#include "platform/Ansi.h"
#include "platform/Registry.h"
#include "service/HttpExchange.h"
#include "service/ServiceError.h"
#include "service/ServiceProtocol.h"
#include "shared/Settings.h"
#include "shared/StoredValueCipher.h"

#include <QNetworkProxyFactory>
#include <QNetworkProxyQuery>

namespace {

const QByteArray kFormContentType = QByteArrayLiteral("application/x-www-form-urlencoded");
const QByteArray kLineBreakMark = QByteArrayLiteral("%13%");
const QByteArray kCrLf = QByteArrayLiteral("\r\n");
constexpr char kNoticeMarkBytes[] = "\x01\x01\x01";

template <typename Value, typename Setting>
Value required(const Settings& settings, Setting setting) {
    const auto value = settings.find(setting);
    if (!value)
        throw ServiceError(
            ServiceError::Kind::Settings,
            QStringLiteral("Setting %1 is missing").arg(QLatin1String(setting.name)));
    return *value;
}

QUrl serviceUrl(const Settings::ServerAddress& address) {
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(address.host);
    if (address.port >= 1 && address.port <= 65535)
        url.setPort(address.port);
    url.setPath(QStringLiteral("/"));
    return url;
}

// The program's own proxy settings; nothing of them is read while UseProxy is off.
void CreateHttpClient(const Settings& settings, HttpExchange& exchange) {
    if (!required<bool>(settings, Setting::UseProxy))
        return;
    const QString server = settings.get(Setting::ProxyServer);
    const qint32 port = required<qint32>(settings, Setting::ProxyPort);
    const bool authenticate = required<bool>(settings, Setting::ProxyAuthentication);
    // An empty server name means no proxy at all, whatever the other proxy settings say.
    if (server.isEmpty())
        return;
    if (port < 1 || port > 65535)
        throw ServiceError(ServiceError::Kind::Connection,
                           QStringLiteral("Invalid proxy port %1").arg(port));
    exchange.setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, server, static_cast<quint16>(port)));
    if (authenticate)
        exchange.setProxyCredentials(Ansi::fromUnicode(settings.get(Setting::ProxyUserName)),
                                     Ansi::fromUnicode(settings.proxyPassword()));
}

QByteArray directPost(const Settings& settings, const QUrl& url, const QByteArray& base64,
                      const RequestOptions& options) {
    HttpExchange exchange(url);
    CreateHttpClient(settings, exchange);
    exchange.addHeader("Content-Type", kFormContentType);
    // The service answers in plain bytes; asking for no compression keeps a proxy from
    // adding any that the reply cleaning would then have to undo.
    exchange.addHeader("Accept-Encoding", "identity");
    exchange.setReadTimeout(options.readTimeoutMs);
    exchange.setOverallCap(options.overallCapMs.value_or(0));
    return exchange.post(FormLine(base64));
}

QByteArray BrowserPost(const QUrl& url, const QByteArray& base64, const RequestOptions& options) {
    const QList<QNetworkProxy> proxies =
        QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url));
    HttpExchange exchange(url);
    exchange.setProxy(proxies.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : proxies.first());
    exchange.addHeader("Content-Type", kFormContentType);
    exchange.addHeader("CharSet", "windows-1251");
    exchange.addHeader("User-Agent", "Varnelo");
    exchange.setReadTimeout(options.readTimeoutMs);
    exchange.setOverallCap(options.overallCapMs.value_or(0));
    QByteArray reply = CleanBrowserReply(exchange.post(base64));
    return reply.replace(kLineBreakMark, kCrLf);
}

bool isFormSafe(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

} // namespace

QString ServerRequest(const Settings& settings, const Settings::ServerAddress& address,
                      const QString& request, const RequestOptions& options, TransportPath path) {
    const QByteArray base64 = Ansi::fromUnicode(request).toBase64();
    const QUrl url = serviceUrl(address);
    if (path == TransportPath::SystemSettings)
        return Ansi::toUnicode(BrowserPost(url, base64, options));
    return Ansi::toUnicode(directPost(settings, url, base64, options));
}

TransportPath TransportPathOf(const Settings& settings) {
    return required<bool>(settings, Setting::UseIESettings) ? TransportPath::SystemSettings
                                                            : TransportPath::Direct;
}

QString StripFieldSeparators(const QString& text) {
    QString stripped = text;
    return stripped.remove(ServiceProtocol::kField);
}

QByteArray FormLine(const QByteArray& line) {
    const QByteArray trimmed = line.trimmed();
    const qsizetype equals = trimmed.indexOf('=');
    if (equals < 0)
        return trimmed;
    QByteArray encoded = trimmed.left(equals + 1);
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (qsizetype i = equals + 1; i < trimmed.size(); ++i) {
        const char c = trimmed[i];
        if (isFormSafe(c)) {
            encoded += c;
        } else if (c == ' ') {
            encoded += '+';
        } else {
            const auto byte = static_cast<unsigned char>(c);
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

QByteArray CleanBrowserReply(const QByteArray& document) {
    const bool notice = document.contains(kNoticeMarkBytes);

    // Drop every tag; a "<" without a ">" after it is text, and so is all that follows.
    QByteArray text;
    text.reserve(document.size());
    qsizetype pos = 0;
    while (pos < document.size()) {
        const qsizetype open = document.indexOf('<', pos);
        if (open < 0) {
            text += document.mid(pos);
            break;
        }
        const qsizetype close = document.indexOf('>', open + 1);
        if (close < 0) {
            text += document.mid(pos);
            break;
        }
        text += document.mid(pos, open - pos);
        pos = close + 1;
    }

    const auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) < 14; };
    qsizetype first = 0;
    while (first < text.size() && isTrimmed(text[first]))
        ++first;
    qsizetype last = text.size();
    while (last > first && isTrimmed(text[last - 1]))
        --last;
    const QByteArray trimmed = text.mid(first, last - first);
    return notice ? kNoticeMarkBytes + trimmed : trimmed;
}
