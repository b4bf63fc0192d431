#include "SendReply.h"

#include "service/ServiceNumber.h"
#include "service/ServiceProtocol.h"

SendReply SendReply::read(const QString& reply) {
    SendReply result;
    if (reply.size() > ServiceProtocol::kNoticeMark.size() &&
        reply.startsWith(ServiceProtocol::kNoticeMark)) {
        result.kind = Kind::Notice;
        result.notice = reply.mid(ServiceProtocol::kNoticeMark.size());
        return result;
    }
    if (reply.isEmpty()) {
        result.code = kNoConnection;
        return result;
    }
    if (!reply.contains(QLatin1Char('|'))) {
        result.code = ServiceNumber::readInteger(reply);
        return result;
    }
    result.kind = Kind::Group;
    QStringList pieces = reply.split(QLatin1Char('|'));
    if (pieces.last().isEmpty())
        pieces.removeLast();
    for (const QString& piece : pieces)
        result.results.append(ServiceNumber::readInteger(piece));
    return result;
}
