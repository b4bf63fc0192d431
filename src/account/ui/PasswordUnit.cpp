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

    auto* prompt = new QLabel(QStringLiteral("Введите пароль для доступа к программе."), this);
    m_passwordEdit = new QLineEdit(this);
    m_passwordEdit->setObjectName(QStringLiteral("passwordEdit"));
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    auto* okButton = new QPushButton(QStringLiteral("ОК"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("Отмена"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_passwordEdit);
    layout->addLayout(buttons);

    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    SkinUnit::active().dress(this, {});
    setFixedSize(sizeHint().expandedTo(QSize(300, 0)));
}

std::optional<QString> TPswForm::ask(QWidget* parent) {
    TPswForm form(parent);
    if (form.exec() != QDialog::Accepted)
        return std::nullopt;
    return form.m_passwordEdit->text();
}
