#pragma once

#include <QByteArray>
#include <QString>

// Code page 1251 ("ANSI") at the program's byte boundaries: wire, files, the settings store.
// Texts live as QString inside the program; characters that the code page cannot hold become
// "?", exactly as a Windows ANSI edit would store them.
namespace Ansi {

QByteArray fromUnicode(const QString& text);
QString toUnicode(const QByteArray& bytes);
// Bytes from another program that may be either: UTF-8 when they are valid UTF-8 (a
// character cut off at the end is not), else code page 1251.
QString fromUtf8OrAnsi(QByteArrayView bytes);

// The code-page-1251 byte of one character, or '?' when it has none.
char toByte(QChar c);
QChar fromByte(char byte);

// Whether fromUnicode(text) would give exactly these bytes.
bool encodesAs(const QString& text, const QByteArray& bytes);

// What the text becomes after a trip through code page 1251 (the "?" rule for typed text).
QString representable(const QString& text);

// Byte-by-byte comparison by code-page-1251 codes, case-sensitive; a text that is the
// beginning of another sorts first. Negative, zero or positive like strcmp.
int compare(const QString& a, const QString& b);

// Case rules of the code page: "a"-"z", "а"-"я" and "ё" (upper) or their capitals (lower);
// every other character stays as it is.
QString toUpper(const QString& text);
QString toLower(const QString& text);
QChar toUpper(QChar c);
QChar toLower(QChar c);

} // namespace Ansi
