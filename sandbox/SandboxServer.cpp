#include "SandboxServer.h"

#include "AdminApi.h"
#include "Dispatcher.h"
#include "PaymentPage.h"
#include "RequestDecoder.h"
#include "SandboxContext.h"

#include <QDateTime>

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>

namespace {

const char* const kProtocolContentType = "text/html; charset=windows-1251";
const char* const kJsonContentType = "application/json";
const char* const kAdminCaller = "127.0.0.1";
constexpr size_t kKeepAliveRequests = 1000;
constexpr qsizetype kLoggedReplyChars = 60;

// Bytes that are the reply of no command.
constexpr char kGarbageBytes[] = "\x7F\xDE\xAD<garbage>\x00\x01\xFF\xFE%%%\x02\x03\x04\x05 #!";
const QByteArray kGarbage(kGarbageBytes, sizeof kGarbageBytes - 1);

QString endpoint(const sockaddr_storage& address) {
    char text[INET6_ADDRSTRLEN] = {};
    int port = 0;
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    return QStringLiteral("%1:%2").arg(QLatin1String(text)).arg(port);
}

// Drops the connection that `request` came on, before a byte of the reply is written. The
// library does not hand its socket to handlers, so the socket is found by its two ends;
// it is open, since this thread is the one serving it.
void dropConnection(const httplib::Request& request) {
    const QString local = QStringLiteral("%1:%2")
                              .arg(QString::fromStdString(request.local_addr))
                              .arg(request.local_port);
    const QString remote = QStringLiteral("%1:%2")
                               .arg(QString::fromStdString(request.remote_addr))
                               .arg(request.remote_port);
    const int limit = int(sysconf(_SC_OPEN_MAX));
    for (int fd = 0; fd < limit && fd < 65536; ++fd) {
        sockaddr_storage mine{};
        sockaddr_storage peer{};
        socklen_t mineLength = sizeof mine;
        socklen_t peerLength = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&mine), &mineLength) != 0 ||
            getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0)
            continue;
        if (endpoint(mine) == local && endpoint(peer) == remote) {
            shutdown(fd, SHUT_RDWR);
            return;
        }
    }
}

