#include "SettingsUnit.h"

#include "OpacityPreview.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "shared/Settings.h"
#include "skins/ui/SkinUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
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
    for (QPushButton* button : {ButOK, ButCancel})
        button->setFlat(true);
    ButOK->setDefault(true);

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
    if (m_context.changeAccessPassword)
        m_context.changeAccessPassword(this);
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
        settings.set(Setting::Port, portNumber(Edit2->text()));
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
