#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QThread>

#include <memory>

class FakeHttpServerWorker;

// A scripted HTTP peer on 127.0.0.1 with a thread of its own: it answers each request with
// the next queued behaviour (or the default one) and records what it received, including
// the ways a server can misbehave that the real service cannot be made to show.
class FakeHttpServer {
public:
    struct Behaviour {
        enum class Mode {
            Reply,         // status line, Content-Length, body (after `delayMs`)
            Silent,        // reads the request, never answers
            Drop,          // reads the request, closes without a word
            CloseMidReply, // announces twice the body, sends half of it, closes
            Garbage,       // `size` bytes that are not HTTP, then closes
            EndlessBody,   // a 200 without length whose body is `size` bytes, then closes
            Trickle,       // a 200 whose body comes one byte every `intervalMs`, never ending
        };
        Mode mode = Mode::Reply;
        int status = 200;
        QByteArray body;
        qint64 size = 0;
        int intervalMs = 0;
        int delayMs = 0;
    };

    struct Request {
        QByteArray method;
        QByteArray path;
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    FakeHttpServer();
    ~FakeHttpServer();
    FakeHttpServer(const FakeHttpServer&) = delete;
    FakeHttpServer& operator=(const FakeHttpServer&) = delete;

    quint16 port() const { return m_port; }

    static Behaviour reply(const QByteArray& body, int status = 200, int delayMs = 0);
    static Behaviour of(Behaviour::Mode mode, qint64 size = 0, int intervalMs = 0);
    void setDefault(const Behaviour& behaviour);
    void enqueue(const Behaviour& behaviour);
    QList<Request> requests() const;
    void clear();

    // Used by the worker on the server's thread.
    Behaviour takeBehaviour();
    void record(const Request& request);

private:
    mutable QMutex m_mutex;
    Behaviour m_default;
    QList<Behaviour> m_queue;
    QList<Request> m_requests;
    QThread m_thread;
    FakeHttpServerWorker* m_worker = nullptr;
    quint16 m_port = 0;
};
