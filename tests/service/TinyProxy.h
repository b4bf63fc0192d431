#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real HTTP proxy for tests: tinyproxy on a free port of 127.0.0.1 with a config file of
// its own, optionally asking for basic authentication. Stopped when the object goes.
class TinyProxy {
public:
    TinyProxy() = default;
    ~TinyProxy();
    TinyProxy(const TinyProxy&) = delete;
    TinyProxy& operator=(const TinyProxy&) = delete;

    // Without a user name the proxy lets everybody through. False with errorString().
    bool start(const QString& user = {}, const QString& password = {});
    quint16 port() const { return m_port; }
    QString errorString() const { return m_error; }
    // The proxy's own log: every connection it relayed or refused.
    QString log() const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};
