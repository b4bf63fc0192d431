#include "MainUnit.h"

#include "ContactTreeDelegate.h"
#include "MainWindowBridge.h"
#include "StoreFollower.h"
#include "TrayHide.h"
#include "TrayIcon.h"
#include "UserKeyMask.h"
#include "WindowEffects.h"
#include "WindowSnap.h"
#include "account/AccountKey.h"
#include "contacts/BookReadAhead.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "contacts/ui/AddContactUnit.h"
#include "contacts/ui/ContactTreeView.h"
#include "contacts/ui/ServerContacts.h"
#include "history/HistoryFile.h"
#include "history/ui/HistoryUnit.h"
#include "messaging/ui/SendUnit.h"
#include "platform/Ansi.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "platform/SingleInstance.h"
#include "platform/Sound.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceState.h"
#include "service/TGetUserInfoThread.h"
#include "shared/Settings.h"
#include "shared/StoredValueCipher.h"
#include "skins/ui/ImageButton3.h"
#include "skins/ui/SkinUnit.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QSizeGrip>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Varnelo");
const QString kSendSms = QStringLiteral("Отправить СМС");
const QString kSettings = QStringLiteral("Настройка");
const QString kHelp = QStringLiteral("Вызов справки");
const QString kAbout = QStringLiteral("О программе");
const QString kClose = QStringLiteral("Закрыть");
const QString kWrongPassword = QStringLiteral("Неверный пароль!");
const QString kPasswordCaption = QStringLiteral("Авторизация");
const QString kPasswordPrompt = QStringLiteral("Введите пароль для доступа к программе.");
const QString kUnreadableKey =
    QStringLiteral("Сохраненный ключ аккаунта поврежден, прочитать его невозможно.\r\n"
                   "Зарегистрируйтесь заново или восстановите аккаунт (кнопка "
                   "\"Восстановление аккаунта\" в окне регистрации).");

constexpr int kClientWidth = 204;
constexpr int kMinHeight = 250;
constexpr int kHeaderHeight = 25;
constexpr int kPanelHeight = 33;
constexpr int kToolButtonStep = 25;
constexpr int kToolButtonTop = 5;

constexpr int kMessageShow = 255;
constexpr int kMessageServiceNotice = 254;
constexpr int kMessageRegistration = 253;
constexpr int kMessageLowBalance = 252;

// The notification area's balloon kinds.
constexpr int kBalloonInformation = 1;
constexpr int kBalloonError = 4;

// The icon list's entries the menus use.
enum Icon {
    IconSend = 2,
    IconClose = 3,
    IconAbout = 4,
    IconSettings = 5,
    IconEdit = 6,
    IconDelete = 7,
    IconAdd = 8,
    IconHelp = 9,
    IconSaveOnServer = 17,
    IconLoadFromServer = 18,
};

