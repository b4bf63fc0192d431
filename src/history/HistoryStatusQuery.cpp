#include "HistoryStatusQuery.h"

#include "platform/Registry.h"
#include "service/ServiceClient.h"
#include "service/StatusReply.h"

#include <exception>

namespace HistoryStatusQuery {

namespace {

Outcome failed(const QString& error) {
    Outcome outcome;
    outcome.error = error;
    return outcome;
}

// Writes the answer into the file; the outcome says whether that worked.
Outcome apply(const HistoryFile& file, QHash<qint32, quint8> statuses) {
    Outcome outcome;
    outcome.error = file.applyStatuses(statuses, &outcome.anyPending);
    outcome.ok = outcome.error.isEmpty();
    if (outcome.ok)
        outcome.statuses = std::move(statuses);
    return outcome;
}

} // namespace

Outcome queryAll(const ServiceClient& client, const HistoryFile& file) {
    QString error;
    const QList<qint32> ids = file.pendingIds(&error);
    if (!error.isEmpty())
        return failed(error);
    if (ids.isEmpty()) {
        Outcome nothingToAsk;
        nothingToAsk.ok = true;
        return nothingToAsk;
    }

    QString reply;
    try {
        reply = client.QueryMessagesStatus(ids);
    } catch (const RegistryError&) {
        throw;
    } catch (const std::exception& failure) {
        return failed(QString::fromUtf8(failure.what()));
    }
    const std::optional<QList<quint8>> codes = StatusReply::readCodes(reply, ids.size());
    if (!codes)
        return failed(QStringLiteral("Not one status code per message: ") + reply.left(200));

    QHash<qint32, quint8> statuses;
    statuses.reserve(ids.size());
    for (qsizetype i = 0; i < ids.size(); ++i)
        statuses.insert(ids[i], codes->at(i));
    return apply(file, std::move(statuses));
}

Outcome queryOne(const ServiceClient& client, const HistoryFile& file, qint32 id) {
    QString reply;
    try {
        reply = client.QueryMessageStatus(id);
    } catch (const RegistryError&) {
        throw;
    } catch (const std::exception& failure) {
        return failed(QString::fromUtf8(failure.what()));
    }
    const std::optional<quint8> code = StatusReply::readCode(reply);
    if (!code)
        return failed(QStringLiteral("Not a status code: ") + reply.left(200));
    return apply(file, {{id, *code}});
}

} // namespace HistoryStatusQuery
