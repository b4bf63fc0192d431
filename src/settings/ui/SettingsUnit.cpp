#include "SettingsUnit.h"

#include "OpacityPreview.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "shared/Settings.h"
#include "skins/ui/SkinUnit.h"
#include "widgets/FieldRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
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
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>
#include <string_view>
#include <utility>

namespace {

// What "ОК" stores for a history count field that holds no number.
constexpr qint32 kHistoryCountNotANumber = 500;

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

bool sameSetting(const char* name, const Setting::Entry& setting) {
    return std::string_view(name) == setting.name;
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

TSettingsForm::Binding::Binding(Setting::Bool setting, QAbstractButton* box)
    : name(setting.name)
    , control(box)
    , load([setting, box](const Settings& settings) { box->setChecked(settings.get(setting)); })
    , store([setting, box](Settings& settings) { settings.set(setting, box->isChecked()); }) {
}

TSettingsForm::Binding::Binding(Setting::Str setting, QLineEdit* field,
                                std::function<QString(const Settings&)> read)
    : name(setting.name)
    , control(field)
    , load([setting, field, read](const Settings& settings) {
        field->setText(read ? read(settings) : settings.get(setting));
    })
    , store([setting, field](Settings& settings) { settings.set(setting, field->text()); }) {
}

TSettingsForm::Binding::Binding(Setting::Int setting, QLineEdit* field,
                                std::optional<qint32> whenNotANumber)
    : name(setting.name)
    , control(field)
    , load([setting, field](const Settings& settings) {
        field->setText(QString::number(settings.get(setting)));
    })
    , fillEmpty(whenNotANumber ? std::function<void()>() : [setting, field] {
        if (field->text().isEmpty())
            field->setText(QString::number(setting.fallback));
    })
    , store([setting, field, whenNotANumber](Settings& settings) {
        if (whenNotANumber) {
            settings.set(setting, toInt32(field->text()).value_or(*whenNotANumber));
            return;
        }
        const std::optional<qint32> value = toInt32(field->text());
        if (!value)
            throw NumberError(field->text());
        settings.set(setting, *value);
    }) {
    // Digits past the setting's range cannot be typed, as the command line refuses them.
    FieldRules::digitsOnly(field, setting.maximum);
}

TSettingsForm::Binding::Binding(Setting::Int setting, QAbstractSlider* slider)
    : name(setting.name)
    , control(slider)
    , load([setting, slider](const Settings& settings) { slider->setValue(settings.get(setting)); })
    , store([setting, slider](Settings& settings) { settings.set(setting, slider->value()); }) {
}

TSettingsForm::Binding::Binding(Setting::Int setting, QDoubleSpinBox* kopecksAsRoubles)
    : name(setting.name)
    , control(kopecksAsRoubles)
    , load([setting, kopecksAsRoubles](const Settings& settings) {
        kopecksAsRoubles->setValue(settings.get(setting) / 100.0);
    })
    // Rounded: 0.29 roubles are 28.999... kopecks in a double.
    , store([setting, kopecksAsRoubles](Settings& settings) {
        settings.set(setting, qint32(qRound64(kopecksAsRoubles->value() * 100)));
    }) {
}

// Which control shows which stored value, in the order "ОК" stores them. The skin box is
// apart: it lists skin files, and the skin in use is selected by its display name.
std::vector<TSettingsForm::Binding> TSettingsForm::bindings() const {
    return {
        {Setting::Host, m_hostEdit},
        {Setting::Port, m_portEdit},
        {Setting::UseIESettings, m_systemProxyBox},
        {Setting::TimeFormat, m_timeFormatEdit,
         [](const Settings& settings) { return settings.timeFormatForDialog(); }},
        {Setting::ShowSplash, m_splashBox},
        {Setting::SoundConnectOK, m_connectOkSoundEdit},
        {Setting::SoundConnectErr, m_connectErrSoundEdit},
        {Setting::SoundSentOK, m_sentOkSoundEdit},
        {Setting::SoundSentErr, m_sentErrSoundEdit},
        {Setting::UseProxy, m_useProxyBox},
        {Setting::ProxyAuthentication, m_proxyAuthBox},
        {Setting::ProxyServer, m_proxyServerEdit},
        {Setting::ProxyPort, m_proxyPortEdit},
        {Setting::ProxyUserName, m_proxyUserEdit},
        {Setting::ProxyPassword, m_proxyPasswordEdit},
        {Setting::UseBalloonTips, m_balloonTipsBox},
        {Setting::UseAlphaBlend, m_translucentBox},
        // Unchecked, the other option button stays checked.
        {Setting::MenuWithGroup, m_menuByGroupButton},
        {Setting::MinimizeSendWindow, m_minimizeSendBox},
        {Setting::AlphaBlendValue, m_opacitySlider},
        {Setting::TransparentOnlyInActive, m_onlyInactiveBox},
        {Setting::SlowHideOnClose, m_fadeOnCloseBox},
        {Setting::ShowBalance, m_showBalanceBox},
        {Setting::HistoryMessCount, m_historyCountEdit, kHistoryCountNotANumber},
        {Setting::ConfirmAboveKopecks, m_confirmAboveSpin},
    };
}

QWidget* TSettingsForm::control(const Setting::Entry& setting) const {
    for (const Binding& binding : m_bindings) {
        if (sameSetting(binding.name, setting))
            return binding.control;
    }
    return nullptr;
}

QToolButton* TSettingsForm::playButton(const Setting::Entry& sound) const {
    return m_playButtons.value(this->control<QLineEdit>(sound));
}

void TSettingsForm::FormCreate() {
    m_banner = new QLabel(this);
    m_banner->setObjectName(QStringLiteral("banner"));
    m_banner->setScaledContents(true);
    m_banner->setFixedHeight(25);
    m_headerPicture = new QLabel(this);
    m_headerPicture->setObjectName(QStringLiteral("headerPicture"));
    m_title = new QLabel(QStringLiteral("Настройка"), this);
    m_title->setObjectName(QStringLiteral("title"));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pages"));
    m_connectionPage = buildConnectionPage();
    m_interfacePage = buildInterfacePage();
    m_soundsPage = buildSoundsPage();
    m_sendingPage = buildSendingPage();
    m_serverPage = new QWidget(this);
    m_serverPage->setObjectName(QStringLiteral("serverPage"));
    auto* serverLayout = new QVBoxLayout(m_serverPage);
    if (serverPageFactory()) {
        if (QWidget* content = serverPageFactory()(m_serverPage))
            serverLayout->addWidget(content);
    }
    m_pages->addTab(m_connectionPage, QStringLiteral("Подключение"));
    m_pages->addTab(m_interfacePage, QStringLiteral("Интерфейс"));
    m_pages->addTab(m_soundsPage, QStringLiteral("Звуки"));
    m_pages->addTab(m_sendingPage, QStringLiteral("Отправка"));
    m_pages->addTab(m_serverPage, QStringLiteral("Сервер"));
    m_pages->setCurrentIndex(0);
    m_bindings = bindings();

    m_okButton = new QPushButton(glyph(13), QStringLiteral("ОК"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_cancelButton = new QPushButton(glyph(14), QStringLiteral("Отмена"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton* button : {m_okButton, m_cancelButton})
        button->setFlat(true);
    m_okButton->setDefault(true);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(10, 4, 10, 0);
    header->addWidget(m_headerPicture);
    header->addWidget(m_title, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 4, 10, 8);
    body->addWidget(m_pages, 1);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_banner);
    layout->addLayout(header);
    layout->addLayout(body, 1);
    setMinimumSize(440, 470);

    connect(m_okButton, &QPushButton::clicked, this, &TSettingsForm::confirm);
    connect(m_cancelButton, &QPushButton::clicked, this, &TSettingsForm::reject);

    const SkinUnit& skin = SkinUnit::active();
    skin.dress(this, {m_banner, m_headerPicture, QStringLiteral("14.bmp"), {m_title}, {}, {}});

    // The skin list, and the entry of the skin in use selected (a later file of the same
    // name wins).
    m_skinFiles = ListSkinFiles();
    for (int i = 0; i < m_skinFiles.size(); ++i) {
        m_skinBox->addItem(m_skinFiles[i].displayName);
        if (m_skinFiles[i].displayName == skin.displayName())
            m_skinBox->setCurrentIndex(i);
    }
    if (m_skinBox->count() > 0 && m_skinBox->currentText() != skin.displayName())
        m_skinBox->setCurrentIndex(-1);
}

void TSettingsForm::showConnectionPageOnly() {
    m_pages->setCurrentIndex(0);
    for (int page = 1; page < m_pages->count(); ++page)
        m_pages->setTabVisible(page, false);
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
    for (const Binding& binding : m_bindings)
        binding.load(settings);

    // The group follows its check box, then the system-settings box overrides both.
    followUseProxy();
    if (m_systemProxyBox->isChecked())
        followSystemProxy();
    previewTranslucency();
    previewOpacity();
    // Only now: filling the slider is not a preview.
    connect(m_opacitySlider, &QSlider::valueChanged, this, &TSettingsForm::previewOpacity,
            Qt::UniqueConnection);
}

void TSettingsForm::followUseProxy() {
    m_proxyGroup->setEnabled(m_useProxyBox->isChecked());
}

void TSettingsForm::followSystemProxy() {
    const bool enabled = !m_systemProxyBox->isChecked();
    for (QWidget* widget : std::as_const(m_proxyControls))
        widget->setEnabled(enabled);
}

void TSettingsForm::previewTranslucency() {
    if (m_context.effects)
        m_context.effects->setAlphaBlend(m_translucentBox->isChecked());
}

void TSettingsForm::previewOpacity() {
    if (m_context.effects)
        m_context.effects->setAlpha(m_opacitySlider->value());
}

void TSettingsForm::noteSkinChanged() {
    s_skinChanged = true;
}

void TSettingsForm::changeAccessPassword() {
    if (m_context.changeAccessPassword)
        m_context.changeAccessPassword(this);
}

void TSettingsForm::browseSound(QLineEdit* field) {
    const QString folder = QFileInfo(field->text()).absolutePath();
    QString path =
        Prompts::openFile(this, QStringLiteral("Открыть"), folder, QStringLiteral("Media (*.wav)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".wav");
    field->setText(path);
}

void TSettingsForm::confirm() {
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
    // Empty number fields show the default they store, should the dialog stay open.
    for (const Binding& binding : m_bindings) {
        if (binding.fillEmpty)
            binding.fillEmpty();
    }

    Settings settings(*m_context.registry);
    try {
        for (const Binding& binding : m_bindings)
            binding.store(settings);

        // No entry chosen (no skin file names the skin in use): the stored skin stays.
        const int skin = m_skinBox->currentIndex();
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
