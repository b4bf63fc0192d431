#pragma once

#include <QValidator>

class QLineEdit;

// The typing limit of a one-line field, as a Windows edit keeps it: the user cannot make the
// text longer than the limit, and of a paste only the part that fits comes in; text the
// program put in is never cut, and shortening an overlong text is always allowed. Typed
// characters outside code page 1251 become "?", so what the field shows is what will be sent.
class TypingLimit : public QValidator {
    Q_OBJECT
public:
    TypingLimit(QLineEdit* edit, int limit);

    int limit() const { return m_limit; }
    void setLimit(int limit) { m_limit = limit; }

    State validate(QString& input, int& position) const override;

private:
    // The limit, or the longer text the field already holds.
    qsizetype allowedLength() const;
    // Cuts what the user put in before the caret to the room left; false when `input` is not
    // the field's text with something put in at the caret.
    bool cutInsertion(QString& input, int& position) const;

    QLineEdit* m_edit;
    int m_limit;
    // The field's text before the change being checked; the field already holds the new
    // text while its validator runs.
    QString m_text;
};
