#include "PasswordUnit.h"

#include "skins/ui/SkinUnit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TPswForm::TPswForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("PswForm"));
    setWindowTitle(QStringLiteral("Авторизация"));

    Label1 = new QLabel(QStringLiteral("Введите пароль для доступа к программе."), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setEchoMode(QLineEdit::Password);
    ButOK = new QPushButton(QStringLiteral("ОК"), this);
    ButOK->setObjectName(QStringLiteral("ButOK"));
    ButOK->setDefault(true);
    ButCancel = new QPushButton(QStringLiteral("Отмена"), this);
    ButCancel->setObjectName(QStringLiteral("ButCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ButOK);
    buttons->addWidget(ButCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addLayout(buttons);

    connect(ButOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);
    SkinUnit::active().dress(this, {});
    setFixedSize(sizeHint().expandedTo(QSize(300, 0)));
}

std::optional<QString> TPswForm::ask(QWidget* parent) {
    TPswForm form(parent);
    if (form.exec() != QDialog::Accepted)
        return std::nullopt;
    return form.Edit1->text();
}
