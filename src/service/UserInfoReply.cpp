#include "UserInfoReply.h"

#include "service/ServiceNumber.h"
#include "service/ServiceProtocol.h"

#include <QStringList>

namespace {

constexpr qsizetype kDataLines = 7;
const QString kNoNotice = QStringLiteral(" ");

} // namespace

UserInfoReply UserInfoReply::read(const QString& reply) {
    UserInfoReply info;
    info.judged = reply;
    const QStringList lines = reply.split(ServiceProtocol::kField);
    if (lines.size() < 3)
        return info;
    info.judged = lines[0];

    if (!(info.Balance = ServiceNumber::readDecimal(lines[0])))
        return info;
    if (!(info.SmsPrice = ServiceNumber::readDecimal(lines[1])))
        return info;
    if (!(info.ExtraPartPrice = ServiceNumber::readDecimal(lines[2])))
        return info;
    if (lines.size() < 4)
        return info;
    // A part length of 0 or less is still a number: it is kept, and counting copes with it.
    if (!(info.PartLength = ServiceNumber::readInteger(lines[3])))
        return info;
    if (lines.size() < 5 || !(info.MaxMessageLength = ServiceNumber::readInteger(lines[4])))
        return info;

    info.ServerContactsEnabled = lines.size() >= 6 && lines[5] == QLatin1String("1");
    info.ExtraOptionEnabled = lines.size() >= 7 && lines[6] == QLatin1String("1");

    // A shorter reply has no notice line: its last line is one of the data lines.
    if (lines.size() > kDataLines && lines.last() != kNoNotice) {
        QString notice = lines.last();
        info.ServiceMessage = notice.replace(ServiceProtocol::kLineBreak, QStringLiteral("\r\n"));
    }
    return info;
}
