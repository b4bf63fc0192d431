#include "BirthDateEdit.h"

#include "BirthDateValidator.h"

#include <QAction>
#include <QCalendarWidget>
#include <QFrame>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int kYearsBack = 30;
const QString kFormatHint = QStringLiteral("ДД.ММ.ГГГГ");

} // namespace

BirthDateEdit::BirthDateEdit(QWidget* parent)
    : QLineEdit(parent) {
    setValidator(new BirthDateValidator(this));
    setMaxLength(int(kFormatHint.size()));
    setPlaceholderText(kFormatHint);
    QAction* drop = addAction(style()->standardIcon(QStyle::SP_ArrowDown), TrailingPosition);
    drop->setObjectName(QStringLiteral("EditBirthCalendar"));
    drop->setToolTip(QStringLiteral("Календарь"));
    // The button shows only its arrow; the text names it to screen readers.
    drop->setText(QStringLiteral("Выбрать дату"));
    connect(drop, &QAction::triggered, this, &BirthDateEdit::showCalendar);
}

QDate BirthDateEdit::zeroDate() {
    return QDate(1899, 12, 30);
}

QDate BirthDateEdit::calendarStart() {
    return QDate(QDate::currentDate().year() - kYearsBack, 1, 1);
}

QDate BirthDateEdit::date() const {
    const QDate typed = BirthDateValidator::dateOf(text());
    return typed.isValid() ? typed : zeroDate();
}

void BirthDateEdit::setDate(const QDate& date) {
    const QString shown = BirthDateValidator::textOf(date);
    if (BirthDateValidator::dateOf(shown).isValid())
        setText(shown);
    else
        clear();
}

bool BirthDateEdit::calendarShown() const {
    return m_popup && m_popup->isVisible();
}

void BirthDateEdit::showCalendar() {
    if (!m_popup) {
        m_popup = new QFrame(this, Qt::Popup);
        m_popup->setFrameShape(QFrame::StyledPanel);
        m_calendar = new QCalendarWidget(m_popup);
        m_calendar->setObjectName(QStringLiteral("EditBirthCalendarView"));
        m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        auto* layout = new QVBoxLayout(m_popup);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_calendar);
        connect(m_calendar, &QCalendarWidget::clicked, this, &BirthDateEdit::pick);
        connect(m_calendar, &QCalendarWidget::activated, this, &BirthDateEdit::pick);
    }
    m_calendar->setDateRange(BirthDateValidator::earliest(), QDate::currentDate());
    const QDate given = BirthDateValidator::dateOf(text());
    const QDate shown = given.isValid() ? given : calendarStart();
    m_calendar->setSelectedDate(shown);
    m_calendar->setCurrentPage(shown.year(), shown.month());

    m_popup->adjustSize();
    QRect place(mapToGlobal(QPoint(0, height())), m_popup->size());
    if (const QScreen* screen = this->screen()) {
        const QRect room = screen->availableGeometry();
        if (place.bottom() > room.bottom())
            place.moveBottom(mapToGlobal(QPoint(0, 0)).y() - 1);
        place.moveLeft(qBound(room.left(), place.left(), room.right() - place.width()));
    }
    m_popup->move(place.topLeft());
    m_popup->show();
    m_calendar->setFocus();
}

void BirthDateEdit::pick(const QDate& date) {
    m_popup->hide();
    setDate(date);
    setFocus();
}

void BirthDateEdit::keyPressEvent(QKeyEvent* event) {
    const bool altDown = event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier);
    if (event->key() == Qt::Key_F4 || altDown) {
        showCalendar();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
