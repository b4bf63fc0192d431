#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// The real varnelo-sandbox for tests: started on a free port of 127.0.0.1 with a state in
// memory, driven over HTTP, stopped when the object goes. Every call blocks and may be made
// from any one thread; none needs an event loop.
class SandboxProcess {
public:
    SandboxProcess() = default;
    ~SandboxProcess();
    SandboxProcess(const SandboxProcess&) = delete;
    SandboxProcess& operator=(const SandboxProcess&) = delete;

    static QString executablePath();

    // Runs `varnelo-sandbox --listen 127.0.0.1:0 --db :memory: --quiet` followed by
    // `arguments` (a later --db wins) and waits until it answers. False with errorString().
    bool start(const QStringList& arguments = {}, int timeoutMs = 10000);
    // SIGTERM, then waits; kills the process after `timeoutMs`. The exit code, or -1 when it
    // had to be killed or crashed.
    int stop(int timeoutMs = 5000);
    bool isRunning() const;

    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return m_port; }
    QString baseUrl() const; // "http://127.0.0.1:PORT"
    qint64 processId() const;
    QString errorString() const { return m_error; }

    struct HttpReply {
        int status = 0; // 0: no HTTP reply (connection failed or closed)
        QByteArray body;
        QString error; // transport failure, empty otherwise
        bool ok() const { return error.isEmpty() && status == 200; }
    };

    // How the client posts: Form is the direct transport (Base64 form-encoded, a closing
    // "==" as "=%3D"); Browser is the raw Base64 with the browser transport's headers.
    enum class Transport { Form, Browser };

    // One request text (code-page-1251 bytes: command code and fields) sent as the client does.
    HttpReply request(const QByteArray& text, Transport transport = Transport::Form,
                      int timeoutMs = 10000) const;
    // The reply body of request(); empty on any failure.
    QByteArray ask(const QByteArray& text, Transport transport = Transport::Form) const;
    // A body posted to "/" exactly as given (bad-input tests).
    HttpReply postBody(const QByteArray& body, int timeoutMs = 10000) const;
    HttpReply get(const QString& pathAndQuery) const;

    // The request body for `text` as the client's direct transport writes it.
    static QByteArray formBody(const QByteArray& text);

    // Admin interface (JSON, see the sandbox README). `status` receives the HTTP status.
    QJsonObject admin(const QByteArray& method, const QString& path, const QJsonObject& body = {},
                      int* status = nullptr) const;
    // Creates an account (fields as in POST /admin/accounts) and returns its key; empty on failure.
    QString createAccount(const QJsonObject& fields = {}) const;
    QJsonObject account(const QString& key) const;
    bool changeAccount(const QString& key, const QJsonObject& fields) const;
    bool changeSettings(const QJsonObject& fields) const;
    bool setMessageStatus(qint64 id, int status) const;
    // The next `count` protocol requests fail: "http500", "close", "delay" (by delayMs), "garbage".
    bool failNext(int count, const QString& mode, int delayMs = 0) const;
    QJsonArray log(qint64 since = 0) const;
    // How many requests of `command` ("QueryMessagesStatus") the log holds after `since`.
    int logCount(const QString& command, qint64 since = 0) const;
    // "Hello" sent from "Varnelo" to `number` for the account `key`, as the client sends it;
    // the message's id, 0 on failure.
    qint32 sendMessage(const QString& key, const QString& number) const;
    bool reset() const;

private:
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};
