#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The wire vocabulary shared by every command: separators, keys, numbers, senders, parts.
namespace Protocol {

constexpr char kField = '\x01';
constexpr char kRead = '\x03';
constexpr char kStore = '\x04';
constexpr char kLineBreak = '\x04';
constexpr char kEntryEnd = '\x05';

// Splits at every field separator; an empty text gives one empty field.
QList<QByteArray> fields(const QByteArray& text);

// A fresh random text of `length` characters "0"-"9", "A"-"F".
QByteArray randomHex(int length);
constexpr int kKeyLength = 48;
constexpr int kSerialLength = 32;

// The key as the service looks it up: blanks around it dropped, Latin letters upper-cased.
QByteArray normalizedKey(const QByteArray& key);

// "+" and 10 to 15 digits.
bool isValidNumber(const QByteArray& number);

// 1-11 of Latin letters, digits, ".", "-", "_", blank; or 1-15 digits.
bool isValidSender(const QByteArray& sender);

// Parts of a text of `length` characters: the quotient rounded up; an empty text still
// costs one part.
int partsFor(int length, int partLength);

// A text for the user with its line breaks (CR LF or LF) as the protocol's 0x04, in code
// page 1251.
QByteArray noticeText(const QString& text);

// The three-character prefix that marks a text the service wants shown to the user.
QByteArray serviceMessage(const QString& text);

} // namespace Protocol
