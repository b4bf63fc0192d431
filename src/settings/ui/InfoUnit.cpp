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
    Image1 = header.banner;
    Image2 = header.picture;
    Label6 = header.title;
    Label7 = header.subtitle;
    Memo = new QPlainTextEdit(this);
    Memo->setReadOnly(true);
    Memo->setFrameShape(QFrame::NoFrame);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Image1);
    layout->addWidget(Memo, 1);
    resize(380, 260);
    FormCreate();
}

void TInfoForm::FormCreate() {
    SkinUnit::active().dress(
        this, {Image1, Image2, QStringLiteral("13.bmp"), {Label6, Label7}, {}, {Memo}});
}

TInfoForm* showInfoWindow(QWidget* parent, const QString& text) {
    auto* form = new TInfoForm(parent);
    // The service's line breaks arrive as CR LF.
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    form->Memo->setPlainText(lines);
    form->show();
    return form;
}
