#include "RestoreAccountUnit.h"

#include "account/AccountKey.h"
#include "account/RegistrationReply.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceCommands.h"
#include "service/ServiceError.h"
#include "service/ServiceState.h"
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

#include <optional>

namespace {

QPushButton* flatButton(const QString& caption, int glyphIndex, const char* name, QWidget* parent) {
    const QImage image = SkinUnit::active().sprites().smallIcon(glyphIndex);
    auto* button = new QPushButton(image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)),
                                   caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setFlat(true);
    return button;
}

} // namespace

TRestoreAccountForm::TRestoreAccountForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("RestoreAccountForm"));
    setWindowTitle(QStringLiteral("Восстановление аккаунта"));

    const SkinnedHeader header =
        SkinnedHeader::createStrip(this, QStringLiteral("Восстановление аккаунта"));
    Image1 = header.banner;
    Image2 = header.picture;
    Label6 = header.title;
    Label6->setObjectName(QStringLiteral("Label6"));

    EditEMail = new QLineEdit(this);
    EditEMail->setObjectName(QStringLiteral("EditEMail"));
    FieldRules::codePageOnly(EditEMail);
    Label7 =
        new QLabel(QStringLiteral("На указанный адрес будет выслан регистрационный код"), this);
    ButOK = flatButton(QStringLiteral("Выслать код"), 15, "ButOK", this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    FieldRules::codePageOnly(Edit1);
    SpeedButton1 = flatButton(QStringLiteral("OK"), 13, "SpeedButton1", this);
    ButCancel = flatButton(QStringLiteral("Отмена"), 14, "ButCancel", this);
    Edit1Change();

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Email адрес:"), this), 0, 0);
    grid->addWidget(EditEMail, 0, 1);
    grid->addWidget(Label7, 1, 0, 1, 2);
    grid->addWidget(ButOK, 2, 1, Qt::AlignRight);
    grid->addWidget(new QLabel(QStringLiteral("Регистрационный код:"), this), 3, 0);
    grid->addWidget(Edit1, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(ButCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->addWidget(Image1);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 4, 10, 0);
    body->addLayout(header.titleRow);
    body->addLayout(grid);
    body->addLayout(buttons);
    layout->addLayout(body);
    setFixedWidth(420);

    connect(EditEMail, &QLineEdit::textChanged, this, &TRestoreAccountForm::Edit1Change);
    connect(Edit1, &QLineEdit::textChanged, this, &TRestoreAccountForm::Edit1Change);
    connect(ButOK, &QPushButton::clicked, this, &TRestoreAccountForm::ButOKClick);
    connect(SpeedButton1, &QPushButton::clicked, this, &TRestoreAccountForm::SpeedButton1Click);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);

    SkinUnit::active().dress(this, {Image1, Image2, QStringLiteral("12.bmp"), {Label6}, {}, {}});
}

void TRestoreAccountForm::Edit1Change() {
    // Either the code is asked for or it is typed in, never both at once.
    ButOK->setEnabled(Edit1->text().isEmpty() && !EditEMail->text().isEmpty());
    SpeedButton1->setEnabled(!Edit1->text().isEmpty());
    // Enter presses whichever of the two the fields allow.
    (Edit1->text().isEmpty() ? ButOK : SpeedButton1)->setDefault(true);
}

void TRestoreAccountForm::ButOKClick() {
    if (m_busy)
        return;
    const QString email = EditEMail->text();
    m_busy = true;
    runWithInputBlocked<std::optional<QString>>(
        this, Qt::WaitCursor,
        [email]() -> std::optional<QString> {
            try {
                return RestoreAccount(email);
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

void TRestoreAccountForm::SpeedButton1Click() {
    const QString code = RegistrationReply::withoutBlanks(Edit1->text());
    try {
        AccountKey::writeStoredValue(Ansi::fromUnicode(code));
    } catch (const RegistryError& error) {
        Prompts::error(this, QString::fromStdString(error.what()));
        return;
    }
    ServiceState::UserKey.set(code);
    ServiceState::RegistrationOffered.set(false);
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
