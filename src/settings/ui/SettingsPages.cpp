#include "SettingsUnit.h"
#include "platform/Sound.h"
#include "widgets/FieldRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

// The controls of the pages but the server's, and their layout.

namespace {

QLineEdit* textField(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    FieldRules::codePageOnly(edit);
    return edit;
}

QLineEdit* digitField(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    FieldRules::digitsOnly(edit);
    return edit;
}

QCheckBox* checkBox(const QString& caption, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

} // namespace

QWidget* TSettingsForm::buildConnectionPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("connectionPage"));

    auto* service = new QGroupBox(QStringLiteral("Сервис Varnelo"), page);
    m_hostEdit = textField("hostEdit", service);
    m_portEdit = digitField("portEdit", service);
    auto* serviceLayout = new QFormLayout(service);
    serviceLayout->addRow(QStringLiteral("Сервер:"), m_hostEdit);
    serviceLayout->addRow(QStringLiteral("Порт:"), m_portEdit);

    m_systemProxyBox =
        checkBox(QStringLiteral("Использовать системные настройки прокси"), "systemProxyBox", page);
    m_useProxyBox = checkBox(QStringLiteral("Использовать прокси"), "useProxyBox", page);

    m_proxyGroup = new QGroupBox(page);
    m_proxyGroup->setObjectName(QStringLiteral("proxyGroup"));
    // Made in their on-screen order, which Tab follows: server and port, then the login.
    m_proxyServerEdit = textField("proxyServerEdit", m_proxyGroup);
    m_proxyPortEdit = digitField("proxyPortEdit", m_proxyGroup);
    m_proxyAuthBox = checkBox(QStringLiteral("Авторизация"), "proxyAuthBox", m_proxyGroup);
    m_proxyUserEdit = textField("proxyUserEdit", m_proxyGroup);
    m_proxyPasswordEdit = textField("proxyPasswordEdit", m_proxyGroup);
    m_proxyPasswordEdit->setEchoMode(QLineEdit::Password);
    auto* serverLabel = new QLabel(QStringLiteral("Сервер:"), m_proxyGroup);
    auto* portLabel = new QLabel(QStringLiteral("Порт:"), m_proxyGroup);
    auto* userLabel = new QLabel(QStringLiteral("Логин:"), m_proxyGroup);
    auto* passwordLabel = new QLabel(QStringLiteral("Пароль:"), m_proxyGroup);
    auto* proxyLayout = new QGridLayout(m_proxyGroup);
    proxyLayout->addWidget(serverLabel, 0, 0);
    proxyLayout->addWidget(m_proxyServerEdit, 0, 1);
    proxyLayout->addWidget(portLabel, 0, 2);
    proxyLayout->addWidget(m_proxyPortEdit, 0, 3);
    proxyLayout->addWidget(m_proxyAuthBox, 1, 0, 1, 4);
    proxyLayout->addWidget(userLabel, 2, 0);
    proxyLayout->addWidget(m_proxyUserEdit, 2, 1, 1, 3);
    proxyLayout->addWidget(passwordLabel, 3, 0);
    proxyLayout->addWidget(m_proxyPasswordEdit, 3, 1, 1, 3);
    proxyLayout->setColumnStretch(1, 3);
    proxyLayout->setColumnStretch(3, 1);
    m_proxyControls = {m_useProxyBox,   serverLabel,     portLabel,          userLabel,
                       passwordLabel,   m_proxyAuthBox,  m_proxyGroup,       m_proxyServerEdit,
                       m_proxyPortEdit, m_proxyUserEdit, m_proxyPasswordEdit};

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(service);
    layout->addWidget(m_systemProxyBox);
    layout->addWidget(m_useProxyBox);
    layout->addWidget(m_proxyGroup);
    layout->addStretch(1);

    connect(m_useProxyBox, &QCheckBox::clicked, this, &TSettingsForm::followUseProxy);
    connect(m_systemProxyBox, &QCheckBox::clicked, this, &TSettingsForm::followSystemProxy);
    return page;
}

