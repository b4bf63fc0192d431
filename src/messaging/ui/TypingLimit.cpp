#include "TypingLimit.h"

#include "platform/Ansi.h"

#include <QLineEdit>

TypingLimit::TypingLimit(QLineEdit* edit, int limit)
    : QValidator(edit)
    , m_limit(limit)
    , m_length(edit->text().size()) {
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_length = text.size(); });
}

QValidator::State TypingLimit::validate(QString& input, int& position) const {
    input = Ansi::representable(input);
    position = qMin(position, int(input.size()));
    if (input.size() <= qMax(m_limit, 0) || input.size() <= m_length)
        return Acceptable;
    return Invalid;
}
