#include "UnitReg.h"

#include "BirthDateEdit.h"
#include "RestoreAccountUnit.h"
#include "account/AccountKey.h"
#include "account/RegistrationReply.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "service/ServerRequest.h"
#include "service/ServiceClient.h"
#include "service/ServiceError.h"
#include "skins/ui/SkinUnit.h"
#include "widgets/FieldRules.h"
#include "widgets/SkinnedHeader.h"
#include "widgets/WorkerCall.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace {

constexpr int kFormWidth = 420;

const QString kWarning = QStringLiteral("Предупреждение");
const QString kError = QStringLiteral("Ошибка");
const QString kNoConnection =
    QStringLiteral("Невозможно установить соединение с сервером!\r\n"
                   "Возможно, сервер временно не отвечает - повторите попытку позже.\r\n"
                   "Также проверьте настройки соединения.");

QIcon glyph(int index) {
    const QImage image = SkinUnit::active().sprites().smallIcon(index);
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

QPushButton* flatButton(const QString& caption, int glyphIndex, const char* name, QWidget* parent) {
    auto* button = new QPushButton(glyph(glyphIndex), caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setFlat(true);
    return button;
}

} // namespace

TRegForm::TRegForm(std::shared_ptr<ServiceClient> client, Hooks hooks, QWidget* parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_client(std::move(client))
    , m_hooks(std::move(hooks)) {
    setObjectName(QStringLiteral("RegForm"));
    setWindowTitle(QStringLiteral("Регистрация пользователя"));
    buildControls();

    const SkinUnit& skin = SkinUnit::active();
    skin.dress(this,
               {m_banner, m_picture, QStringLiteral("7.bmp"), {m_title}, {m_instructions}, {}});
    const QImage picture = skin.sprites().smallIcon(10);
    if (!picture.isNull())
        m_titleIcon->setPixmap(QPixmap::fromImage(picture));
}

QDate TRegForm::zeroDate() {
    return BirthDateEdit::zeroDate();
}

void TRegForm::buildControls() {
    // The skin's picture sits at the title's right end; the small icon before the title.
    const SkinnedHeader header =
        SkinnedHeader::createStrip(this, QStringLiteral("Регистрация пользователя"));
    m_banner = header.banner;
    m_picture = header.picture;
    m_title = header.title;
    m_titleIcon = new QLabel(this);
    m_titleIcon->setObjectName(QStringLiteral("titleIcon"));
    header.titleRow->insertWidget(0, m_titleIcon);
    m_instructions =
        new QLabel(QStringLiteral("Заполните все поля для регистрации нового пользователя.\n"
                                  "ВНИМАНИЕ!\n"
                                  "1. Указывайте Ваш реальный EMail адрес.\n"
                                  "2. Номер телефона указывайте в международном стандарте\n"
                                  "Например (+79161234567)"),
                   this);

    const auto edit = [this](const char* name) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QLatin1String(name));
        FieldRules::codePageOnly(field);
        return field;
    };
    // Made in their on-screen order, which is the order Tab walks them in.
    m_nameEdit = edit("nameEdit");
    m_cityEdit = edit("cityEdit");
    m_numberEdit = edit("numberEdit");
    m_birthEdit = new BirthDateEdit(this);
    m_birthEdit->setObjectName(QStringLiteral("birthEdit"));
    m_emailEdit = edit("emailEdit");
    m_referrerEdit = edit("referrerEdit");

    m_connectionButton =
        flatButton(QStringLiteral("Настройка соединения"), 5, "connectionButton", this);
    m_okButton = flatButton(QStringLiteral("ОК"), 13, "okButton", this);
    m_restoreButton =
        flatButton(QStringLiteral("Восстановление аккаунта"), 12, "restoreButton", this);
    m_cancelButton = flatButton(QStringLiteral("Отмена"), 14, "cancelButton", this);
    // Enter in a field registers; on a button it presses that button.
    m_okButton->setDefault(true);

    auto* fields = new QGridLayout;
    const QList<std::pair<QString, QWidget*>> rows = {
        {QStringLiteral("ФИО:"), m_nameEdit},
        {QStringLiteral("Город:"), m_cityEdit},
        {QStringLiteral("Номер сотового телефона:"), m_numberEdit},
        {QStringLiteral("День рождения:"), m_birthEdit},
        {QStringLiteral("Email адрес:"), m_emailEdit},
        {QStringLiteral("Кто посоветовал (ID или EMail):"), m_referrerEdit},
    };
    for (int row = 0; row < rows.size(); ++row) {
        auto* label = new QLabel(rows[row].first, this);
        label->setBuddy(rows[row].second);
        fields->addWidget(label, row, 0);
        fields->addWidget(rows[row].second, row, 1);
    }

    auto* buttons = new QGridLayout;
    buttons->addWidget(m_connectionButton, 0, 0);
    buttons->addWidget(m_restoreButton, 1, 0);
    buttons->setColumnStretch(1, 1);
    buttons->addWidget(m_okButton, 0, 2);
    buttons->addWidget(m_cancelButton, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->addWidget(m_banner);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 4, 10, 0);
    body->addLayout(header.titleRow);
    body->addWidget(m_instructions);
    body->addLayout(fields);
    body->addLayout(buttons);
    layout->addLayout(body);
    // Wider than usual only where a large font needs the room.
    setFixedWidth(std::max(kFormWidth, layout->minimumSize().width()));

    connect(m_okButton, &QPushButton::clicked, this, &TRegForm::registerUser);
    connect(m_cancelButton, &QPushButton::clicked, this, &TRegForm::giveUp);
    connect(m_connectionButton, &QPushButton::clicked, this, &TRegForm::openConnectionSettings);
    connect(m_restoreButton, &QPushButton::clicked, this, &TRegForm::restoreAccount);
}