QIcon smallIcon(int index) {
    const QImage image = SkinUnit::active().sprites().smallIcon(index);
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

// The two windows as hiding to the tray handles them.
class MainAndSendWindows final : public TrayHideTarget {
public:
    MainAndSendWindows(TMainForm& main, TSendForm* send)
        : m_main(main)
        , m_send(send) {}
    void SaveWindowPosition() override { m_main.SaveWindowPosition(); }
    void hideMainWindow() override { m_main.hide(); }
    void hideSendWindow() override {
        if (m_send)
            m_send->hide();
    }
    bool sendWindowIsHidden() const override { return !m_send || m_send->IsHidden; }
    void setSendWindowIsHidden(bool hidden) override {
        if (m_send)
            m_send->IsHidden = hidden;
    }

private:
    TMainForm& m_main;
    TSendForm* m_send;
};

QString hexColor(quint32 value) {
    return QStringLiteral("%1").arg(value & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper();
}

} // namespace

TMainForm::TMainForm(Options options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_options(std::move(options))
    , m_book(new ContactBook(this)) {
    setObjectName(QStringLiteral("MainForm"));
    buildControls();
    buildMenus();
    FormCreate();
}

TMainForm::~TMainForm() {
    if (m_link && MainWindowLink::current() == m_link)
        MainWindowLink::install(nullptr);
    if (m_loginThread)
        m_loginThread->Stop();
    // Both watch this window; they go while it is still whole.
    delete m_effects;
    delete m_trayIcon;
}

void TMainForm::buildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedHeight(kHeaderHeight);
    Image1->setScaledContents(true);
    Image1->setContextMenuPolicy(Qt::CustomContextMenu);
    Image1->installEventFilter(this);
    layout->addWidget(Image1);

    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedHeight(kPanelHeight);
    Panel3->setContextMenuPolicy(Qt::CustomContextMenu);
    Image3 = new QLabel(Panel3);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setScaledContents(true);
    Image3->setGeometry(0, 0, kClientWidth, kPanelHeight);
    Image3->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(Panel3);

    const QList<std::pair<TImageButton**, QString>> buttons = {
        {&AddContactButton, QStringLiteral("Добавить контакт")},
        {&SpeedButton3, QStringLiteral("Редактировать контакт")},
        {&ButDelContact, QStringLiteral("Удалить контакт")},
        {&ButOptions, kSettings},
        {&SpeedButton1, QStringLiteral("История")},
        {&SpeedButton2, QStringLiteral("Оплата")},
        {&ButTray, QStringLiteral("Свернуть")},
        {&ButClose, kClose},
    };
    const int left =
        (kClientWidth - (int(buttons.size()) - 1) * kToolButtonStep - SkinSprites::ButtonSize) / 2;
    for (int i = 0; i < buttons.size(); ++i) {
        auto* button = new TImageButton(Panel3);
        button->setToolTip(buttons[i].second);
        button->setGeometry(left + i * kToolButtonStep, kToolButtonTop, SkinSprites::ButtonSize,
                            SkinSprites::ButtonSize);
        *buttons[i].first = button;
    }
    AddContactButton->setObjectName(QStringLiteral("AddContactButton"));
    SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    ButDelContact->setObjectName(QStringLiteral("ButDelContact"));
    ButOptions->setObjectName(QStringLiteral("ButOptions"));
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    ButTray->setObjectName(QStringLiteral("ButTray"));
    ButClose->setObjectName(QStringLiteral("ButClose"));

    ContactTree = new ContactTreeView(this);
    ContactTree->setObjectName(QStringLiteral("ContactTree"));
    ContactTree->setFrameShape(QFrame::NoFrame);
    ContactTree->setBook(m_book);
    ContactTree->saveContacts = [this] { SaveContacts(); };
    ContactTree->openPage = [this](const PageRequest& page) {
        if (m_options.dialogs.createNewPage)
            m_options.dialogs.createNewPage(page.sender, page.name, page.number, page.sign,
                                            page.text, page.translit, page.node);
    };
    layout->addWidget(ContactTree, 1);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    m_statusLabel = new QLabel(StatusBar);
    StatusBar->addWidget(m_statusLabel, 1);
    StatusBar->installEventFilter(this);
    m_statusLabel->installEventFilter(this);
    layout->addWidget(StatusBar);
    // The grip sizes the window itself, so that sizing snaps to the work area like moving.
    m_sizeGrip = StatusBar->findChild<QSizeGrip*>();
    if (m_sizeGrip)
        m_sizeGrip->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setInterval(60000);
    Timer2 = new QTimer(this);
    Timer2->setInterval(30000);
    ConnectTimeOutTimer = new QTimer(this);
    ConnectTimeOutTimer->setInterval(30000);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TMainForm::Timer2Timer);
    connect(ConnectTimeOutTimer, &QTimer::timeout, this, &TMainForm::ConnectTimeOutTimerTimer);

    connect(AddContactButton, &TImageButton::clicked, this, &TMainForm::AddContactClick);
    connect(SpeedButton3, &TImageButton::clicked, this, &TMainForm::EditContactClick);
    connect(ButDelContact, &TImageButton::clicked, ContactTree,
            &ContactTreeView::ButDelContactClick);
    connect(ButOptions, &TImageButton::clicked, this, [this] {
        if (m_options.dialogs.settings)
            m_options.dialogs.settings();
    });
    connect(SpeedButton1, &TImageButton::clicked, this, &TMainForm::SpeedButton1Click);
    connect(SpeedButton2, &TImageButton::clicked, this, &TMainForm::SpeedButton2Click);
    connect(ButTray, &TImageButton::clicked, this, &TMainForm::hideToTray);
    connect(ButClose, &TImageButton::clicked, this, &QWidget::close);

    connect(new QShortcut(Qt::Key_F1, this), &QShortcut::activated, this, &TMainForm::HelpClick);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this,
            &TMainForm::hideToTray);
}

