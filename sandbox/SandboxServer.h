#pragma once

#include <QString>

#include <memory>

class SandboxContext;
namespace httplib {
class Server;
}

// The HTTP face of the sandbox: the protocol on POST "/", the payment page, the admin
// interface under /admin/ (for callers on 127.0.0.1 only), one log line per request.
class SandboxServer {
public:
    SandboxServer(SandboxContext& context, bool quiet);
    ~SandboxServer();

    // Port 0 takes any free port. Returns the bound port, or 0 on failure.
    int bind(const QString& host, int port);
    // Serves until stop(); false when it could not serve.
    bool run();
    // Both safe to call from any thread.
    bool isRunning() const;
    void stop();

    static constexpr size_t kMaxBodyBytes = 4 * 1024 * 1024;

private:
    void logLine(const QString& remote, const QString& what, int status,
                 const QByteArray& reply) const;

    SandboxContext& m_context;
    bool m_quiet;
    std::unique_ptr<httplib::Server> m_server;
};
