#include "TypingLimit.h"

#include "platform/Ansi.h"

#include <QLineEdit>

TypingLimit::TypingLimit(QLineEdit* edit, int limit)
    : QValidator(edit)
    , m_edit(edit)
    , m_limit(limit)
    , m_text(edit->text()) {
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { m_text = text; });
}

QValidator::State TypingLimit::validate(QString& input, int& position) const {
    input = Ansi::representable(input);
    position = qMin(position, int(input.size()));
    // What the user did is an undo step of the field; text the program sets comes without one
    // and is taken whole.
    if (input.size() <= allowedLength() || !m_edit->isUndoAvailable())
        return Acceptable;
    const QString before = input;
    const int caret = position;
    // A key that adds nothing is refused, so the field keeps its undo steps.
    if (!cutInsertion(input, position) || input == m_text) {
        input = before;
        position = caret;
        return Invalid;
    }
    return Acceptable;
}

qsizetype TypingLimit::allowedLength() const {
    return qMax(qsizetype(qMax(m_limit, 0)), m_text.size());
}

bool TypingLimit::cutInsertion(QString& input, int& position) const {
    // What follows the caret is the old text's end; what precedes the insertion, its start.
    const QStringView tail = QStringView(input).mid(position);
    if (!QStringView(m_text).endsWith(tail))
        return false;
    const qsizetype keptEnd = m_text.size() - tail.size();
    qsizetype start = 0;
    while (start < position && start < keptEnd && input[start] == m_text[start])
        ++start;
    const qsizetype room = qMax(qsizetype(0), allowedLength() - start - tail.size());
    const qsizetype fits = qMin(room, position - start);
    input = input.left(start + fits) + tail.toString();
    position = int(start + fits);
    return true;
}
