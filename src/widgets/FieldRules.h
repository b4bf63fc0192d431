#pragma once

#include <QtGlobal>

class QLineEdit;

// Input rules shared by the dialogs' edit fields.
namespace FieldRules {

// Only the digits 0 to 9 (and deleting) get through; anything else typed is dropped, and so
// is a digit that would make the number larger than `maximum`.
void digitsOnly(QLineEdit* edit, qint64 maximum = 0);

// What cannot be held in code page 1251 turns into "?" as it is typed or pasted, so the
// field shows what will be stored and sent.
void codePageOnly(QLineEdit* edit);

// For names: a letter outside code page 1251 becomes its nearest form there ("ü" → "u"),
// "?" only where there is none.
void nearestInCodePage(QLineEdit* edit);

} // namespace FieldRules
