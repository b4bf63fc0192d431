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

    Label1 = new QLabel(kCostBefore + QLatin1Char('0') + kPerDay, this);
    Label1->setWordWrap(true);
    Label2 = new QLabel(QStringLiteral("ВНИМАНИЕ!"), this);
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);
    Label3 = new QLabel(QStringLiteral("Период С"), this);
    D1 = datePicker(this);
    D1->setObjectName(QStringLiteral("D1"));
    Label4 = new QLabel(QStringLiteral("ПО"), this);
    D2 = datePicker(this);
    D2->setObjectName(QStringLiteral("D2"));
    ButOK = new QPushButton(QStringLiteral("ОК"), this);
    ButCancel = new QPushButton(QStringLiteral("Отмена"), this);
    for (QPushButton* button : {ButOK, ButCancel})
        button->setFlat(true);
    ButOK->setDefault(true);

    auto* period = new QHBoxLayout;
    period->addWidget(Label3);
    period->addWidget(D1);
    period->addWidget(Label4);
    period->addWidget(D2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButOK);
    buttons->addWidget(ButCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label2, 0, Qt::AlignHCenter);
    layout->addWidget(Label1);
    layout->addLayout(period);
    layout->addLayout(buttons);
    setMinimumWidth(340);

    connect(ButOK, &QPushButton::clicked, this, &TChooseTimeInterval::ButOKClick);
    connect(ButCancel, &QPushButton::clicked, this, &TChooseTimeInterval::ButCancelClick);
    FormCreate();
}

void TChooseTimeInterval::FormCreate() {
    ButOK->setIcon(skinGlyph(SkinGlyph::Ok));
    ButCancel->setIcon(skinGlyph(SkinGlyph::Cancel));
    SkinUnit::active().dress(this, {});
    m_confirmed = false;
    D1->setDate(QDate::currentDate());
    D2->setDate(QDate::currentDate());
}

qint64 TChooseTimeInterval::dayCount() const {
    return D1->date().daysTo(D2->date()) + 1;
}

void TChooseTimeInterval::ButOKClick() {
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

void TChooseTimeInterval::ButCancelClick() {
    reject();
}

void orderMessageDetail(QWidget* parent, double detailPrice) {
    TChooseTimeInterval form(detailPrice, parent);
    form.Label1->setText(kCostBefore + generalNumberText(detailPrice) + kPerDay);
    form.exec();
    if (form.confirmed())
        Prompts::message(parent, kDone, QStringLiteral("Varnelo"), QMessageBox::NoIcon);
}
