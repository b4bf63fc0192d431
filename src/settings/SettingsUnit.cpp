#include "SettingsUnit.h"

#include "FieldRules.h"
#include "Settings.h"
#include "account/MakePswUnit.h"
#include "platform/Prompts.h"
#include "platform/Registry.h"
#include "platform/Sound.h"
#include "service/ServiceState.h"
#include "shell/WindowEffects.h"
#include "skins/SkinUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFont>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>

namespace {

const QString kDefaultPortText = QStringLiteral("3000");
const QString kDefaultProxyPortText = QStringLiteral("0");
constexpr qint32 kHistoryCountFallback = 500;

bool s_skinChanged = false;

TSettingsForm::PageFactory& serverPageFactory() {
    static TSettingsForm::PageFactory factory;
    return factory;
}

// A whole 32-bit number, as the digit fields hold it; nothing when it does not fit.
std::optional<qint32> toInt32(const QString& text) {
    bool ok = false;
    const qint32 value = text.toInt(&ok, 10);
    return ok ? std::optional<qint32>(value) : std::nullopt;
}

QIcon glyph(int index) {
    const QImage image = SkinUnit::active().sprites().smallIcon(index);
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

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

// A number that does not fit stops the confirmation where it is met.
class NumberError {
public:
    explicit NumberError(QString text)
        : text(std::move(text)) {}
    QString text;
};

qint32 portNumber(const QString& text) {
    const std::optional<qint32> value = toInt32(text);
    if (!value)
        throw NumberError(text);
    return *value;
}

} // namespace

TSettingsForm::TSettingsForm(Context context, QWidget* parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_context(std::move(context)) {
    setObjectName(QStringLiteral("SettingsForm"));
    setWindowTitle(QStringLiteral("Varnelo"));
    FormCreate();
}

TSettingsForm::~TSettingsForm() {
    FormClose();
}

void TSettingsForm::setServerPageFactory(PageFactory factory) {
    serverPageFactory() = std::move(factory);
}

bool TSettingsForm::skinChanged() {
    return s_skinChanged;
}

void TSettingsForm::resetSkinChangedForTests() {
    s_skinChanged = false;
}

void TSettingsForm::FormCreate() {
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    Image1->setFixedHeight(25);
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Label9 = new QLabel(QStringLiteral("Настройка"), this);
    Label9->setObjectName(QStringLiteral("Label9"));
    QFont bold = Label9->font();
    bold.setBold(true);
    Label9->setFont(bold);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = buildConnectionPage();
    TabSheet2 = buildInterfacePage();
    TabSheet3 = buildSoundsPage();
    TabSheet4 = new QWidget(this);
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    auto* serverLayout = new QVBoxLayout(TabSheet4);
    if (serverPageFactory()) {
        if (QWidget* content = serverPageFactory()(TabSheet4))
            serverLayout->addWidget(content);
    }
    PageControl1->addTab(TabSheet1, QStringLiteral("Подключение"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Интерфейс"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Звуки"));
    PageControl1->addTab(TabSheet4, QStringLiteral("Сервер"));
    PageControl1->setCurrentIndex(0);

    ButOK = new QPushButton(glyph(13), QStringLiteral("ОК"), this);
    ButOK->setObjectName(QStringLiteral("ButOK"));
    ButCancel = new QPushButton(glyph(14), QStringLiteral("Отмена"), this);
    ButCancel->setObjectName(QStringLiteral("ButCancel"));
    for (QPushButton* button : {ButOK, ButCancel}) {
        button->setFlat(true);
        button->setAutoDefault(false);
    }

    auto* header = new QHBoxLayout;
    header->setContentsMargins(10, 4, 10, 0);
    header->addWidget(Image2);
    header->addWidget(Label9, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ButOK);
    buttons->addWidget(ButCancel);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 4, 10, 8);
    body->addWidget(PageControl1, 1);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Image1);
    layout->addLayout(header);
    layout->addLayout(body, 1);
    setMinimumSize(440, 470);

    connect(ButOK, &QPushButton::clicked, this, &TSettingsForm::ButOKClick);
    connect(ButCancel, &QPushButton::clicked, this, &TSettingsForm::ButCancelClick);

    const SkinUnit& skin = SkinUnit::active();
    skin.dress(this, {Image1, Image2, QStringLiteral("14.bmp"), {Label9}, {}, {}});

