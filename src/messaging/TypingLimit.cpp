#include "TypingLimit.h"

#include "platform/Ansi.h"

#include <QLineEdit>

TypingLimit::TypingLimit(QLineEdit* edit, int limit)
    : QValidator(edit)
    , m_edit(edit)
    , m_limit(limit) {
}

QValidator::State TypingLimit::validate(QString& input, int& position) const {
    input = Ansi::representable(input);
    position = qMin(position, int(input.size()));
    if (input.size() <= qMax(m_limit, 0) || input.size() <= m_edit->text().size())
        return Acceptable;
    return Invalid;
}