void TMainForm::buildMenus() {
    const auto about = [this] {
        if (m_options.dialogs.about)
            m_options.dialogs.about();
    };
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    PopupSendAction = PopupMenu->addAction(smallIcon(IconSend), kSendSms);
    PopupMenu->setDefaultAction(PopupSendAction);
    connect(PopupSendAction, &QAction::triggered, ContactTree,
            &ContactTreeView::ContactTreeDblClick);
    PopupMenu->addSeparator();
    PopupAddAction = PopupMenu->addAction(smallIcon(IconAdd), QStringLiteral("Добавить абонента"));
    connect(PopupAddAction, &QAction::triggered, this, &TMainForm::AddContactClick);
    PopupEditAction = PopupMenu->addAction(smallIcon(IconEdit), QStringLiteral("Редактировать"));
    connect(PopupEditAction, &QAction::triggered, this, &TMainForm::EditContactClick);
    PopupDeleteAction = PopupMenu->addAction(smallIcon(IconDelete), QStringLiteral("Удалить"));
    connect(PopupDeleteAction, &QAction::triggered, ContactTree,
            &ContactTreeView::ButDelContactClick);
    PopupMenu->addSeparator();
    N21 = PopupMenu->addAction(smallIcon(IconSaveOnServer), QStringLiteral("Сохранить на сервере"));
    connect(N21, &QAction::triggered, this, &TMainForm::N21Click);
    N22 =
        PopupMenu->addAction(smallIcon(IconLoadFromServer), QStringLiteral("Загрузить с сервера"));
    connect(N22, &QAction::triggered, this, &TMainForm::N22Click);
    PopupMenu->addSeparator();
    PopupSortAction =
        PopupMenu->addAction(ContactTreeView::sortPicture(), ContactTreeView::kSortCaption);
    connect(PopupSortAction, &QAction::triggered, ContactTree, &ContactTreeView::N24Click);
    connect(PopupMenu, &QMenu::aboutToShow, this,
            [this] { ContactTree->PopupMenuPopup(PopupSendAction, PopupSortAction); });
    N16 = PopupMenu->addSeparator();
    connect(PopupMenu->addAction(smallIcon(IconHelp), kHelp), &QAction::triggered, this,
            &TMainForm::HelpClick);
    connect(PopupMenu->addAction(smallIcon(IconAbout), kAbout), &QAction::triggered, this, about);
    PopupMenu->addSeparator();
    connect(PopupMenu->addAction(smallIcon(IconClose), kClose), &QAction::triggered, this,
            &QWidget::close);
    SetServerContactsVisible(false);

    TrayMenu = new QMenu(this);
    TrayMenu->setObjectName(QStringLiteral("TrayMenu"));
    TrayMenuSend = TrayMenu->addMenu(smallIcon(IconSend), kSendSms);
    TrayMenu->addSeparator();
    N15 = TrayMenu->addAction(QStringLiteral("Поверх всех окон"));
    N15->setCheckable(true);
    // The menu has flipped the mark already when this runs.
    connect(N15, &QAction::triggered, this, [this] {
        applyStacking();
        Settings(*m_registry).set(Setting::StayOnTop, N15->isChecked());
    });
    connect(TrayMenu->addAction(smallIcon(IconSettings), kSettings), &QAction::triggered, this,
            [this] {
                if (m_options.dialogs.settings)
                    m_options.dialogs.settings();
            });
    TrayMenu->addSeparator();
    connect(TrayMenu->addAction(smallIcon(IconHelp), kHelp), &QAction::triggered, this,
            &TMainForm::HelpClick);
    connect(TrayMenu->addAction(smallIcon(IconAbout), kAbout), &QAction::triggered, this, about);
    TrayMenu->addSeparator();
    connect(TrayMenu->addAction(smallIcon(IconClose), kClose), &QAction::triggered, this,
            &QWidget::close);

    const auto trayMenuAt = [this](QWidget* widget) {
        connect(widget, &QWidget::customContextMenuRequested, this,
                [this, widget](const QPoint& pos) { TrayMenu->popup(widget->mapToGlobal(pos)); });
    };
    trayMenuAt(Image1);
    trayMenuAt(Panel3);
    trayMenuAt(Image3);
    connect(ContactTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        ContactTree->ContactTreeContextPopup(pos);
        PopupMenu->popup(ContactTree->viewport()->mapToGlobal(pos));
    });
}

