#include "SettingsUnit.h"
#include "platform/Sound.h"
#include "widgets/FieldRules.h"

#include <QCheckBox>
#include <QComboBox>
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

// The controls of the first three pages and their layout.

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
    page->setObjectName(QStringLiteral("TabSheet1"));

    auto* service = new QGroupBox(QStringLiteral("Сервис Varnelo"), page);
    Edit1 = textField("Edit1", service);
    Edit2 = digitField("Edit2", service);
    auto* serviceLayout = new QFormLayout(service);
    serviceLayout->addRow(QStringLiteral("Сервер:"), Edit1);
    serviceLayout->addRow(QStringLiteral("Порт:"), Edit2);

    CheckBox4 =
        checkBox(QStringLiteral("Использовать системные настройки прокси"), "CheckBox4", page);
    CheckBox1 = checkBox(QStringLiteral("Использовать прокси"), "CheckBox1", page);

    GroupBox2 = new QGroupBox(page);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    // Made in their on-screen order, which Tab follows: server and port, then the login.
    Edit3 = textField("Edit3", GroupBox2);
    Edit4 = digitField("Edit4", GroupBox2);
    CheckBox2 = checkBox(QStringLiteral("Авторизация"), "CheckBox2", GroupBox2);
    Edit5 = textField("Edit5", GroupBox2);
    Edit6 = textField("Edit6", GroupBox2);
    Edit6->setEchoMode(QLineEdit::Password);
    LabelProxyServer = new QLabel(QStringLiteral("Сервер:"), GroupBox2);
    LabelProxyPort = new QLabel(QStringLiteral("Порт:"), GroupBox2);
    LabelProxyUser = new QLabel(QStringLiteral("Логин:"), GroupBox2);
    LabelProxyPassword = new QLabel(QStringLiteral("Пароль:"), GroupBox2);
    auto* proxyLayout = new QGridLayout(GroupBox2);
    proxyLayout->addWidget(LabelProxyServer, 0, 0);
    proxyLayout->addWidget(Edit3, 0, 1);
    proxyLayout->addWidget(LabelProxyPort, 0, 2);
    proxyLayout->addWidget(Edit4, 0, 3);
    proxyLayout->addWidget(CheckBox2, 1, 0, 1, 4);
    proxyLayout->addWidget(LabelProxyUser, 2, 0);
    proxyLayout->addWidget(Edit5, 2, 1, 1, 3);
    proxyLayout->addWidget(LabelProxyPassword, 3, 0);
    proxyLayout->addWidget(Edit6, 3, 1, 1, 3);
    proxyLayout->setColumnStretch(1, 3);
    proxyLayout->setColumnStretch(3, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(service);
    layout->addWidget(CheckBox4);
    layout->addWidget(CheckBox1);
    layout->addWidget(GroupBox2);
    layout->addStretch(1);

    connect(CheckBox1, &QCheckBox::clicked, this, &TSettingsForm::CheckBox1Click);
    connect(CheckBox4, &QCheckBox::clicked, this, &TSettingsForm::CheckBox4Click);
    return page;
}

