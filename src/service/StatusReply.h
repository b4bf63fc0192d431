#pragma once

#include <QList>
#include <QString>

#include <optional>

// Delivery statuses as the history window stores them: decimal codes from 0 to 255.
namespace StatusReply {

// The reply of QueryMessageStatus.
std::optional<quint8> readCode(const QString& reply);

// The reply of QueryMessagesStatus for `count` ids: the first `count` lines. Nothing when
// there are fewer lines or one of them is not a code.
std::optional<QList<quint8>> readCodes(const QString& reply, qsizetype count);

} // namespace StatusReply