    // The skin list, and the entry of the skin in use selected (a later file of the same
    // name wins).
    m_skinFiles = ListSkinFiles();
    for (int i = 0; i < m_skinFiles.size(); ++i) {
        ComboBox1->addItem(m_skinFiles[i].displayName);
        if (m_skinFiles[i].displayName == skin.displayName())
            ComboBox1->setCurrentIndex(i);
    }
    if (ComboBox1->count() > 0 && ComboBox1->currentText() != skin.displayName())
        ComboBox1->setCurrentIndex(-1);
}

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
        checkBox(QStringLiteral("Использовать настройки Internet Explorer"), "CheckBox4", page);
    CheckBox1 = checkBox(QStringLiteral("Использовать прокси"), "CheckBox1", page);

    GroupBox2 = new QGroupBox(page);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    CheckBox2 = checkBox(QStringLiteral("Авторизация"), "CheckBox2", GroupBox2);
    Edit3 = textField("Edit3", GroupBox2);
    Edit4 = digitField("Edit4", GroupBox2);
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

void TSettingsForm::showConnectionPageOnly() {
    PageControl1->setCurrentIndex(0);
    for (int page = 1; page < PageControl1->count(); ++page)
        PageControl1->setTabVisible(page, false);
}

void TSettingsForm::showEvent(QShowEvent* event) {
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void TSettingsForm::FormShow() {
    const Settings settings(*m_context.registry);
    Edit1->setText(settings.get(Setting::Host));
    Edit2->setText(QString::number(settings.get(Setting::Port)));

    CheckBox1->setChecked(settings.get(Setting::UseProxy));
    CheckBox2->setChecked(settings.get(Setting::ProxyAuthentication));
    Edit3->setText(settings.get(Setting::ProxyServer));
    Edit4->setText(QString::number(settings.get(Setting::ProxyPort)));
    Edit5->setText(settings.get(Setting::ProxyUserName));
    Edit6->setText(settings.proxyPassword());

    CheckBox7->setChecked(settings.get(Setting::UseBalloonTips));
    CheckBox9->setChecked(settings.get(Setting::MinimizeSendWindow));
    CheckBox10->setChecked(settings.get(Setting::TransparentOnlyInActive));
    CheckBox11->setChecked(settings.get(Setting::SlowHideOnClose));
    CheckBox12->setChecked(settings.get(Setting::ShowBalance));

    CheckBox3->setChecked(settings.get(Setting::UseAlphaBlend));
    if (settings.get(Setting::MenuWithGroup))
        RadioButton1->setChecked(true);
    TrackBar1->setValue(settings.alphaBlendValue());
    Edit7->setText(QString::number(settings.get(Setting::HistoryMessCount)));
    CheckBox4->setChecked(settings.get(Setting::UseIESettings));
    CheckBox5->setChecked(settings.get(Setting::ShowSplash));

    Edit8->setText(settings.timeFormatForDialog());

    FilenameEdit1->setText(settings.get(Setting::SoundConnectOK));
    FilenameEdit4->setText(settings.get(Setting::SoundConnectErr));
    FilenameEdit2->setText(settings.get(Setting::SoundSentOK));
    FilenameEdit3->setText(settings.get(Setting::SoundSentErr));

    // The group follows its check box, then the system-settings box overrides both.
    CheckBox1Click();
    if (CheckBox4->isChecked())
        CheckBox4Click();
    CheckBox3Click();
    TrackBar1Change();
    // Only now: filling the slider is not a preview.
    connect(TrackBar1, &QSlider::valueChanged, this, &TSettingsForm::TrackBar1Change,
            Qt::UniqueConnection);
}

void TSettingsForm::CheckBox1Click() {
    GroupBox2->setEnabled(CheckBox1->isChecked());
}

void TSettingsForm::CheckBox4Click() {
    const bool enabled = !CheckBox4->isChecked();
    for (QWidget* widget : std::initializer_list<QWidget*>{
             CheckBox1, LabelProxyServer, LabelProxyPort, LabelProxyUser, LabelProxyPassword,
             CheckBox2, GroupBox2, Edit3, Edit4, Edit5, Edit6})
        widget->setEnabled(enabled);
}

void TSettingsForm::CheckBox3Click() {
    if (m_context.effects)
        m_context.effects->setAlphaBlend(CheckBox3->isChecked());
}

void TSettingsForm::TrackBar1Change() {
    if (m_context.effects)
        m_context.effects->setAlpha(TrackBar1->value());
}

void TSettingsForm::ComboBox1Change() {
    s_skinChanged = true;
}

void TSettingsForm::Button1Click() {
    ChangeAccessPassword(this);
}

void TSettingsForm::BrowseSound(QLineEdit* field) {
    const QString folder = QFileInfo(field->text()).absolutePath();
    QString path =
        Prompts::openFile(this, QStringLiteral("Открыть"), folder, QStringLiteral("Media (*.wav)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".wav");
    field->setText(path);
}

void TSettingsForm::ButCancelClick() {
    reject();
}

void TSettingsForm::ButOKClick() {
    if (!store())
        return;
    if (s_skinChanged &&
        Prompts::confirm(this, QStringLiteral("Чтобы изменения вступили в силу необходимо "
                                              "перезагрузить программу.\r\nСделать это сейчас?")) &&
        m_context.restart)
        m_context.restart();
    accept();
}

// Writes every value in its order. False when a port does not fit in 32 bits or the store
// fails: what was written before stays written, and the dialog stays open.
bool TSettingsForm::store() {
    if (Edit2->text().isEmpty())
        Edit2->setText(kDefaultPortText);
    if (Edit4->text().isEmpty())
        Edit4->setText(kDefaultProxyPortText);

    Settings settings(*m_context.registry);
    try {
        settings.set(Setting::Host, Edit1->text());
        const qint32 port = portNumber(Edit2->text());
        settings.set(Setting::Port, port);
        settings.set(Setting::UseIESettings, CheckBox4->isChecked());
        settings.set(Setting::TimeFormat, Edit8->text());
        settings.set(Setting::ShowSplash, CheckBox5->isChecked());
        settings.set(Setting::SoundConnectOK, FilenameEdit1->text());
        settings.set(Setting::SoundConnectErr, FilenameEdit4->text());
        settings.set(Setting::SoundSentOK, FilenameEdit2->text());
        settings.set(Setting::SoundSentErr, FilenameEdit3->text());
        settings.set(Setting::UseProxy, CheckBox1->isChecked());
        settings.set(Setting::ProxyAuthentication, CheckBox2->isChecked());
        settings.set(Setting::ProxyServer, Edit3->text());
        settings.set(Setting::ProxyPort, portNumber(Edit4->text()));
        settings.set(Setting::ProxyUserName, Edit5->text());
        settings.setProxyPassword(Edit6->text());

        ServiceState::SetServiceAddress(Edit1->text(), port);

        settings.set(Setting::UseBalloonTips, CheckBox7->isChecked());
        settings.set(Setting::UseAlphaBlend, CheckBox3->isChecked());
        settings.set(Setting::MenuWithGroup, RadioButton1->isChecked());
        settings.set(Setting::MinimizeSendWindow, CheckBox9->isChecked());
        settings.set(Setting::AlphaBlendValue, TrackBar1->value());
        settings.set(Setting::TransparentOnlyInActive, CheckBox10->isChecked());
        settings.set(Setting::SlowHideOnClose, CheckBox11->isChecked());
        settings.set(Setting::ShowBalance, CheckBox12->isChecked());

        settings.set(Setting::HistoryMessCount,
                     toInt32(Edit7->text()).value_or(kHistoryCountFallback));

        // No entry chosen (no skin file names the skin in use): the stored skin stays.
        const int skin = ComboBox1->currentIndex();
        if (skin >= 0 && skin < m_skinFiles.size())
            settings.set(Setting::Theme, m_skinFiles[skin].fileName);
    } catch (const NumberError& error) {
        Prompts::error(
            this, QStringLiteral("\"%1\" не является допустимым целым числом.").arg(error.text));
        return false;
    } catch (const RegistryError& error) {
        Prompts::error(this, QString::fromStdString(error.what()));
        return false;
    }
    return true;
}

void TSettingsForm::done(int result) {
    FormClose();
    QDialog::done(result);
}

// Whatever closed the dialog: a translucency that was previewed but not stored is undone.
void TSettingsForm::FormClose() {
    if (m_closed)
        return;
    m_closed = true;
    if (m_context.effects)
        m_context.effects->applyStoredTranslucency();
}
