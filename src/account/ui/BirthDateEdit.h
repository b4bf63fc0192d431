#pragma once

#include <QDate>
#include <QLineEdit>

class QCalendarWidget;
class QFrame;

// The birth date of the registration: typed as ДД.ММ.ГГГГ (the dots may be left out) or
// picked in a calendar that drops down from the field's button, F4 or Alt+Down. Empty until
// a whole, possible date stands in it; while empty the calendar opens at January of the year
// thirty years back, where a birth date is likelier than at today.
class BirthDateEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit BirthDateEdit(QWidget* parent = nullptr);

    // The date given, or the zero date while the field holds none.
    QDate date() const;
    // A date out of range (the zero date among them) empties the field.
    void setDate(const QDate& date);

    static QDate zeroDate();
    // Where the calendar opens while the field is empty.
    static QDate calendarStart();

    void showCalendar();
    // Made at the first showing; none before.
    QCalendarWidget* calendar() const { return m_calendar; }
    bool calendarShown() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void pick(const QDate& date);

    QFrame* m_popup = nullptr;
    QCalendarWidget* m_calendar = nullptr;
};
