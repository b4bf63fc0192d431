#pragma once

#include <QChar>
#include <QString>

// What the sender field lets through as the user types: no Cyrillic letters from "А" to
// "я" (the service takes Latin names or numbers), up to 15 digits for a number, up to 11
// characters for a name.
namespace SenderRule {

inline constexpr int kNumberLimit = 15;
inline constexpr int kNameLimit = 11;

// The typed character is dropped: its code-page-1251 code is above 191 ("Ё" and "ё" pass).
bool discards(QChar typed);

// The typing limit once `typed` arrives after `current`: 15 while the text so far holds only
// digits and a digit is typed, 11 otherwise. A null `typed` is a control key (Backspace).
int limitAfter(const QString& current, QChar typed);

} // namespace SenderRule
