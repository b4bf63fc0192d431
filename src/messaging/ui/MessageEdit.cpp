#include "MessageEdit.h"

#include "messaging/LineBreaks.h"
#include "platform/Ansi.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocumentFragment>

namespace {

int countedLength(const QString& plain) {
    return int(plain.size() + plain.count(QLatin1Char('\n')));
}

} // namespace

MessageEdit::MessageEdit(QWidget* parent)
    : QPlainTextEdit(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
}

QString MessageEdit::text() const {
    return LineBreaks::toCrLf(toPlainText());
}

void MessageEdit::setText(const QString& text) {
    setPlainText(LineBreaks::toLf(text));
}

void MessageEdit::insertAtCaret(const QString& text) {
    textCursor().insertText(LineBreaks::toLf(text));
}

int MessageEdit::room() const {
    const QString selected = textCursor().selection().toPlainText();
    return m_limit - countedLength(toPlainText()) + countedLength(selected);
}

void MessageEdit::insertLimited(const QString& text) {
    QString plain = LineBreaks::toLf(Ansi::representable(text));
    int left = room();
    qsizetype fits = 0;
    for (; fits < plain.size(); ++fits) {
        left -= plain[fits] == QLatin1Char('\n') ? 2 : 1;
        if (left < 0)
            break;
    }
    if (fits > 0 || textCursor().hasSelection())
        textCursor().insertText(plain.left(fits));
}

void MessageEdit::keyPressEvent(QKeyEvent* event) {
    const bool lineBreak = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool typed = !event->text().isEmpty() && event->text().at(0).isPrint() &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (lineBreak && !(event->modifiers() & Qt::ControlModifier)) {
        insertLimited(QStringLiteral("\n"));
        return;
    }
    if (typed) {
        insertLimited(event->text());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MessageEdit::insertFromMimeData(const QMimeData* source) {
    if (source->hasText())
        insertLimited(source->text());
}
