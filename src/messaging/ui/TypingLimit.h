#pragma once

#include <QValidator>

class QLineEdit;

// The typing limit of a one-line field, as a Windows edit keeps it: the user cannot make the
// text longer than the limit, but text the program put in is never cut, and shortening an
// overlong text is always allowed. Typed characters outside code page 1251 become "?", so
// what the field shows is what will be sent.
class TypingLimit : public QValidator {
    Q_OBJECT
public:
    TypingLimit(QLineEdit* edit, int limit);

    int limit() const { return m_limit; }
    void setLimit(int limit) { m_limit = limit; }

    State validate(QString& input, int& position) const override;

private:
    int m_limit;
    // The field's length before the change being checked; the field already holds the new
    // text while its validator runs.
    qsizetype m_length = 0;
};
