#include "ScheduleDialog.h"

#include "messaging/ScheduledSends.h"
#include "skins/ui/SkinUnit.h"

#include <QBoxLayout>
#include <QDateEdit>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>

namespace {

const QString kSubtitle = QStringLiteral("Сообщение уйдёт в выбранное время");
constexpr qint64 kLeastAheadSecs = 60;

} // namespace

ScheduleDialog::ScheduleDialog(QWidget* parent, std::function<QDateTime()> now)
    : QDialog(parent)
    , m_now(now ? std::move(now) : [] { return QDateTime::currentDateTimeUtc(); }) {
    setObjectName(QStringLiteral("ScheduleDialog"));
    setWindowTitle(kTitle);
    m_header = SkinnedHeader::create(this, kTitle, kSubtitle);

    m_date = new QDateEdit(this);
    m_date->setObjectName(QStringLiteral("DateEdit"));
    m_date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    m_date->setCalendarPopup(true);
    m_time = new QTimeEdit(this);
    m_time->setObjectName(QStringLiteral("TimeEdit"));
    m_time->setDisplayFormat(QStringLiteral("HH:mm"));
    m_words = new QLabel(this);
    m_words->setObjectName(QStringLiteral("Words"));
    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("Error"));
    m_error->setWordWrap(true);
    m_error->hide();

    m_ok = new QPushButton(QStringLiteral("ОК"), this);
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Отмена"), this);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(m_ok, &QPushButton::clicked, this, &ScheduleDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_date, &QDateEdit::dateChanged, this, &ScheduleDialog::showWords);
    connect(m_time, &QTimeEdit::timeChanged, this, &ScheduleDialog::showWords);

    auto* fields = new QFormLayout;
    fields->setSpacing(6);
    fields->addRow(QStringLiteral("Дата:"), m_date);
    fields->addRow(QStringLiteral("Время:"), m_time);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    QVBoxLayout* body = m_header.bodyBelow(this, 8);
    body->addLayout(fields);
    body->addWidget(m_words);
    body->addWidget(m_error);
    body->addStretch(1);
    body->addLayout(buttons);
    resize(360, 230);

    SkinnedWindow parts;
    parts.banner = m_header.banner;
    parts.picture = m_header.picture;
    // The send window's picture: the message is one of its sends.
    parts.pictureFile = QStringLiteral("8.bmp");
    parts.captions = {m_header.title, m_header.subtitle};
    parts.infoLabels = {m_words, m_error};
    SkinUnit::active().dress(this, parts);

    setMoment(defaultMoment(m_now()));
    m_date->setFocus();
}

QDateTime ScheduleDialog::defaultMoment(const QDateTime& nowUtc) {
    const QDateTime local = nowUtc.toLocalTime();
    QDateTime hour(local.date(), QTime(local.time().hour(), 0));
    do
        hour = hour.addSecs(3600);
    while (nowUtc.secsTo(hour.toUTC()) < kLeastAheadSecs);
    return hour;
}

void ScheduleDialog::setMoment(const QDateTime& local) {
    const QSignalBlocker dateBlock(m_date);
    const QSignalBlocker timeBlock(m_time);
    m_date->setDate(local.date());
    m_time->setTime(local.time());
    showWords();
}

QDateTime ScheduleDialog::typedMoment() const {
    return QDateTime(m_date->date(), QTime(m_time->time().hour(), m_time->time().minute()));
}

void ScheduleDialog::showWords() {
    m_error->hide();
    const QDateTime local = typedMoment();
    m_words->setText(
        local.isValid()
            ? QStringLiteral("Отправка: %1").arg(ScheduledSends::inWords(local.toUTC(), m_now()))
            : QString());
}

void ScheduleDialog::accept() {
    const ScheduledSends::Moment moment = ScheduledSends::check(typedMoment(), m_now());
    if (!moment.error.isEmpty()) {
        m_error->setText(moment.error);
        m_error->show();
        return;
    }
    m_chosen = moment.utc;
    QDialog::accept();
}
