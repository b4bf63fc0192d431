#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The end the handler writes to: a handler can reach nothing but a plain global.
volatile sig_atomic_t g_writeSocket = -1;

void onSignal(int signalNumber) {
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    // A full socket drops the byte: enough of them wait to be read already.
    [[maybe_unused]] const ssize_t written = ::write(g_writeSocket, &byte, 1);
    errno = savedErrno;
}

void setHandler(void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // A system call the signal breaks into is carried on, not failed with EINTR.
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent) {
    Q_ASSERT(g_writeSocket == -1);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, m_sockets) != 0)
        return;
    g_writeSocket = m_sockets[0];
    m_notifier = new QSocketNotifier(m_sockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPending);
    setHandler(onSignal);
}

TerminationSignals::~TerminationSignals() {
    if (!m_notifier)
        return;
    setHandler(SIG_DFL);
    g_writeSocket = -1;
    delete m_notifier;
    ::close(m_sockets[0]);
    ::close(m_sockets[1]);
}

void TerminationSignals::readPending() {
    char bytes[16];
    ssize_t count;
    while ((count = ::read(m_sockets[1], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            emit received(int(bytes[i]));
    }
}
