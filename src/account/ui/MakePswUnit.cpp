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
    m_currentEdit = passwordEdit("currentEdit");
    m_newEdit = passwordEdit("newEdit");
    m_confirmationEdit = passwordEdit("confirmationEdit");
    m_okButton = new QPushButton(QStringLiteral("ОК"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_cancelButton = new QPushButton(QStringLiteral("Отмена"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    // Enter moves from field to field; only the last one presses "ОК".
    for (QPushButton* button : {m_okButton, m_cancelButton}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    auto* fields = new QFormLayout;
    fields->addRow(new QLabel(QStringLiteral("Текущий пароль:"), this), m_currentEdit);
    fields->addRow(new QLabel(QStringLiteral("Новый пароль:"), this), m_newEdit);
    fields->addRow(new QLabel(QStringLiteral("Подтверждение:"), this), m_confirmationEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(m_okButton, &QPushButton::clicked, this, &TMakePswForm::confirm);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    SkinUnit::active().dress(this, {});
}

QString TMakePswForm::currentPassword() const {
    return m_currentEdit->text();
}

QString TMakePswForm::newPassword() const {
    return m_newEdit->text();
}

void TMakePswForm::confirm() {
    if (m_newEdit->text() != m_confirmationEdit->text()) {
        Prompts::error(this, QStringLiteral("Введенные пароли не совпадают!"));
        m_newEdit->clear();
        m_confirmationEdit->clear();
        return;
    }
    accept();
}

bool TMakePswForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            m_cancelButton->click();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_currentEdit)
                m_newEdit->setFocus();
            else if (watched == m_newEdit)
                m_confirmationEdit->setFocus();
            else if (watched == m_confirmationEdit)
                m_okButton->click();
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
        AccessPassword::change(storedKeyText, Ansi::fromUnicode(form.currentPassword()),
                               Ansi::fromUnicode(form.newPassword()));
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
