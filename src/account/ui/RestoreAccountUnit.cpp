#include "RestoreAccountUnit.h"

#include "account/AccountKey.h"
#include "account/RegistrationReply.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "service/ServiceError.h"
#include "skins/ui/SkinUnit.h"
#include "widgets/FieldRules.h"
#include "widgets/SkinnedHeader.h"
#include "widgets/WorkerCall.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace {

constexpr int kFormWidth = 420;

QPushButton* flatButton(const QString& caption, int glyphIndex, const char* name, QWidget* parent) {
    const QImage image = SkinUnit::active().sprites().smallIcon(glyphIndex);
    auto* button = new QPushButton(image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)),
                                   caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setFlat(true);
    return button;
}

} // namespace

TRestoreAccountForm::TRestoreAccountForm(std::shared_ptr<ServiceClient> client, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_client(std::move(client)) {
    setObjectName(QStringLiteral("RestoreAccountForm"));
    setWindowTitle(QStringLiteral("Восстановление аккаунта"));

    const SkinnedHeader header =
        SkinnedHeader::createStrip(this, QStringLiteral("Восстановление аккаунта"));
    m_banner = header.banner;
    m_picture = header.picture;
    m_title = header.title;

    m_emailEdit = new QLineEdit(this);
    m_emailEdit->setObjectName(QStringLiteral("emailEdit"));
    FieldRules::codePageOnly(m_emailEdit);
    m_hint =
        new QLabel(QStringLiteral("На указанный адрес будет выслан регистрационный код"), this);
    m_sendCodeButton = flatButton(QStringLiteral("Выслать код"), 15, "sendCodeButton", this);
    m_codeEdit = new QLineEdit(this);
    m_codeEdit->setObjectName(QStringLiteral("codeEdit"));
    FieldRules::codePageOnly(m_codeEdit);
    m_okButton = flatButton(QStringLiteral("OK"), 13, "okButton", this);
    m_cancelButton = flatButton(QStringLiteral("Отмена"), 14, "cancelButton", this);
    updateButtons();

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Email адрес:"), this), 0, 0);
    grid->addWidget(m_emailEdit, 0, 1);
    grid->addWidget(m_hint, 1, 0, 1, 2);
    grid->addWidget(m_sendCodeButton, 2, 1, Qt::AlignRight);
    grid->addWidget(new QLabel(QStringLiteral("Регистрационный код:"), this), 3, 0);
    grid->addWidget(m_codeEdit, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->addWidget(m_banner);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 4, 10, 0);
    body->addLayout(header.titleRow);
    body->addLayout(grid);
    body->addLayout(buttons);
    layout->addLayout(body);
    // Wider than usual only where a large font needs the room.
    setFixedWidth(std::max(kFormWidth, layout->minimumSize().width()));

    connect(m_emailEdit, &QLineEdit::textChanged, this, &TRestoreAccountForm::updateButtons);
    connect(m_codeEdit, &QLineEdit::textChanged, this, &TRestoreAccountForm::updateButtons);
    connect(m_sendCodeButton, &QPushButton::clicked, this, &TRestoreAccountForm::sendCode);
    connect(m_okButton, &QPushButton::clicked, this, &TRestoreAccountForm::storeCode);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    SkinUnit::active().dress(this,
                             {m_banner, m_picture, QStringLiteral("12.bmp"), {m_title}, {}, {}});
}

void TRestoreAccountForm::updateButtons() {
    m_sendCodeButton->setEnabled(m_codeEdit->text().isEmpty() && !m_emailEdit->text().isEmpty());
    m_okButton->setEnabled(!m_codeEdit->text().isEmpty());
    // Enter presses whichever of the two the fields allow.
    (m_codeEdit->text().isEmpty() ? m_sendCodeButton : m_okButton)->setDefault(true);
}

void TRestoreAccountForm::sendCode() {
    if (m_busy)
        return;
    const QString email = m_emailEdit->text();
    m_busy = true;
    runWithInputBlocked<std::optional<QString>>(
        this, Qt::WaitCursor,
        [client = m_client, email]() -> std::optional<QString> {
            try {
                return client->RestoreAccount(email);
            } catch (const ServiceError&) {
                return std::nullopt;
            }
        },
        [this](std::optional<QString> reply) {
            m_busy = false;
            if (!reply) {
                Prompts::error(this,
                               QStringLiteral("Невозможно установить соединение с сервером!\r\n"
                                              "Проверьте настройки соединения."));
                reject();
                return;
            }
            // The box is this dialog's child, so it stays above the dialog that stays on top;
            // hiding a modal dialog would end it.
            if (!reply->isEmpty())
                Prompts::message(this, *reply, QStringLiteral("Инфо"), QMessageBox::Information);
            else
                Prompts::error(this, QStringLiteral("Возможно такого пользователя нет."));
        },
        [this](const QString& failure) {
            // Not the connection: the dialog stays for another try once the cause is mended.
            m_busy = false;
            Prompts::error(this, failure);
        });
}

void TRestoreAccountForm::storeCode() {
    const QString code = RegistrationReply::withoutBlanks(m_codeEdit->text());
    try {
        AccountKey::writeStoredValue(m_client->store(), Ansi::fromUnicode(code));
    } catch (const RegistryError& error) {
        Prompts::error(this, QString::fromStdString(error.what()));
        return;
    }
    m_client->setUserKey(code);
    accept();
}

void TRestoreAccountForm::closeEvent(QCloseEvent* event) {
    if (m_busy) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TRestoreAccountForm::keyPressEvent(QKeyEvent* event) {
    if (m_busy && event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}
