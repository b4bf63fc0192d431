#pragma once

#include <QString>

#include <optional>

// The login reply, read field by field in the order the values are stored. Reading stops at
// the first field that is missing or not a number; the fields after it stay empty, so the
// values published before it are kept.
struct UserInfoReply {
    // What the login routine judges: line 0 when there are at least three lines, otherwise
    // the whole reply ("-2", "-1" or an unreadable text).
    QString judged;

    std::optional<double> Balance;
    std::optional<double> SmsPrice;
    std::optional<double> ExtraPartPrice;
    std::optional<qint32> PartLength; // may be 0 or less; counting then takes one part
    std::optional<qint32> MaxMessageLength;
    std::optional<bool> ServerContactsEnabled;
    std::optional<bool> ExtraOptionEnabled;
    // Present when the reply carries a notice in its last line (after the seven data lines),
    // with its line breaks as CR LF.
    std::optional<QString> ServiceMessage;

    static UserInfoReply read(const QString& reply);
};