QWidget* TSettingsForm::buildInterfacePage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheet2"));

    CheckBox5 = checkBox(QStringLiteral("Показывать заставку при запуске"), "CheckBox5", page);
    CheckBox7 = checkBox(QStringLiteral("Показывать информацию в трее"), "CheckBox7", page);
    CheckBox12 = checkBox(QStringLiteral("Показывать баланс вместо СМС"), "CheckBox12", page);
    CheckBox9 = checkBox(QStringLiteral("Сворачивать окно отправки сообщений"), "CheckBox9", page);
    CheckBox3 = checkBox(QStringLiteral("Использовать прозрачность"), "CheckBox3", page);
    TrackBar1 = new QSlider(Qt::Horizontal, page);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(0, 255);
    CheckBox10 = checkBox(QStringLiteral("Только для неактивного"), "CheckBox10", page);
    CheckBox11 = checkBox(QStringLiteral("Плавное затухание главного окна"), "CheckBox11", page);

    auto* menuGroup = new QGroupBox(QStringLiteral("Список контактов в меню"), page);
    RadioButton1 = new QRadioButton(QStringLiteral("Разбить по группам"), menuGroup);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2 = new QRadioButton(QStringLiteral("В виде списка"), menuGroup);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setChecked(true);
    auto* menuLayout = new QHBoxLayout(menuGroup);
    menuLayout->addWidget(RadioButton1);
    menuLayout->addWidget(RadioButton2);

    ComboBox1 = new QComboBox(page);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(false);
    Edit8 = textField("Edit8", page);
    Edit7 = digitField("Edit7", page);
    SpeedButton1 =
        new QPushButton(QStringLiteral("Задать пароль для доступа к программе..."), page);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setAutoDefault(false);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Тема:"), ComboBox1);
    fields->addRow(QStringLiteral("Формат времени:"), Edit8);
    fields->addRow(QStringLiteral("Сообщений в истории:"), Edit7);

    auto* translucency = new QGridLayout;
    translucency->addWidget(CheckBox3, 0, 0);
    translucency->addWidget(TrackBar1, 0, 1);
    translucency->addWidget(CheckBox10, 1, 0);
    translucency->addWidget(CheckBox11, 1, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(CheckBox5);
    layout->addWidget(CheckBox7);
    layout->addWidget(CheckBox12);
    layout->addWidget(CheckBox9);
    layout->addLayout(translucency);
    layout->addWidget(menuGroup);
    layout->addLayout(fields);
    layout->addWidget(SpeedButton1);
    layout->addStretch(1);

    connect(CheckBox3, &QCheckBox::clicked, this, &TSettingsForm::CheckBox3Click);
    connect(ComboBox1, &QComboBox::activated, this, &TSettingsForm::ComboBox1Change);
    connect(SpeedButton1, &QPushButton::clicked, this, &TSettingsForm::Button1Click);
    return page;
}

QWidget* TSettingsForm::buildSoundsPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheet3"));
    auto* layout = new QGridLayout(page);

    struct Row {
        QString caption;
        QLineEdit** field;
        const char* fieldName;
        QToolButton** test;
        const char* testName;
    };
    const Row rows[] = {
        {QStringLiteral("Соединение удачно:"), &FilenameEdit1, "FilenameEdit1", &SpeedButton2,
         "SpeedButton2"},
        {QStringLiteral("Невозможно соединиться:"), &FilenameEdit4, "FilenameEdit4", &SpeedButton5,
         "SpeedButton5"},
        {QStringLiteral("Удачная отправка:"), &FilenameEdit2, "FilenameEdit2", &SpeedButton3,
         "SpeedButton3"},
        {QStringLiteral("Ошибка при отправке:"), &FilenameEdit3, "FilenameEdit3", &SpeedButton4,
         "SpeedButton4"},
    };
    int line = 0;
    for (const Row& row : rows) {
        QLineEdit* field = textField(row.fieldName, page);
        auto* browse = new QToolButton(page);
        browse->setObjectName(QLatin1String(row.fieldName) + QStringLiteral("Browse"));
        browse->setText(QStringLiteral("..."));
        auto* test = new QToolButton(page);
        test->setObjectName(QLatin1String(row.testName));
        test->setText(QStringLiteral(">"));
        layout->addWidget(new QLabel(row.caption, page), line++, 0, 1, 3);
        layout->addWidget(field, line, 0);
        layout->addWidget(browse, line, 1);
        layout->addWidget(test, line++, 2);
        connect(browse, &QToolButton::clicked, this, [this, field] { BrowseSound(field); });
        // Plays synchronously: the dialog waits until the sound has ended.
        connect(test, &QToolButton::clicked, this, [field] { Sound::playFile(field->text()); });
        *row.field = field;
        *row.test = test;
    }
    layout->setRowStretch(line, 1);
    return page;
}
