#pragma once

#include <QDate>
#include <QValidator>

// What the birth date field lets through: ДД.ММ.ГГГГ typed with or without the dots. Keys
// that cannot lead to a date (letters, a thirteenth month, a fifth year digit) are refused;
// dots are put in as the digits come, so the field always shows the one form.
class BirthDateValidator : public QValidator {
    Q_OBJECT
public:
    explicit BirthDateValidator(QObject* parent = nullptr);

    State validate(QString& input, int& pos) const override;

    // The date a whole text names, or an invalid date while it names none: unfinished, a
    // day the month does not have, before 1900 or after today.
    static QDate dateOf(const QString& text);
    static QString textOf(const QDate& date);
    static QDate earliest();
};
