#include "FieldRules.h"

#include "platform/Ansi.h"
#include "platform/AnsiFit.h"

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

namespace {

// Rewrites what is typed or pasted by `held`, the caret staying after the same character.
void keepAs(QLineEdit* edit, QString (*held)(const QString&)) {
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, held](const QString& text) {
        const QString kept = held(text);
        if (kept == text)
            return;
        const int cursor = int(held(text.left(edit->cursorPosition())).size());
        edit->setText(kept);
        edit->setCursorPosition(cursor);
    });
}

} // namespace

void FieldRules::codePageOnly(QLineEdit* edit) {
    keepAs(edit, &Ansi::representable);
}

void FieldRules::nearestInCodePage(QLineEdit* edit) {
    keepAs(edit, &Ansi::nearest);
}