QString printable(const QByteArray& bytes) {
    QString out;
    for (char c : bytes.left(kLoggedReplyChars)) {
        const auto b = static_cast<unsigned char>(c);
        out += b >= 0x20 && b < 0x7F ? QString(QLatin1Char(c))
                                     : QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    if (bytes.size() > kLoggedReplyChars)
        out += QStringLiteral("...");
    return out;
}

// The whole body; unset when it could not be read. A request without a length and not
// chunked has none (the library would wait for the connection to close).
std::optional<QByteArray> readBody(const httplib::Request& request,
                                   const httplib::ContentReader& reader) {
    QByteArray body;
    if (!request.has_header("Content-Length") && !request.has_header("Transfer-Encoding"))
        return body;
    const bool complete = reader([&body](const char* data, size_t length) {
        body.append(data, qsizetype(length));
        return true;
    });
    return complete ? std::optional<QByteArray>(body) : std::nullopt;
}

void refuseBody(const httplib::Request& request, httplib::Response& response) {
    const bool tooLarge =
        request.get_header_value<uint64_t>("Content-Length") > SandboxServer::kMaxBodyBytes;
    response.status = tooLarge ? 413 : 400;
    response.set_content(tooLarge ? "Payload Too Large" : "Bad Request", "text/plain");
}

// Only SO_REUSEADDR: the library's default adds SO_REUSEPORT, with which a second service
// started on a port in use would share it silently instead of failing.
void reuseAddressOnly(socket_t socket) {
    const int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

QString remoteOf(const httplib::Request& request) {
    return QString::fromStdString(request.remote_addr);
}

} // namespace

SandboxServer::SandboxServer(SandboxContext& context, bool quiet)
    : m_context(context)
    , m_quiet(quiet)
    , m_server(std::make_unique<httplib::Server>()) {
    httplib::Server& server = *m_server;
    server.set_payload_max_length(kMaxBodyBytes);
    server.set_keep_alive_max_count(kKeepAliveRequests);
    server.set_socket_options(reuseAddressOnly);
    // A reply goes out in more than one write; without this, Nagle's algorithm holds the
    // second one back for the peer's delayed acknowledgement on a kept-alive connection.
    server.set_tcp_nodelay(true);

    server.set_pre_routing_handler([this](const httplib::Request& request,
                                          httplib::Response& response) {
        if (request.path.rfind("/admin/", 0) == 0 && request.remote_addr != kAdminCaller) {
            response.status = 403;
            response.set_content(
                R"({"error":"the admin interface answers callers on 127.0.0.1 only"})",
                kJsonContentType);
            logLine(remoteOf(request),
                    QStringLiteral("admin refused %1").arg(QString::fromStdString(request.path)),
                    response.status, {});
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });

    // Bodies are read through a content reader: the library refuses form-encoded bodies of
    // more than 8 KiB when it reads them itself, and the client form-encodes every request,
    // contact books included.
    server.Post("/", [this](const httplib::Request& request, httplib::Response& response,
                            const httplib::ContentReader& reader) {
        const std::optional<QByteArray> body = readBody(request, reader);
        if (!body) {
            refuseBody(request, response);
            logLine(remoteOf(request), QStringLiteral("body refused"), response.status, {});
            return;
        }
        RequestLog::Entry entry;
        entry.timeMs = m_context.now();
        entry.remote = remoteOf(request);
        entry.userAgent = QString::fromStdString(request.get_header_value("User-Agent"));
        entry.body = *body;
        entry.request = RequestDecoder::decode(entry.body);

        const std::optional<Faults::Fault> fault = m_context.faults.take();
        if (fault)
            entry.fault = Faults::name(fault->mode);
        if (fault && fault->mode == Faults::Mode::Delay)
            std::this_thread::sleep_for(std::chrono::milliseconds(fault->delayMs));

        if (!fault || fault->mode == Faults::Mode::Delay) {
            const Outcome outcome = Dispatcher::handle(m_context, entry.request);
            entry.command = outcome.command;
            entry.reply = outcome.reply;
        } else if (fault->mode == Faults::Mode::Http500) {
            entry.httpStatus = 500;
            entry.reply = "Internal Server Error";
        } else if (fault->mode == Faults::Mode::Garbage) {
            entry.reply = kGarbage;
        } else if (fault->mode == Faults::Mode::Reply) {
            entry.reply = fault->reply;
        } else {
            entry.httpStatus = 0;
        }
        response.status = entry.httpStatus == 0 ? 500 : entry.httpStatus;
        response.set_content(entry.reply.toStdString(), kProtocolContentType);
        logLine(entry.remote,
                entry.command.isEmpty() ? QStringLiteral("fault %1").arg(entry.fault)
                                        : entry.command,
                entry.httpStatus, entry.reply);
        const bool drop = entry.httpStatus == 0;
        m_context.log.append(std::move(entry));
        // Logged first: the client may send its next request as soon as it sees the close,
        // and the log keeps the order in which requests came.
        if (drop)
            dropConnection(request);
    });

    server.Get("/", [this](const httplib::Request& request, httplib::Response& response) {
        response.set_content(
            "varnelo-sandbox: the service answers requests POSTed to this address; "
            "see /admin/state for its settings.\n",
            "text/plain");
        logLine(remoteOf(request), QStringLiteral("GET /"), response.status, {});
    });

    server.Get("/howpay.php", [this](const httplib::Request& request, httplib::Response& response) {
        const qsizetype question = qsizetype(request.target.find('?'));
        const QByteArray query =
            question < 0 ? QByteArray()
                         : QByteArray::fromStdString(request.target.substr(size_t(question) + 1));
        response.set_content(PaymentPage::render(m_context, query).toStdString(),
                             kProtocolContentType);
        logLine(remoteOf(request), QStringLiteral("payment page"), response.status, {});
    });

    const auto admin = [this](const httplib::Request& request, httplib::Response& response,
                              const QByteArray& body) {
        AdminApi::Request call;
        call.method = QString::fromStdString(request.method);
        call.path = QString::fromStdString(request.path);
        for (const auto& [name, value] : request.params)
            call.query.insert(QString::fromStdString(name), QString::fromStdString(value));
        call.body = body;
        const AdminApi::Reply reply = AdminApi::handle(m_context, call);
        response.status = reply.status;
        response.set_content(reply.json.toStdString(), kJsonContentType);
        logLine(remoteOf(request), call.method + QLatin1Char(' ') + call.path, reply.status, {});
    };
    server.Get(R"(/admin/.*)",
               [admin](const httplib::Request& request, httplib::Response& response) {
                   admin(request, response, {});
               });
    const auto adminWithBody = [admin](const httplib::Request& request, httplib::Response& response,
                                       const httplib::ContentReader& reader) {
        const std::optional<QByteArray> body = readBody(request, reader);
        if (body)
            admin(request, response, *body);
        else
            refuseBody(request, response);
    };
    server.Post(R"(/admin/.*)", adminWithBody);
    server.Delete(R"(/admin/.*)", adminWithBody);
}

SandboxServer::~SandboxServer() = default;

int SandboxServer::bind(const QString& host, int port) {
    const std::string address = host.toStdString();
    if (port == 0)
        return std::max(m_server->bind_to_any_port(address), 0);
    return m_server->bind_to_port(address, port) ? port : 0;
}

bool SandboxServer::run() {
    return m_server->listen_after_bind();
}

bool SandboxServer::isRunning() const {
    return m_server->is_running();
}

void SandboxServer::stop() {
    m_server->stop();
}

void SandboxServer::logLine(const QString& remote, const QString& what, int status,
                            const QByteArray& reply) const {
    if (m_quiet)
        return;
    const QString statusText = status == 0 ? QStringLiteral("closed") : QString::number(status);
    const QByteArray line =
        QStringLiteral("%1 %2 %3 %4 %5\n")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz")), remote,
                 what, statusText, printable(reply))
            .toLocal8Bit();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}
