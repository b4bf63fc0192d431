#include "MakePswUnit.h"

#include "account/AccessPassword.h"
#include "account/AccountKey.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "skins/ui/SkinUnit.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TMakePswForm::TMakePswForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("MakePswForm"));
    setWindowTitle(QStringLiteral("Создать пароль"));

    const auto passwordEdit = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setEchoMode(QLineEdit::Password);
        edit->installEventFilter(this);
        return edit;
    };
    Label3 = new QLabel(QStringLiteral("Текущий пароль:"), this);
    Edit3 = passwordEdit("Edit3");
    Label1 = new QLabel(QStringLiteral("Новый пароль:"), this);
    Edit1 = passwordEdit("Edit1");
    Label2 = new QLabel(QStringLiteral("Подтверждение:"), this);
    Edit2 = passwordEdit("Edit2");
    ButOK = new QPushButton(QStringLiteral("ОК"), this);
    ButOK->setObjectName(QStringLiteral("ButOK"));
    ButCancel = new QPushButton(QStringLiteral("Отмена"), this);
    ButCancel->setObjectName(QStringLiteral("ButCancel"));
    // Enter moves from field to field; only the last one presses "ОК".
    for (QPushButton* button : {ButOK, ButCancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    auto* fields = new QFormLayout;
    fields->addRow(Label3, Edit3);
    fields->addRow(Label1, Edit1);
    fields->addRow(Label2, Edit2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ButOK);
    buttons->addWidget(ButCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(ButOK, &QPushButton::clicked, this, &TMakePswForm::ButOKClick);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);
    SkinUnit::active().dress(this, {});
}

void TMakePswForm::ButOKClick() {
    if (Edit1->text() != Edit2->text()) {
        Prompts::error(this, QStringLiteral("Введенные пароли не совпадают!"));
        Edit1->clear();
        Edit2->clear();
        return;
    }
    accept();
}

bool TMakePswForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            ButCancel->click();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == Edit3)
                Edit1->setFocus();
            else if (watched == Edit1)
                Edit2->setFocus();
            else if (watched == Edit2)
                ButOK->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool ChangeAccessPassword(ServiceClient& client, QWidget* parent) {
    TMakePswForm form(parent);
    if (form.exec() != QDialog::Accepted)
        return false;

    // The key as the current password protects it: the store's value, deciphered. It
    // must still unscramble into the key this run logged in with.
    const QByteArray storedKeyText =
        AccountKey::storedKeyText(AccountKey::storedValue(client.store()));
    const std::optional<AccessPassword::Change> change =
        AccessPassword::change(storedKeyText, Ansi::fromUnicode(form.Edit3->text()),
                               Ansi::fromUnicode(form.Edit1->text()));
    const QString inMemory = client.userKey();
    if (!change || (!inMemory.isEmpty() && Ansi::toUnicode(change->userKey) != inMemory)) {
        Prompts::error(parent, QStringLiteral("Неверный пароль!"));
        return false;
    }
    try {
        AccountKey::writeStoredValue(client.store(), change->storedValue);
    } catch (const RegistryError& error) {
        Prompts::error(parent, QString::fromStdString(error.what()));
        return false;
    }
    client.setUserKey(Ansi::toUnicode(change->userKey));
    Prompts::information(parent, QStringLiteral("Пароль изменен!"));
    return true;
}
