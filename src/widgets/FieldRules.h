#pragma once

class QLineEdit;

// Input rules shared by the dialogs' edit fields.
namespace FieldRules {

// Only the digits 0 to 9 (and deleting) get through; anything else typed is dropped.
void digitsOnly(QLineEdit* edit);

// What cannot be held in code page 1251 turns into "?" as it is typed or pasted, so the
// field shows what will be stored and sent.
void codePageOnly(QLineEdit* edit);

} // namespace FieldRules