void TRegForm::registerUser() {
    if (m_busy)
        return;
    if (m_birthEdit->date() == zeroDate()) {
        Prompts::message(this, QStringLiteral("Неверно указана дата рождения!"), kWarning,
                         QMessageBox::Warning);
        return;
    }
    for (const QLineEdit* field : {m_nameEdit, m_cityEdit, m_numberEdit, m_emailEdit}) {
        if (field->text().isEmpty()) {
            Prompts::message(this, QStringLiteral("Вы заполнили не все поля!"), kWarning,
                             QMessageBox::Warning);
            return;
        }
    }

    const QString name = m_nameEdit->text();
    const QString number = m_numberEdit->text();
    const QString city = m_cityEdit->text();
    const QString birth = QLocale::system().toString(m_birthEdit->date(), QLocale::ShortFormat);
    const QString email = m_emailEdit->text();
    // The referrer is the last field; a separator typed into it would add fields.
    const QString referrer = StripFieldSeparators(m_referrerEdit->text());
    m_busy = true;
    runWithInputBlocked<std::optional<QString>>(
        this, Qt::WaitCursor,
        [=, client = m_client]() -> std::optional<QString> {
            try {
                return client->RegisterUser(name, number, city, birth, email, referrer);
            } catch (const ServiceError&) {
                return std::nullopt;
            }
        },
        [this](std::optional<QString> reply) {
            m_busy = false;
            if (!reply) {
                Prompts::error(this, kNoConnection);
                return;
            }
            registered(*reply);
        },
        [this](const QString& failure) {
            m_busy = false;
            Prompts::error(this, failure);
        });
}

// The service's answer to a registration: an error, or the new account's key.
void TRegForm::registered(const QString& reply) {
    switch (RegistrationReply::judge(reply)) {
    case RegistrationReply::Verdict::ActivationFailed:
        Prompts::error(this, QStringLiteral("Ошибка при попытке отправки ссылки активации. "
                                            "Пользователь не зарегистрирован!"));
        return;
    case RegistrationReply::Verdict::EmailTaken:
        Prompts::error(
            this,
            QStringLiteral("Введенный адрес электронной почты уже зарегистрирован в системе."));
        return;
    case RegistrationReply::Verdict::Unknown:
        Prompts::error(this,
                       QStringLiteral("Неизвестная ошибка при попытке регистрации пользователя!"));
        return;
    case RegistrationReply::Verdict::Key:
        break;
    }
    try {
        AccountKey::writeStoredValue(m_client->store(), Ansi::fromUnicode(reply));
    } catch (const RegistryError& error) {
        Prompts::error(this, QString::fromStdString(error.what()));
        return;
    }
    m_client->setUserKey(reply);
    Prompts::information(this, QStringLiteral("Регистрация прошла успешно!\r\n"
                                              "На указанный адрес выслана ссылка для активации "
                                              "вашего аккаунта."));
    accept();
}

void TRegForm::giveUp() {
    m_gaveUp = true;
    QDialog::reject();
}

void TRegForm::reject() {
    if (!m_busy)
        giveUp();
}

void TRegForm::closeEvent(QCloseEvent* event) {
    // The dialog has no close box; the window system may still ask.
    event->ignore();
    if (!m_busy)
        giveUp();
}

void TRegForm::openConnectionSettings() {
    if (m_hooks.connectionSettings)
        m_hooks.connectionSettings(this);
}

void TRegForm::restoreAccount() {
    TRestoreAccountForm restore(m_client, this);
    if (restore.exec() == QDialog::Accepted)
        closeAfterRestore();
}

void TRegForm::closeAfterRestore() {
    if (m_hooks.restored)
        m_hooks.restored();
    accept();
}
