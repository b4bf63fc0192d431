#include "FieldRules.h"

#include "platform/Ansi.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {

class DigitsValidator : public QRegularExpressionValidator {
public:
    DigitsValidator(qint64 maximum, QObject* parent)
        : QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), parent)
        , m_maximum(maximum) {}

    State validate(QString& input, int& pos) const override {
        const State digits = QRegularExpressionValidator::validate(input, pos);
        if (digits != Acceptable || m_maximum <= 0 || input.isEmpty())
            return digits;
        bool ok = false;
        const qint64 value = input.toLongLong(&ok);
        return ok && value <= m_maximum ? Acceptable : Invalid;
    }

private:
    qint64 m_maximum;
};

} // namespace

void FieldRules::digitsOnly(QLineEdit* edit, qint64 maximum) {
    edit->setValidator(new DigitsValidator(maximum, edit));
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