void TMainForm::FormCreate() {
    // The history window and the send flow read the file only in its present layout; a
    // file that cannot be read is reported there, when it is read.
    HistoryFile().ConvertHistory();

    m_loginThread = m_options.refresh ? new TGetUserInfoThread(m_options.refresh, this)
                                      : new TGetUserInfoThread(this);
    m_loginThread->start();

    loadSkinPictures();

    m_instance = new SingleInstance(m_options.instanceName.isEmpty() ? SingleInstance::defaultName()
                                                                     : m_options.instanceName,
                                    this);
    if (m_instance->handOver(kMessageShow, kMessageShow)) {
        m_creation = Creation::SecondInstance;
        return;
    }
    m_instance->listen();
    m_link = std::make_shared<MainWindowBridge>(this);
    MainWindowLink::install(m_link);
    connect(m_instance, &SingleInstance::messageReceived, this, &TMainForm::WMUserMessage);

    setWindowTitle(kTitle);

    m_registry = m_options.registry ? m_options.registry : std::make_shared<Registry>();
    ServiceState::SetSettingsStore(m_registry);
    Settings settings(*m_registry);
    ServiceState::CheckTextLength.set(settings.checkTextLength());
    std::optional<Settings::ServerAddress> address = settings.serverAddress();
    if (!address)
        address = settings.runFirstStart({});
    ServiceState::SetServiceAddress(address->host, address->port);

    if (!checkAccessPassword()) {
        m_creation = Creation::GaveUp;
        return;
    }
    while (ServiceState::UserKey.get().isEmpty() && m_options.dialogs.registration) {
        if (!m_options.dialogs.registration()) {
            m_creation = Creation::GaveUp;
            return;
        }
    }

    m_store = std::make_unique<ContactStore>(*m_registry);
    try {
        m_store->LoadContacts(*m_book, m_options.bookReadAhead ? m_options.bookReadAhead->take()
                                                               : std::nullopt);
    } catch (const ContactStoreError& error) {
        Prompts::error(this, QString::fromStdString(error.what()));
    }
    m_storeFollower = new StoreFollower(*m_registry, *m_store, *m_book, *ContactTree, this);

    m_trayIcon = new TrayIcon(settings, *m_book, this);
    QList<QIcon> images;
    for (const QImage& image : SkinUnit::active().sprites().smallIcons())
        images << QIcon(QPixmap::fromImage(image));
    m_trayIcon->setMenu(TrayMenu, TrayMenuSend, images);
    connect(m_trayIcon, &TrayIcon::trayClick, this, &TMainForm::trayClick);
    connect(m_trayIcon, &TrayIcon::contactChosen, this, [this](const TrayContact& contact) {
        if (m_options.dialogs.createNewPage && !contact.Number.isEmpty())
            m_options.dialogs.createNewPage(contact.Sender, contact.Name, contact.Number,
                                            contact.Sign, QString(), contact.Translit, nullptr);
    });

    requestUserInfo();

    move(settings.get(Setting::Left), settings.get(Setting::Top));
    setFixedWidth(kClientWidth);
    setMinimumHeight(kMinHeight);
    resize(kClientWidth, qMax(kMinHeight, settings.get(Setting::Height)));

    m_effects = new WindowEffects(this, settings, this);
    m_effects->applyStoredTranslucency();

    N15->setChecked(!settings.get(Setting::StayOnTop));
    N15Click();

    m_effects->start();
}

