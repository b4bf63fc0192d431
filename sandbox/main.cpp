#include "CommandLine.h"
#include "SandboxContext.h"
#include "SandboxServer.h"

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

// Written by the signal handler, read by the thread that stops the server: the only
// signal-safe way from a handler to the server's stop().
int g_stopPipe[2] = {-1, -1};

void requestStop(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_stopPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnelo-sandbox"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNELO_VERSION));

    int exitCode = 0;
    const std::optional<CommandLine> options =
        CommandLine::parse(QCoreApplication::arguments(), &exitCode);
    if (!options)
        return exitCode;

    SandboxContext context(options->settings, options->databasePath);
    if (!context.isOpen()) {
        std::fprintf(stderr, "varnelo-sandbox: cannot open %s: %s\n",
                     qPrintable(options->databasePath), qPrintable(context.store.errorString()));
        return 1;
    }
    SandboxServer server(context, options->quiet);
    const int port = server.bind(options->host, options->port);
    if (port == 0) {
        std::fprintf(stderr, "varnelo-sandbox: cannot listen on %s:%d\n", qPrintable(options->host),
                     options->port);
        return 1;
    }

    if (pipe(g_stopPipe) != 0)
        return 1;
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    std::atomic<bool> finished{false};
    std::thread stopper([&server, &finished] {
        char byte = 0;
        while (read(g_stopPipe[0], &byte, 1) < 0) {
        }
        // A signal may come before the server has started serving; stopping it then would
        // be lost, so wait until it serves (or has ended by itself).
        while (!server.isRunning() && !finished)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!finished)
            server.stop();
    });

    // Tests and scripts read the port from this line when they asked for port 0.
    std::printf("varnelo-sandbox listening on http://%s:%d/\n", qPrintable(options->host), port);
    std::fflush(stdout);
    const bool served = server.run();
    finished = true;

    requestStop(0); // releases the stopper when the server ended by itself
    stopper.join();
    return served ? 0 : 1;
}
