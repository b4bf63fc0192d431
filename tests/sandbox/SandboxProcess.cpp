#include "SandboxProcess.h"

#include <QDeadlineTimer>
#include <QJsonDocument>

#include <httplib.h>

#include <chrono>

namespace {

const char* const kFormType = "application/x-www-form-urlencoded";

httplib::Client client(const SandboxProcess& sandbox, int timeoutMs) {
    httplib::Client c(sandbox.host().toStdString(), sandbox.port());
    const auto timeout = std::chrono::milliseconds(timeoutMs);
    c.set_connection_timeout(timeout);
    c.set_read_timeout(timeout);
    c.set_write_timeout(timeout);
    return c;
}

SandboxProcess::HttpReply toReply(const httplib::Result& result) {
    SandboxProcess::HttpReply reply;
    if (!result) {
        reply.error = QString::fromStdString(httplib::to_string(result.error()));
        return reply;
    }
    reply.status = result->status;
    reply.body = QByteArray::fromStdString(result->body);
    return reply;
}

} // namespace

SandboxProcess::~SandboxProcess() {
    stop();
}

QString SandboxProcess::executablePath() {
    return QStringLiteral(VARNELO_SANDBOX_EXE);
}

bool SandboxProcess::start(const QStringList& arguments, int timeoutMs) {
    stop();
    m_error.clear();
    m_port = 0;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(executablePath(),
                    QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                                QStringLiteral("--db"), QStringLiteral(":memory:"),
                                QStringLiteral("--quiet")} +
                        arguments);
    if (!m_process.waitForStarted(timeoutMs)) {
        m_error = m_process.errorString();
        return false;
    }
    // The service prints "... listening on http://HOST:PORT/" once it is bound.
    const QDeadlineTimer deadline(timeoutMs);
    QByteArray output;
    while (m_port == 0 && !deadline.hasExpired()) {
        if (!m_process.canReadLine() &&
            !m_process.waitForReadyRead(int(deadline.remainingTime()))) {
            if (m_process.state() == QProcess::NotRunning)
                break;
            continue;
        }
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine().trimmed();
            output += line + '\n';
            const qsizetype at = line.lastIndexOf(':');
            if (line.contains("listening on") && at > 0)
                m_port = quint16(line.mid(at + 1).chopped(line.endsWith('/') ? 1 : 0).toUInt());
        }
    }
    if (m_port == 0) {
        m_error =
            QStringLiteral("varnelo-sandbox did not start: ") + QString::fromLocal8Bit(output);
        stop();
        return false;
    }
    while (!deadline.hasExpired()) {
        int status = 0;
        admin("GET", QStringLiteral("/admin/state"), {}, &status);
        if (status == 200)
            return true;
    }
    m_error = QStringLiteral("varnelo-sandbox does not answer on port %1").arg(m_port);
    stop();
    return false;
}

int SandboxProcess::stop(int timeoutMs) {
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    m_process.terminate();
    if (!m_process.waitForFinished(timeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(timeoutMs);
        return -1;
    }
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

bool SandboxProcess::isRunning() const {
    return m_process.state() == QProcess::Running;
}

QString SandboxProcess::baseUrl() const {
    return QStringLiteral("http://%1:%2").arg(host()).arg(m_port);
}

qint64 SandboxProcess::processId() const {
    return m_process.processId();
}

QByteArray SandboxProcess::formBody(const QByteArray& text) {
    QByteArray body = text.toBase64();
    if (body.endsWith("=="))
        body.replace(body.size() - 1, 1, "%3D");
    return body;
}

SandboxProcess::HttpReply SandboxProcess::request(const QByteArray& text, Transport transport,
                                                  int timeoutMs) const {
    httplib::Client c = client(*this, timeoutMs);
    if (transport == Transport::Form)
        return toReply(c.Post("/", formBody(text).toStdString(), kFormType));
    const httplib::Headers headers = {{"CharSet", "windows-1251"}, {"User-Agent", "Varnelo"}};
    return toReply(c.Post("/", headers, text.toBase64().toStdString(), kFormType));
}

QByteArray SandboxProcess::ask(const QByteArray& text, Transport transport) const {
    const HttpReply reply = request(text, transport);
    return reply.ok() ? reply.body : QByteArray();
}

SandboxProcess::HttpReply SandboxProcess::postBody(const QByteArray& body, int timeoutMs) const {
    return toReply(client(*this, timeoutMs).Post("/", body.toStdString(), kFormType));
}

SandboxProcess::HttpReply SandboxProcess::get(const QString& pathAndQuery) const {
    return toReply(client(*this, 10000).Get(pathAndQuery.toStdString()));
}

QJsonObject SandboxProcess::admin(const QByteArray& method, const QString& path,
                                  const QJsonObject& body, int* status) const {
    httplib::Client c = client(*this, 10000);
    const std::string target = path.toStdString();
    const std::string json = QJsonDocument(body).toJson(QJsonDocument::Compact).toStdString();
    httplib::Result result = method == "POST"     ? c.Post(target, json, "application/json")
                             : method == "DELETE" ? c.Delete(target, json, "application/json")
                                                  : c.Get(target);
    const HttpReply reply = toReply(result);
    if (status)
        *status = reply.status;
    return QJsonDocument::fromJson(reply.body).object();
}

QString SandboxProcess::createAccount(const QJsonObject& fields) const {
    int status = 0;
    const QJsonObject created = admin("POST", QStringLiteral("/admin/accounts"), fields, &status);
    return status == 201 ? created.value(QLatin1String("key")).toString() : QString();
}

QJsonObject SandboxProcess::account(const QString& key) const {
    return admin("GET", QStringLiteral("/admin/accounts/") + key);
}

bool SandboxProcess::changeAccount(const QString& key, const QJsonObject& fields) const {
    int status = 0;
    admin("POST", QStringLiteral("/admin/accounts/") + key, fields, &status);
    return status == 200;
}

bool SandboxProcess::changeSettings(const QJsonObject& fields) const {
    int status = 0;
    admin("POST", QStringLiteral("/admin/settings"), fields, &status);
    return status == 200;
}

bool SandboxProcess::setMessageStatus(qint64 id, int messageStatus) const {
    int status = 0;
    admin("POST", QStringLiteral("/admin/messages/%1").arg(id),
          {{QStringLiteral("status"), messageStatus}}, &status);
    return status == 200;
}

bool SandboxProcess::failNext(int count, const QString& mode, int delayMs) const {
    int status = 0;
    admin("POST", QStringLiteral("/admin/faults"),
          {{QStringLiteral("mode"), mode},
           {QStringLiteral("count"), count},
           {QStringLiteral("delayMs"), delayMs}},
          &status);
    return status == 200;
}

QJsonArray SandboxProcess::log(qint64 since) const {
    return admin("GET", QStringLiteral("/admin/log?since=%1").arg(since))
        .value(QLatin1String("entries"))
        .toArray();
}

int SandboxProcess::logCount(const QString& command, qint64 since) const {
    int count = 0;
    for (const QJsonValue& entry : log(since))
        count += entry.toObject().value(QLatin1String("command")).toString() == command;
    return count;
}

qint32 SandboxProcess::sendMessage(const QString& key, const QString& number) const {
    return ask("B" + key.toLatin1() + "\x01Hello\x01" + number.toLatin1() +
               "\x01Varnelo\x01"
               "0")
        .toInt();
}

bool SandboxProcess::reset() const {
    int status = 0;
    admin("POST", QStringLiteral("/admin/reset"), {}, &status);
    return status == 200;
}
