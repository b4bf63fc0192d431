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
    Image1 = header.banner;
    Image2 = header.picture;
    Label6 = header.title;
    Label2 = new QLabel(QStringLiteral("Varnelo version "), this);
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);
    Label1 = new QLabel(aboutText(), this);
    Label3 = linkLabel(QStringLiteral("Служба поддержки: ") + supportEmail(), this);
    Label4 = linkLabel(QStringLiteral("Официальный сайт: ") + webSite(), this);
    SpeedButton1 = new QPushButton(QStringLiteral("Закрыть"), this);
    SpeedButton1->setFlat(true);
    SpeedButton1->setAutoDefault(false);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 8, 16, 8);
    body->addWidget(Label2);
    body->addSpacing(6);
    body->addWidget(Label1);
    body->addSpacing(6);
    body->addWidget(Label3);
    body->addWidget(Label4);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SpeedButton1);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Image1);
    layout->addLayout(body);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Label3->installEventFilter(this);
    Label4->installEventFilter(this);
    connect(SpeedButton1, &QPushButton::clicked, this, &TAboutForm::SpeedButton1Click);
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
    skin.dress(
        this,
        {Image1, Image2, QStringLiteral("10.bmp"), {Label6, Label2}, {Label1, Label3, Label4}, {}});
    SpeedButton1->setIcon(skinGlyph(SkinGlyph::Close));
    Label2->setText(Label2->text() + kVersion);
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Label3) {
            Label3Click();
            return true;
        }
        if (watched == Label4) {
            Label4Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// The desktop's mail program and browser; neither reports a failure.
void TAboutForm::Label3Click() {
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + supportEmail()));
}

void TAboutForm::Label4Click() {
    QDesktopServices::openUrl(QUrl(QStringLiteral("http://") + webSite()));
}

void TAboutForm::SpeedButton1Click() {
    close();
}

void showAboutWindow(QWidget* parent) {
    auto* form = new TAboutForm(parent);
    form->exec();
}
