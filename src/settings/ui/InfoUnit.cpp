#include "InfoUnit.h"

#include "skins/ui/SkinUnit.h"
#include "widgets/SkinnedHeader.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TInfoForm::TInfoForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("InfoForm"));
    setWindowTitle(QStringLiteral("Информация"));
    setAttribute(Qt::WA_DeleteOnClose);

    const SkinnedHeader header = SkinnedHeader::create(
        this, QStringLiteral("Информация"), QStringLiteral("Информация, переданная от сервиса"));
    m_banner = header.banner;
    m_picture = header.picture;
    m_title = header.title;
    m_subtitle = header.subtitle;
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_banner);
    layout->addWidget(m_text, 1);
    resize(380, 260);
    FormCreate();
}

void TInfoForm::FormCreate() {
    SkinUnit::active().dress(
        this, {m_banner, m_picture, QStringLiteral("13.bmp"), {m_title, m_subtitle}, {}, {m_text}});
}

TInfoForm* showInfoWindow(QWidget* parent, const QString& text) {
    auto* form = new TInfoForm(parent);
    // The service's line breaks arrive as CR LF.
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    form->textView()->setPlainText(lines);
    form->show();
    return form;
}
