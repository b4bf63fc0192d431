#include "UnitReg.h"

#include "BirthDateEdit.h"
#include "RestoreAccountUnit.h"
#include "account/AccountKey.h"
#include "account/RegistrationReply.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "service/ServerRequest.h"
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
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

namespace {

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

TRegForm::TRegForm(Hooks hooks, QWidget* parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_hooks(std::move(hooks)) {
    setObjectName(QStringLiteral("RegForm"));
    setWindowTitle(QStringLiteral("Регистрация пользователя"));
    buildControls();

    const SkinUnit& skin = SkinUnit::active();
    skin.dress(this, {Image1, Image3, QStringLiteral("7.bmp"), {Label8}, {Label6}, {}});
    const QImage picture = skin.sprites().smallIcon(10);
    if (!picture.isNull())
        Image2->setPixmap(QPixmap::fromImage(picture));
}

QDate TRegForm::zeroDate() {
    return BirthDateEdit::zeroDate();
}

void TRegForm::buildControls() {
    // The skin's picture sits at the title's right end; the small icon before the title.
    const SkinnedHeader header =
        SkinnedHeader::createStrip(this, QStringLiteral("Регистрация пользователя"));
    Image1 = header.banner;
    Image3 = header.picture;
    Image3->setObjectName(QStringLiteral("Image3"));
    Label8 = header.title;
    Label8->setObjectName(QStringLiteral("Label8"));
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    header.titleRow->insertWidget(0, Image2);
    Label6 = new QLabel(QStringLiteral("Заполните все поля для регистрации нового пользователя.\n"
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
    EditFIO = edit("EditFIO");
    EditCity = edit("EditCity");
    Editnumber = edit("Editnumber");
    EditBirth = new BirthDateEdit(this);
    EditBirth->setObjectName(QStringLiteral("EditBirth"));
    EditEMail = edit("EditEMail");
    Edit1 = edit("Edit1");

    SpeedButton1 = flatButton(QStringLiteral("Настройка соединения"), 5, "SpeedButton1", this);
    ButOK = flatButton(QStringLiteral("ОК"), 13, "ButOK", this);
    SpeedButton2 = flatButton(QStringLiteral("Восстановление аккаунта"), 12, "SpeedButton2", this);
    ButCancel = flatButton(QStringLiteral("Отмена"), 14, "ButCancel", this);
    // Enter in a field registers; on a button it presses that button.
    ButOK->setDefault(true);

    auto* fields = new QGridLayout;
    const QList<std::pair<QString, QWidget*>> rows = {
        {QStringLiteral("ФИО:"), EditFIO},
        {QStringLiteral("Город:"), EditCity},
        {QStringLiteral("Номер сотового телефона:"), Editnumber},
        {QStringLiteral("День рождения:"), EditBirth},
        {QStringLiteral("Email адрес:"), EditEMail},
        {QStringLiteral("Кто посоветовал (ID или EMail):"), Edit1},
    };
    for (int row = 0; row < rows.size(); ++row) {
        auto* label = new QLabel(rows[row].first, this);
        label->setObjectName(QStringLiteral("Label%1").arg(row + 1));
        label->setBuddy(rows[row].second);
        fields->addWidget(label, row, 0);
        fields->addWidget(rows[row].second, row, 1);
    }

    auto* buttons = new QGridLayout;
    buttons->addWidget(SpeedButton1, 0, 0);
    buttons->addWidget(SpeedButton2, 1, 0);
    buttons->setColumnStretch(1, 1);
    buttons->addWidget(ButOK, 0, 2);
    buttons->addWidget(ButCancel, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->addWidget(Image1);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 4, 10, 0);
    body->addLayout(header.titleRow);
    body->addWidget(Label6);
    body->addLayout(fields);
    body->addLayout(buttons);
    layout->addLayout(body);
    setFixedWidth(420);

    connect(ButOK, &QPushButton::clicked, this, &TRegForm::ButOKClick);
    connect(ButCancel, &QPushButton::clicked, this, &TRegForm::ButCancelClick);
    connect(SpeedButton1, &QPushButton::clicked, this, &TRegForm::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TRegForm::SpeedButton2Click);
}

void TRegForm::ButOKClick() {
    if (m_busy)
        return;
    if (EditBirth->date() == zeroDate()) {
        Prompts::message(this, QStringLiteral("Неверно указана дата рождения!"), kWarning,
                         QMessageBox::Warning);
        return;
    }
    for (const QLineEdit* field : {EditFIO, EditCity, Editnumber, EditEMail}) {
        if (field->text().isEmpty()) {
            Prompts::message(this, QStringLiteral("Вы заполнили не все поля!"), kWarning,
                             QMessageBox::Warning);
            return;
        }
    }

    const QString name = EditFIO->text();
    const QString number = Editnumber->text();
    const QString city = EditCity->text();
    const QString birth = QLocale::system().toString(EditBirth->date(), QLocale::ShortFormat);
    const QString email = EditEMail->text();
    // The referrer is the last field; a separator typed into it would add fields.
    const QString referrer = StripFieldSeparators(Edit1->text());
    m_busy = true;
    runWithInputBlocked<std::optional<QString>>(
        this, Qt::WaitCursor,
        [=]() -> std::optional<QString> {
            try {
                return RegisterUser(name, number, city, birth, email, referrer);
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
        AccountKey::writeStoredValue(Ansi::fromUnicode(reply));
    } catch (const RegistryError& error) {
        Prompts::error(this, QString::fromStdString(error.what()));
        return;
    }
    ServiceState::UserKey.set(reply);
    Prompts::information(this, QStringLiteral("Регистрация прошла успешно!\r\n"
                                              "На указанный адрес выслана ссылка для активации "
                                              "вашего аккаунта."));
    accept();
}

void TRegForm::ButCancelClick() {
    m_gaveUp = true;
    QDialog::reject();
}

void TRegForm::reject() {
    if (!m_busy)
        ButCancelClick();
}

void TRegForm::closeEvent(QCloseEvent* event) {
    // The dialog has no close box; the window system may still ask.
    event->ignore();
    if (!m_busy)
        ButCancelClick();
}

void TRegForm::SpeedButton1Click() {
    if (m_hooks.connectionSettings)
        m_hooks.connectionSettings(this);
}

void TRegForm::SpeedButton2Click() {
    TRestoreAccountForm restore(this);
    if (restore.exec() == QDialog::Accepted)
        closeAfterRestore();
}

void TRegForm::closeAfterRestore() {
    if (m_hooks.restored)
        m_hooks.restored();
    accept();
}
