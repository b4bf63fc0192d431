#include "PayUnit.h"

#include "widgets/SkinnedHeader.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineView>

TPayForm::TPayForm(const QString& address, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
    , m_address(address, QUrl::TolerantMode) {
    setObjectName(QStringLiteral("PayForm"));
    setWindowTitle(QStringLiteral("Оплата"));

    const SkinnedHeader header = SkinnedHeader::create(
        this, QStringLiteral("Оплата"), QStringLiteral("Ознакомиться с технологией оплаты"));
    Image1 = header.banner;
    Image2 = header.picture;
    Label6 = header.title;
    Label7 = header.subtitle;

    WB = new QWebEngineView(this);
    WB->setObjectName(QStringLiteral("WB"));
    But1 = new QPushButton(QStringLiteral("<"), this);
    But1->setObjectName(QStringLiteral("But1"));
    But1->setToolTip(QStringLiteral("Назад"));
    But2 = new QPushButton(QStringLiteral(">"), this);
    But2->setObjectName(QStringLiteral("But2"));
    But2->setToolTip(QStringLiteral("Вперед"));
    // Screen readers say the hints, not the arrows drawn on the buttons.
    But1->setAccessibleName(But1->toolTip());
    But2->setAccessibleName(But2->toolTip());
    SpeedButton1 = new QPushButton(QStringLiteral("Закрыть"), this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setFlat(true);
    for (QPushButton* button : {But1, But2, SpeedButton1})
        button->setAutoDefault(false);
    But1->setEnabled(false);
    But2->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(8, 4, 8, 8);
    buttons->addWidget(But1);
    buttons->addWidget(But2);
    buttons->addStretch();
    buttons->addWidget(SpeedButton1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Image1);
    layout->addWidget(WB, 1);
    layout->addLayout(buttons);
    resize(640, 520);

    // The browser's back and forward commands report when they become possible.
    connect(WB->pageAction(QWebEnginePage::Back), &QAction::changed, this,
            &TPayForm::WBCommandStateChange);
    connect(WB->pageAction(QWebEnginePage::Forward), &QAction::changed, this,
            &TPayForm::WBCommandStateChange);
    connect(WB, &QWebEngineView::loadFinished, this, [this](bool ok) {
        WBCommandStateChange();
        emit pageLoaded(ok);
    });
    connect(But1, &QPushButton::clicked, this, &TPayForm::But1Click);
    connect(But2, &QPushButton::clicked, this, &TPayForm::But2Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &TPayForm::SpeedButton1Click);
}

QString TPayForm::pageTitle() const {
    return WB->title();
}

QUrl TPayForm::pageUrl() const {
    return WB->url();
}

void TPayForm::navigate(const QUrl& url) {
    WB->load(url);
}

void TPayForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    navigate(m_address);
}

void TPayForm::WBCommandStateChange() {
    But1->setEnabled(WB->history()->canGoBack());
    But2->setEnabled(WB->history()->canGoForward());
}

void TPayForm::But1Click() {
    WB->back();
}

void TPayForm::But2Click() {
    WB->forward();
}

void TPayForm::SpeedButton1Click() {
    close();
}
