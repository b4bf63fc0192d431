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
    m_banner = header.banner;
    m_picture = header.picture;
    m_title = header.title;
    m_subtitle = header.subtitle;

    m_browser = new QWebEngineView(this);
    m_browser->setObjectName(QStringLiteral("browser"));
    m_backButton = new QPushButton(QStringLiteral("<"), this);
    m_backButton->setObjectName(QStringLiteral("backButton"));
    m_backButton->setToolTip(QStringLiteral("Назад"));
    m_forwardButton = new QPushButton(QStringLiteral(">"), this);
    m_forwardButton->setObjectName(QStringLiteral("forwardButton"));
    m_forwardButton->setToolTip(QStringLiteral("Вперед"));
    // Screen readers say the hints, not the arrows drawn on the buttons.
    m_backButton->setAccessibleName(m_backButton->toolTip());
    m_forwardButton->setAccessibleName(m_forwardButton->toolTip());
    m_closeButton = new QPushButton(QStringLiteral("Закрыть"), this);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setFlat(true);
    for (QPushButton* button : {m_backButton, m_forwardButton, m_closeButton})
        button->setAutoDefault(false);
    m_backButton->setEnabled(false);
    m_forwardButton->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(8, 4, 8, 8);
    buttons->addWidget(m_backButton);
    buttons->addWidget(m_forwardButton);
    buttons->addStretch();
    buttons->addWidget(m_closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_banner);
    layout->addWidget(m_browser, 1);
    layout->addLayout(buttons);
    resize(640, 520);

    // The browser's back and forward commands report when they become possible.
    connect(m_browser->pageAction(QWebEnginePage::Back), &QAction::changed, this,
            &TPayForm::followHistory);
    connect(m_browser->pageAction(QWebEnginePage::Forward), &QAction::changed, this,
            &TPayForm::followHistory);
    connect(m_browser, &QWebEngineView::loadFinished, this, [this](bool ok) {
        followHistory();
        emit pageLoaded(ok);
    });
    connect(m_backButton, &QPushButton::clicked, m_browser, &QWebEngineView::back);
    connect(m_forwardButton, &QPushButton::clicked, m_browser, &QWebEngineView::forward);
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);
}

PayFormParts TPayForm::parts() {
    return {this, m_banner, m_picture, m_title, m_subtitle, m_closeButton};
}

QString TPayForm::pageTitle() const {
    return m_browser->title();
}

QUrl TPayForm::pageUrl() const {
    return m_browser->url();
}

void TPayForm::navigate(const QUrl& url) {
    m_browser->load(url);
}

void TPayForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    navigate(m_address);
}

void TPayForm::followHistory() {
    m_backButton->setEnabled(m_browser->history()->canGoBack());
    m_forwardButton->setEnabled(m_browser->history()->canGoForward());
}