void TMainForm::loadSkinPictures() {
    const SkinUnit& skin = SkinUnit::active();
    Image1->setPixmap(QPixmap::fromImage(skin.picture(QStringLiteral("2.bmp"))));
    Image3->setPixmap(QPixmap::fromImage(skin.picture(QStringLiteral("3.bmp"))));

    TImageButton* const order[] = {AddContactButton, SpeedButton3, ButDelContact, ButOptions,
                                   SpeedButton1,     SpeedButton2, ButTray,       ButClose};
    for (int i = 0; i < SkinSprites::ToolbarButtonCount; ++i) {
        TImageButton* button = order[i];
        const SkinSprites& sprites = skin.sprites();
        button->setNoneBitmap(sprites.toolbarButton(i, SkinSprites::ButtonState::None));
        button->setOverBitmap(sprites.toolbarButton(i, SkinSprites::ButtonState::Over));
        button->setDownBitmap(sprites.toolbarButton(i, SkinSprites::ButtonState::Down));
        button->resize(SkinSprites::ButtonSize, SkinSprites::ButtonSize);
        button->update();
    }
    ContactTree->setItemDelegate(
        new ContactTreeDelegate(skin.sprites().smallIcon(0), skin.sprites().smallIcon(1), this));

    skin.dress(this, {});
    for (QWidget* widget :
         {static_cast<QWidget*>(ContactTree), Panel3, static_cast<QWidget*>(StatusBar)})
        SkinUnit::setBackground(widget, skin.Main());
}

// A key protected by the access password is asked for until the password unscrambles it
// into a well-formed key, or the user gives up.
bool TMainForm::checkAccessPassword() {
    const QString stored = Settings(*m_registry).storedUserKey();
    m_storedKeyText = stored;
    const QByteArray storedBytes = Ansi::fromUnicode(stored);
    if (!AccountKey::isProtected(storedBytes)) {
        ServiceState::UserKey.set(stored);
        return true;
    }
    // No password could unlock it: rather than a prompt that takes any text or none, the
    // user hears why and goes on to registration, which also offers the account restore.
    if (AccountKey::isUnreadable(storedBytes)) {
        m_storedKeyText.clear();
        ServiceState::UserKey.set(QString());
        Prompts::error(this, kUnreadableKey);
        return true;
    }
    const QByteArray protectedKey = AccountKey::storedKeyText(storedBytes);
    m_storedKeyText = Ansi::toUnicode(protectedKey);
    for (;;) {
        const std::optional<QString> password =
            m_options.dialogs.password
                ? m_options.dialogs.password()
                : Prompts::inputText(this, kPasswordCaption, kPasswordPrompt);
        if (!password)
            return false;
        const QByteArray key =
            StoredValueCipher::ScrambleWithPassword(protectedKey, Ansi::fromUnicode(*password));
        if (StoredValueCipher::IsPlainUserKey(key)) {
            ServiceState::UserKey.set(Ansi::toUnicode(key));
            return true;
        }
        const auto answer =
            Prompts::message(this, kWrongPassword, QStringLiteral("Error"), QMessageBox::Critical,
                             QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry);
        if (answer != QMessageBox::Retry)
            return false;
    }
}

void TMainForm::setSendForm(TSendForm* form) {
    m_sendForm = form;
}

void TMainForm::setHistoryForm(THistoryForm* form) {
    m_historyForm = form;
}

bool TMainForm::trayIconAdded() const {
    return m_trayIcon && m_trayIcon->TrayIconAdded();
}

QString TMainForm::statusText() const {
    return m_statusLabel->text();
}

void TMainForm::WMUserMessage(int wParam, int lParam) {
    switch (wParam) {
    case kMessageShow:
        if (lParam == kMessageShow)
            trayClick();
        break;
    case kMessageServiceNotice:
        ShowServiceMessage();
        break;
    case kMessageRegistration:
        OfferRegistration();
        break;
    case kMessageLowBalance:
        SpeedButton2Click();
        break;
    default:
        break;
    }
}

