#pragma once

#include <QChar>
#include <QString>

// The characters and texts that every command of the protocol shares.
namespace ServiceProtocol {

inline constexpr QChar kField{0x01};     // between fields of requests and replies
inline constexpr QChar kRecord{0x02};    // before each group of the contact payload
inline constexpr QChar kRead{0x03};      // sub-command "read"/"buy"; inside a contact piece
inline constexpr QChar kStore{0x04};     // sub-command "store"/"redeem"; starts a contact piece
inline constexpr QChar kLineBreak{0x04}; // a line break inside a notice or a send reply
inline constexpr QChar kEntryEnd{0x05};  // ends a contact piece

// Three field separators in front of a reply: a text the service wants shown to the user.
inline const QString kNoticeMark = QString(3, kField);
// The protocol version the client announces at login.
inline const QString kClientVersion = QStringLiteral("3.1.6");
// The reply that the contact commands put in place of a failed exchange.
inline const QString kFailedExchange = QStringLiteral("ERROR!!!");

} // namespace ServiceProtocol
