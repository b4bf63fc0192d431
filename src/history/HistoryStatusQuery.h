#pragma once

#include "HistoryFile.h"

#include <QHash>
#include <QString>

class ServiceClient;

// The delivery-status queries of the history window. Each holds the history lock only to read
// the file and to rewrite it, never across the request, so a fill or an append made meanwhile
// neither waits for the service nor is lost: the answer is applied by Id to the file as it is
// by the time the answer is in. Blocking; for a worker thread, never the UI thread.
namespace HistoryStatusQuery {

struct Outcome {
    bool ok = false;
    // The statuses that reached the file, by Id.
    QHash<qint32, quint8> statuses;
    // A record of the rewritten file is still pending.
    bool anyPending = false;
    // What went wrong, for a reader of the code; the user is told "Ошибка при подключении!".
    QString error;
};

// Asks one request for every pending record of the file and rewrites the file once. With
// nothing pending, nothing is asked and nothing written.
Outcome queryAll(const ServiceClient& client, const HistoryFile& file);

// Asks for one message and gives every record with its Id the answer.
//
// Both throw the RegistryError of a failing settings store, which is no connection failure.
Outcome queryOne(const ServiceClient& client, const HistoryFile& file, qint32 id);

} // namespace HistoryStatusQuery
