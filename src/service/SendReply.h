#pragma once

#include <QList>
#include <QString>

#include <limits>
#include <optional>

// The reply of SendSms as the send flow reads it.
struct SendReply {
    enum class Kind {
        Notice, // a text the service wants shown; the send counts as done
        Single, // one result
        Group,  // one result per number of a group send, separated by "|"
    };

    // An empty reply: no connection to the service.
    static constexpr qint32 kNoConnection = std::numeric_limits<qint32>::min();

    Kind kind = Kind::Single;
    QString notice;
    // Single: the result, nothing when the reply is not a decimal integer.
    std::optional<qint32> code;
    // Group: one entry per piece (an empty text after a final "|" is no piece), nothing
    // where a piece is not a decimal integer.
    QList<std::optional<qint32>> results;

    static SendReply read(const QString& reply);
};