QWidget* TSettingsForm::buildInterfacePage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("interfacePage"));

    m_splashBox = checkBox(QStringLiteral("Показывать заставку при запуске"), "splashBox", page);
    m_balloonTipsBox =
        checkBox(QStringLiteral("Показывать информацию в трее"), "balloonTipsBox", page);
    m_showBalanceBox =
        checkBox(QStringLiteral("Показывать баланс вместо СМС"), "showBalanceBox", page);
    m_minimizeSendBox =
        checkBox(QStringLiteral("Сворачивать окно отправки сообщений"), "minimizeSendBox", page);
    m_translucentBox =
        checkBox(QStringLiteral("Использовать прозрачность"), "translucentBox", page);
    m_opacitySlider = new QSlider(Qt::Horizontal, page);
    m_opacitySlider->setObjectName(QStringLiteral("opacitySlider"));
    m_opacitySlider->setRange(Setting::AlphaBlendValue.minimum, Setting::AlphaBlendValue.maximum);
    m_onlyInactiveBox = checkBox(QStringLiteral("Только для неактивного"), "onlyInactiveBox", page);
    m_fadeOnCloseBox =
        checkBox(QStringLiteral("Плавное затухание главного окна"), "fadeOnCloseBox", page);

    auto* menuGroup = new QGroupBox(QStringLiteral("Список контактов в меню"), page);
    m_menuByGroupButton = new QRadioButton(QStringLiteral("Разбить по группам"), menuGroup);
    m_menuByGroupButton->setObjectName(QStringLiteral("menuByGroupButton"));
    m_menuAsListButton = new QRadioButton(QStringLiteral("В виде списка"), menuGroup);
    m_menuAsListButton->setObjectName(QStringLiteral("menuAsListButton"));
    m_menuAsListButton->setChecked(true);
    auto* menuLayout = new QHBoxLayout(menuGroup);
    menuLayout->addWidget(m_menuByGroupButton);
    menuLayout->addWidget(m_menuAsListButton);

    m_skinBox = new QComboBox(page);
    m_skinBox->setObjectName(QStringLiteral("skinBox"));
    m_skinBox->setEditable(false);
    m_timeFormatEdit = textField("timeFormatEdit", page);
    m_historyCountEdit = digitField("historyCountEdit", page);
    m_accessPasswordButton =
        new QPushButton(QStringLiteral("Задать пароль для доступа к программе..."), page);
    m_accessPasswordButton->setObjectName(QStringLiteral("accessPasswordButton"));
    m_accessPasswordButton->setAutoDefault(false);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Тема:"), m_skinBox);
    fields->addRow(QStringLiteral("Формат времени:"), m_timeFormatEdit);
    fields->addRow(QStringLiteral("Сообщений в истории:"), m_historyCountEdit);

    auto* translucency = new QGridLayout;
    translucency->addWidget(m_translucentBox, 0, 0);
    translucency->addWidget(m_opacitySlider, 0, 1);
    translucency->addWidget(m_onlyInactiveBox, 1, 0);
    translucency->addWidget(m_fadeOnCloseBox, 1, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_splashBox);
    layout->addWidget(m_balloonTipsBox);
    layout->addWidget(m_showBalanceBox);
    layout->addWidget(m_minimizeSendBox);
    layout->addLayout(translucency);
    layout->addWidget(menuGroup);
    layout->addLayout(fields);
    layout->addWidget(m_accessPasswordButton);
    layout->addStretch(1);

    connect(m_translucentBox, &QCheckBox::clicked, this, &TSettingsForm::previewTranslucency);
    connect(m_skinBox, &QComboBox::activated, this, &TSettingsForm::noteSkinChanged);
    connect(m_accessPasswordButton, &QPushButton::clicked, this,
            &TSettingsForm::changeAccessPassword);
    return page;
}

QWidget* TSettingsForm::buildSoundsPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("soundsPage"));
    auto* layout = new QGridLayout(page);

    struct Row {
        QString caption;
        QLineEdit** field;
        const char* fieldName;
    };
    const Row rows[] = {
        {QStringLiteral("Соединение удачно:"), &m_connectOkSoundEdit, "connectOkSoundEdit"},
        {QStringLiteral("Невозможно соединиться:"), &m_connectErrSoundEdit, "connectErrSoundEdit"},
        {QStringLiteral("Удачная отправка:"), &m_sentOkSoundEdit, "sentOkSoundEdit"},
        {QStringLiteral("Ошибка при отправке:"), &m_sentErrSoundEdit, "sentErrSoundEdit"},
    };
    int line = 0;
    for (const Row& row : rows) {
        QLineEdit* field = textField(row.fieldName, page);
        auto* browse = new QToolButton(page);
        browse->setObjectName(QLatin1String(row.fieldName) + QStringLiteral("Browse"));
        browse->setText(QStringLiteral("..."));
        auto* play = new QToolButton(page);
        play->setObjectName(QLatin1String(row.fieldName) + QStringLiteral("Play"));
        play->setText(QStringLiteral(">"));
        layout->addWidget(new QLabel(row.caption, page), line++, 0, 1, 3);
        layout->addWidget(field, line, 0);
        layout->addWidget(browse, line, 1);
        layout->addWidget(play, line++, 2);
        connect(browse, &QToolButton::clicked, this, [this, field] { browseSound(field); });
        // Plays synchronously: the dialog waits until the sound has ended.
        connect(play, &QToolButton::clicked, this, [field] { Sound::playFile(field->text()); });
        *row.field = field;
        m_playButtons.insert(field, play);
    }
    layout->setRowStretch(line, 1);
    return page;
}

QWidget* TSettingsForm::buildSendingPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("sendingPage"));

    m_confirmAboveSpin = new QDoubleSpinBox(page);
    m_confirmAboveSpin->setObjectName(QStringLiteral("confirmAboveSpin"));
    // Russian separators ("1 000,50") whatever the desktop's language, as the dialog's texts.
    m_confirmAboveSpin->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    m_confirmAboveSpin->setDecimals(2);
    m_confirmAboveSpin->setRange(0, Setting::ConfirmAboveKopecks.maximum / 100.0);
    m_confirmAboveSpin->setGroupSeparatorShown(true);
    m_confirmAboveSpin->setAlignment(Qt::AlignRight);
    m_confirmAboveSpin->setMinimumWidth(120);
    auto* label = new QLabel(QStringLiteral("Спрашивать подтверждение, если сумма больше"), page);
    label->setBuddy(m_confirmAboveSpin);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_confirmAboveSpin);
    row->addStretch(1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(row);
    layout->addStretch(1);
    return page;
}
