#pragma once

#include "SandboxContext.h"

#include <QByteArray>
#include <QMap>
#include <QString>

// The admin interface for tests and demos: JSON over HTTP under /admin/. Independent of the
// HTTP library; the server hands each call over as method, path, query and body. The list of
// calls is in the README.
namespace AdminApi {

struct Request {
    QString method; // "GET", "POST", "DELETE"
    QString path;   // "/admin/accounts/KEY"
    QMap<QString, QString> query;
    QByteArray body; // JSON object or empty
};

struct Reply {
    int status = 200;
    QByteArray json;
};

Reply handle(SandboxContext& context, const Request& request);

} // namespace AdminApi
