#include "FieldRules.h"

#include "platform/Ansi.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

void FieldRules::digitsOnly(QLineEdit* edit) {
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
}

void FieldRules::codePageOnly(QLineEdit* edit) {
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const QString held = Ansi::representable(text);
        if (held == text)
            return;
        const int cursor = edit->cursorPosition();
        edit->setText(held);
        edit->setCursorPosition(cursor);
    });
}
