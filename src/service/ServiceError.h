#pragma once

#include <QString>

#include <stdexcept>

// A failed exchange with the service. Each command decides what becomes of it: some let it
// reach their caller, some turn it into a reply, the login swallows it.
class ServiceError : public std::runtime_error {
public:
    enum class Kind {
        Connection,    // no connection, refused, reset, or not an HTTP reply
        HttpStatus,    // the server answered with a status outside 2xx
        Timeout,       // the read time-out or the overall cap ran out
        Settings,      // a boolean or integer setting of the transport is missing
        ReplyTooLarge, // the reply outgrew what any command can need
        Cancelled,     // the calling thread was asked to stop
    };

    ServiceError(Kind kind, const QString& message, bool requestSent = false);

    Kind kind() const { return m_kind; }
    // The whole request had reached the connection before the failure: the service may
    // have carried it out, and only its reply is lost.
    bool requestSent() const { return m_requestSent; }

private:
    Kind m_kind;
    bool m_requestSent;
};
