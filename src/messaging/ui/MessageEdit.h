#pragma once

#include <QPlainTextEdit>

// The message field of a compose page. Its text is held with CR LF line breaks, as it is
// counted and sent. Like a Windows edit it has a typing limit, in code-page-1251 characters
// (a line break counts two), that stops typing and cuts what is pasted, but never cuts text
// the program puts in. Typed and pasted characters outside code page 1251 become "?".
class MessageEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MessageEdit(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    // Puts `text` at the caret in place of the selection, whatever the limit.
    void insertAtCaret(const QString& text);

    int typingLimit() const { return m_limit; }
    void setTypingLimit(int limit) { m_limit = limit; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // How many characters may still come in place of the selection.
    int room() const;
    void insertLimited(const QString& text);

    int m_limit = 0;
};
