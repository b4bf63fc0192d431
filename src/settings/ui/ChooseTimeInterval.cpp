#include "ChooseTimeInterval.h"

#include "platform/ui/Prompts.h"
#include "settings/GeneralNumber.h"
#include "skins/ui/SkinUnit.h"
#include "widgets/SmallIcons.h"

#include <QDate>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Заказ детализации");
const QString kCostBefore = QStringLiteral("Стоимость составит ");
const QString kPerDay = QStringLiteral(" руб за сутки детализации");
const QString kBadPeriod = QStringLiteral("Неверно указан период!");
const QString kDaysOrdered = QStringLiteral("Количество заказанных дней: ");
const QString kRoubles = QStringLiteral(" руб.");
const QString kDone = QStringLiteral("!!");

QDateEdit* datePicker(QWidget* parent) {
    auto* picker = new QDateEdit(QDate::currentDate(), parent);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    return picker;
}

} // namespace

TChooseTimeInterval::TChooseTimeInterval(double detailPrice, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
    , m_detailPrice(detailPrice) {
    setObjectName(QStringLiteral("ChooseTimeInterval"));
    setWindowTitle(kTitle);

    m_costLabel = new QLabel(kCostBefore + QLatin1Char('0') + kPerDay, this);
    m_costLabel->setWordWrap(true);
    m_warningLabel = new QLabel(QStringLiteral("ВНИМАНИЕ!"), this);
    QFont bold = m_warningLabel->font();
    bold.setBold(true);
    m_warningLabel->setFont(bold);
    m_fromLabel = new QLabel(QStringLiteral("Период С"), this);
    m_fromDate = datePicker(this);
    m_fromDate->setObjectName(QStringLiteral("fromDate"));
    m_toLabel = new QLabel(QStringLiteral("ПО"), this);
    m_toDate = datePicker(this);
    m_toDate->setObjectName(QStringLiteral("toDate"));
    m_okButton = new QPushButton(QStringLiteral("ОК"), this);
    m_cancelButton = new QPushButton(QStringLiteral("Отмена"), this);
    for (QPushButton* button : {m_okButton, m_cancelButton})
        button->setFlat(true);
    m_okButton->setDefault(true);

    auto* period = new QHBoxLayout;
    period->addWidget(m_fromLabel);
    period->addWidget(m_fromDate);
    period->addWidget(m_toLabel);
    period->addWidget(m_toDate);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_warningLabel, 0, Qt::AlignHCenter);
    layout->addWidget(m_costLabel);
    layout->addLayout(period);
    layout->addLayout(buttons);
    setMinimumWidth(340);

    connect(m_okButton, &QPushButton::clicked, this, &TChooseTimeInterval::confirm);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    FormCreate();
}

void TChooseTimeInterval::FormCreate() {
    m_okButton->setIcon(skinGlyph(SkinGlyph::Ok));
    m_cancelButton->setIcon(skinGlyph(SkinGlyph::Cancel));
    SkinUnit::active().dress(this, {});
    m_confirmed = false;
    m_fromDate->setDate(QDate::currentDate());
    m_toDate->setDate(QDate::currentDate());
}

void TChooseTimeInterval::showDetailPrice() {
    m_costLabel->setText(kCostBefore + generalNumberText(m_detailPrice) + kPerDay);
}

qint64 TChooseTimeInterval::dayCount() const {
    return m_fromDate->date().daysTo(m_toDate->date()) + 1;
}

void TChooseTimeInterval::confirm() {
    const qint64 days = dayCount();
    if (days <= 0) {
        Prompts::error(this, kBadPeriod);
        return;
    }
    const QString text = kDaysOrdered + QString::number(days) + QLatin1Char('\n') + kCostBefore +
                         generalNumberText(double(days) * m_detailPrice) + kRoubles;
    const auto answer =
        Prompts::message(this, text, QStringLiteral("Подтверждение"), QMessageBox::Question,
                         QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    if (answer != QMessageBox::Ok)
        return;
    m_confirmed = true;
    accept();
}

void orderMessageDetail(QWidget* parent, double detailPrice) {
    TChooseTimeInterval form(detailPrice, parent);
    form.showDetailPrice();
    form.exec();
    if (form.confirmed())
        Prompts::message(parent, kDone, QStringLiteral("Varnelo"), QMessageBox::NoIcon);
}
