#include "SendFlow.h"

#include "messaging/Transliterate.h"
#include "platform/Registry.h"
#include "service/SendReply.h"
#include "service/ServiceCommands.h"

#include <exception>

SendText SendText::compose(const QString& message, const QString& sign, bool translit) {
    SendText text{message, sign, sign.isEmpty() ? message : message + QLatin1Char(' ') + sign};
    if (translit) {
        text.message = Transliterate(text.message);
        text.sign = Transliterate(text.sign);
        text.full = Transliterate(text.full);
    }
    return text;
}

QString RequestSend(const SendRequest& request) {
    if (request.userKey.isEmpty())
        return {};
    try {
        return SendSms(request.userKey, request.sender, request.text.full, request.number,
                       request.delayMinutes);
    } catch (const RegistryError&) {
        throw;
    } catch (const std::exception&) {
        return QString::number(SendReply::kNoConnection);
    }
}

QList<TMess> AcceptedRecords(const SendOutcome& outcome, const QString& sender,
                             const SendText& text, const QDateTime& moment) {
    QList<TMess> records;
    records.reserve(outcome.accepted.size());
    for (const SendOutcome::Accepted& accepted : outcome.accepted) {
        TMess record;
        record.Id = accepted.id;
        record.setMoment(moment);
        record.Status = TMess::kStatusSent;
        record.Number = accepted.number;
        record.Sender = sender;
        record.Text = text.message;
        record.Sign = text.sign;
        records.append(record);
    }
    return records;
}