void TMainForm::ShowServiceMessage() {
    const QString text = ServiceState::ServiceMessage.exchange(QString());
    if (m_options.dialogs.info)
        m_options.dialogs.info(text);
    QCoreApplication::processEvents();
    PlaySoundFile(Settings(*m_registry).get(Setting::SoundSentOK));
}

void TMainForm::OfferRegistration() {
    ServiceState::RegistrationOffered.set(true);
    // Giving up ends the program, as it does at start. Queued, so that the login thread
    // waiting for this message is let go before the window closes.
    if (m_options.dialogs.registration && !m_options.dialogs.registration())
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TMainForm::RestartBalanceTimer() {
    Timer1->stop();
    Timer1->start();
}

void TMainForm::SaveWindowPosition() {
    Settings settings(*m_registry);
    Registry::Transaction batch(*m_registry);
    settings.set(Setting::Left, x());
    settings.set(Setting::Top, y());
    settings.set(Setting::Height, height());
    batch.commit();
}

void TMainForm::SaveContacts() {
    if (!m_store)
        return;
    try {
        if (m_store->SaveContacts(*m_book) == ContactStore::SaveResult::ChangedElsewhere)
            m_storeFollower->resolveSaveConflict();
    } catch (const ContactStoreError& error) {
        Prompts::error(this, QString::fromStdString(error.what()));
    }
    const QString notice = m_store->takeSkippedSaveNotice();
    if (!notice.isEmpty())
        Prompts::information(this, notice);
}

void TMainForm::PlaySoundFile(const QString& path) {
    Sound::playFile(path);
}

void TMainForm::ShowBalloon(const QString& title, const QString& text,
                            MainWindowLink::BalloonKind kind, int timeoutMs) {
    if (m_trayIcon)
        m_trayIcon->ShowBalloon(title, text,
                                kind == MainWindowLink::BalloonKind::Error ? kBalloonError
                                                                           : kBalloonInformation,
                                timeoutMs);
}

void TMainForm::SetStatusText(const QString& text) {
    m_statusLabel->setText(text);
}

void TMainForm::SetServerContactsVisible(bool visible) {
    N21->setVisible(visible);
    N22->setVisible(visible);
    N16->setVisible(visible);
}

void TMainForm::EnableConnectTimeOutTimer() {
    ConnectTimeOutTimer->start();
}

void TMainForm::requestUserInfo() {
    m_loginThread->RequestUserInfo();
}

void TMainForm::trayClick() {
    if (!trayIconAdded())
        return;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TMainForm::hideToTray() {
    // Without a tray the window could not be found again once hidden.
    if (!m_trayIcon || !m_trayIcon->isShownInTray()) {
        SaveWindowPosition();
        showMinimized();
        return;
    }
    MainAndSendWindows windows(*this, m_sendForm);
    ::hideToTray(windows, Settings(*m_registry).get(Setting::MinimizeSendWindow));
}

QPoint TMainForm::snappedPosition(const QPoint& planned) const {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return planned;
    return SnapToWorkArea(QRect(planned, frameGeometry().size()), screen->availableGeometry());
}

QRect TMainForm::sizedGeometry(const QRect& from, int heightChange) const {
    QRect planned = from;
    planned.setHeight(qMax(minimumHeight(), from.height() + heightChange));
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen)
        planned.moveTopLeft(SnapToWorkArea(planned, screen->availableGeometry()));
    return planned;
}

void TMainForm::StatusBarClick() {
    if (!m_statusClickArmed)
        return;
    m_statusClickArmed = false;
    Timer2->start();
    requestUserInfo();
}

void TMainForm::Timer1Timer() {
    Timer1->stop();
    requestUserInfo();
}

void TMainForm::Timer2Timer() {
    Timer2->stop();
    m_statusClickArmed = true;
}

void TMainForm::ConnectTimeOutTimerTimer() {
    ConnectTimeOutTimer->stop();
    requestUserInfo();
}

void TMainForm::N15Click() {
    N15->trigger();
}

void TMainForm::applyStacking() {
    const bool onTop = N15->isChecked();
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        show();
        setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
}

void TMainForm::SpeedButton1Click() {
    if (m_historyForm)
        m_historyForm->showForNumber(QString());
}

void TMainForm::AddContactClick() {
    TAddContactForm::runAdd(
        *m_book, ContactTree->selectedEntry(), [this] { SaveContacts(); }, this);
}

void TMainForm::EditContactClick() {
    TAddContactForm::runEdit(
        *m_book, ContactTree->selectedEntry(), [this] { SaveContacts(); }, this);
}

// Both entries exist only while the service keeps contacts for the account.
void TMainForm::N21Click() {
    if (N21->isVisible())
        ServerContacts::N21Click(this, *m_book);
}

void TMainForm::N22Click() {
    if (N22->isVisible())
        ServerContacts::N22Click(this, *m_book);
}

void TMainForm::SpeedButton2Click() {
    const Qt::KeyboardModifiers all = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier;
    const bool secretKeys = (QGuiApplication::queryKeyboardModifiers() & all) == all;
    if (secretKeys || ServiceState::ExtraOptionEnabled.get()) {
        if (m_options.dialogs.payWindow)
            m_options.dialogs.payWindow();
        return;
    }
    openPayment();
}

void TMainForm::openPayment() {
    const SkinColors& colors = SkinUnit::active().colorValues();
    const QString address = QStringLiteral("http://%1:%2/howpay.php?")
                                .arg(ServiceState::ServiceHost())
                                .arg(ServiceState::ServicePort()) +
                            MaskUserKey(ServiceState::UserKey.get()) + hexColor(colors.InfoText) +
                            hexColor(colors.Main);
    QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}

void TMainForm::HelpClick() {
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(AppPaths::shareFolder() + QStringLiteral("guide/index.html")));
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_trayIcon && !m_trayIcon->TrayIconAdded())
        m_trayIcon->add();
    if (m_sendForm && !m_sendForm->IsHidden)
        m_sendForm->show();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TMainForm::FormClose() {
    if (m_closed || m_creation != Creation::Running)
        return;
    m_closed = true;
    SaveContacts();
    SaveWindowPosition();
    m_effects->closingFade();
    if (MainWindowLink::current() == m_link)
        MainWindowLink::install(nullptr);
    m_loginThread->Stop();
    m_trayIcon->remove();
    emit FormClosed();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    const auto mouse = [event] { return static_cast<QMouseEvent*>(event); };
    if (watched == Image1) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (mouse()->button() == Qt::LeftButton) {
                m_dragging = true;
                m_dragOffset = mouse()->globalPosition().toPoint() - frameGeometry().topLeft();
                return true;
            }
            break;
        case QEvent::MouseMove:
            if (m_dragging) {
                move(snappedPosition(mouse()->globalPosition().toPoint() - m_dragOffset));
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (mouse()->button() == Qt::LeftButton && m_dragging) {
                m_dragging = false;
                return true;
            }
            break;
        default:
            break;
        }
    } else if (watched == m_sizeGrip && m_sizeGrip) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (mouse()->button() == Qt::LeftButton) {
                m_sizing = true;
                m_sizingStart = mouse()->globalPosition().toPoint();
                m_sizingFrom = frameGeometry();
            }
            return true;
        case QEvent::MouseMove:
            if (m_sizing) {
                const QRect planned = sizedGeometry(
                    m_sizingFrom, mouse()->globalPosition().toPoint().y() - m_sizingStart.y());
                move(planned.topLeft());
                resize(width(), planned.height());
            }
            return true;
        case QEvent::MouseButtonRelease:
            if (mouse()->button() == Qt::LeftButton)
                m_sizing = false;
            return true;
        default:
            break;
        }
    } else if ((watched == StatusBar || watched == m_statusLabel) &&
               event->type() == QEvent::MouseButtonRelease && mouse()->button() == Qt::LeftButton) {
        StatusBarClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
