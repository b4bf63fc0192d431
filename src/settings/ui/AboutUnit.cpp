#include "AboutUnit.h"

#include "skins/ui/SkinUnit.h"
#include "widgets/SkinnedHeader.h"
#include "widgets/SmallIcons.h"

#include <QDesktopServices>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString kVersion = QStringLiteral("3.1.6");
const QString kIndent = QStringLiteral("     ");
const QStringList kDevelopers = {
    QStringLiteral("Андрей Кравцов"),
    QStringLiteral("Марина Белозёрова"),
    QStringLiteral("Олег Сафронов"),
};

QString aboutText() {
    QStringList lines = {
        QStringLiteral("Программа Varnelo предназначена для отправки СМС"),
        QStringLiteral("с подменой номера."),
        QStringLiteral(" "),
        QStringLiteral("Разработчики:"),
    };
    for (const QString& name : kDevelopers)
        lines << kIndent + name;
    lines << QStringLiteral(" ")
          << QStringLiteral("Со всеми вопросами, пожеланиями, предложениями, ")
          << QStringLiteral("а также выявленными \"глюками\" ждем писем.");
    return lines.join(QLatin1Char('\n'));
}

QLabel* linkLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

} // namespace

TAboutForm::TAboutForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("О программе"));
    setAttribute(Qt::WA_DeleteOnClose);

    const SkinnedHeader header = SkinnedHeader::create(this, QStringLiteral("О программе"), {});
    m_banner = header.banner;
    m_picture = header.picture;
    m_title = header.title;
    m_versionLabel = new QLabel(QStringLiteral("Varnelo version "), this);
    QFont bold = m_versionLabel->font();
    bold.setBold(true);
    m_versionLabel->setFont(bold);
    m_aboutLabel = new QLabel(aboutText(), this);
    m_supportLabel = linkLabel(QStringLiteral("Служба поддержки: ") + supportEmail(), this);
    m_siteLabel = linkLabel(QStringLiteral("Официальный сайт: ") + webSite(), this);
    m_closeButton = new QPushButton(QStringLiteral("Закрыть"), this);
    m_closeButton->setFlat(true);
    m_closeButton->setAutoDefault(false);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 8, 16, 8);
    body->addWidget(m_versionLabel);
    body->addSpacing(6);
    body->addWidget(m_aboutLabel);
    body->addSpacing(6);
    body->addWidget(m_supportLabel);
    body->addWidget(m_siteLabel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_closeButton);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_banner);
    layout->addLayout(body);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_supportLabel->installEventFilter(this);
    m_siteLabel->installEventFilter(this);
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);
    FormCreate();
}

QString TAboutForm::supportEmail() {
    return QStringLiteral("support@varnelo.ru");
}

QString TAboutForm::webSite() {
    return QStringLiteral("www.varnelo.ru");
}

void TAboutForm::FormCreate() {
    const SkinUnit& skin = SkinUnit::active();
    skin.dress(this, {m_banner,
                      m_picture,
                      QStringLiteral("10.bmp"),
                      {m_title, m_versionLabel},
                      {m_aboutLabel, m_supportLabel, m_siteLabel},
                      {}});
    m_closeButton->setIcon(skinGlyph(SkinGlyph::Close));
    m_versionLabel->setText(m_versionLabel->text() + kVersion);
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == m_supportLabel) {
            writeToSupport();
            return true;
        }
        if (watched == m_siteLabel) {
            openWebSite();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// The desktop's mail program and browser; neither reports a failure.
void TAboutForm::writeToSupport() {
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + supportEmail()));
}

void TAboutForm::openWebSite() {
    QDesktopServices::openUrl(QUrl(QStringLiteral("http://") + webSite()));
}

void showAboutWindow(QWidget* parent) {
    auto* form = new TAboutForm(parent);
    form->exec();
}
