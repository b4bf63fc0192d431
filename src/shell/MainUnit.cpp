#include "MainUnit.h"

#include "FirstFrame.h"
#include "MainFormLayout.h"
#include "StoreFollower.h"
#include "TrayIcon.h"
#include "UserKeyMask.h"
#include "WindowEffects.h"
#include "account/AccountKey.h"
#include "contacts/BookReadAhead.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "contacts/ui/ContactTreeView.h"
#include "history/HistoryFile.h"
#include "history/ui/HistoryUnit.h"
#include "messaging/ui/SendUnit.h"
#include "platform/Ansi.h"
#include "platform/AppPaths.h"
#include "platform/DisplayPlatform.h"
#include "platform/Registry.h"
#include "platform/SingleInstance.h"
#include "platform/Sound.h"
#include "platform/ui/Prompts.h"
#include "service/BlockingHandoff.h"
#include "service/ServiceClient.h"
#include "service/TGetUserInfoThread.h"
#include "shared/Settings.h"
#include "shared/StoredValueCipher.h"
#include "skins/ui/SkinUnit.h"
#include "widgets/WorkerCall.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QUrl>

namespace {

constexpr int kMinHeight = 250;

const QString kTitle = QStringLiteral("Varnelo");
const QString kWrongPassword = QStringLiteral("Неверный пароль!");
const QString kPasswordCaption = QStringLiteral("Авторизация");
const QString kPasswordPrompt = QStringLiteral("Введите пароль для доступа к программе.");
const QString kConfirmCaption = QStringLiteral("Подтверждение");
const QString kSendsInFlight =
    QStringLiteral("Идет отправка сообщений (%1). Дождаться ответа сервера?");
const QString kWaitingForServer = QStringLiteral("Ожидание ответа сервера...");
const QString kUnknownOutcomesItem = QStringLiteral("Результат отправки неизвестен...");
const QString kUnreadableKey =
    QStringLiteral("Сохраненный ключ аккаунта поврежден, прочитать его невозможно.\r\n"
                   "Зарегистрируйтесь заново или восстановите аккаунт (кнопка "
                   "\"Восстановление аккаунта\" в окне регистрации).");

QString hexColor(quint32 value) {
    return QStringLiteral("%1").arg(value & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper();
}

} // namespace

TMainForm::TMainForm(Options options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_options(std::move(options))
    , m_registry(m_options.client->sharedStore())
    , m_client(m_options.client)
    , m_login(std::make_shared<LoginRoutine>(m_client))
    , m_book(new ContactBook(this)) {
    setObjectName(QStringLiteral("MainForm"));
    buildControls();
    buildMenus();
    addUnknownOutcomesItem();
    FormCreate();
}

TMainForm::~TMainForm() {
    endWaitForSends();
    if (m_loginThread)
        m_loginThread->Stop();
    // Both watch this window; they go while it is still whole.
    delete m_effects;
    delete m_trayIcon;
}

void TMainForm::FormCreate() {
    // The history window and the send flow read the file only in its present layout; a
    // file that cannot be read is reported there, when it is read.
    HistoryFile::Damage historyDamage;
    HistoryFile().ConvertHistory(&historyDamage);

    // Each round hands its outcome to this window and waits until it is shown; the wait ends
    // when the window stops the thread on closing, so neither waits for the other.
    std::function<void()> round = m_options.refresh;
    if (!round) {
        round = [login = m_login, window = QPointer<TMainForm>(this)] {
            login->refresh([window](const LoginOutcome& outcome) {
                return RunAndWait(QCoreApplication::instance(), [window, outcome] {
                    if (window)
                        window->showLogin(outcome);
                });
            });
        };
    }
    m_loginThread = new TGetUserInfoThread(std::move(round), this);
    m_loginThread->start();

    loadSkinPictures();

    m_instance = new SingleInstance(m_options.instanceName.isEmpty() ? SingleInstance::defaultName()
                                                                     : m_options.instanceName,
                                    this);
    if (m_instance->handOver(SingleInstance::kShowWindow, SingleInstance::kShowWindow)) {
        m_creation = Creation::SecondInstance;
        return;
    }
    m_instance->listen();
    // Told by the copy that stays, not by one that only hands over.
    if (historyDamage)
        Prompts::error(this, historyDamage->message());
    connect(m_instance, &SingleInstance::messageReceived, this, [this](int request, int detail) {
        if (request == SingleInstance::kShowWindow && detail == SingleInstance::kShowWindow)
            trayClick();
    });

    setWindowTitle(kTitle);

    Settings settings(*m_registry);
    if (!settings.serverAddress())
        settings.runFirstStart({});
    rememberFileFolders();

    if (!checkAccessPassword()) {
        m_creation = Creation::GaveUp;
        return;
    }
    while (m_client->userKey().isEmpty() && m_options.dialogs.registration) {
        if (!m_options.dialogs.registration({})) {
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
    m_storeFollower = new StoreFollower(*m_registry, *m_store, *m_book, *m_contactTree, this);

    createTrayIcon(settings);

    requestUserInfo();

    // A Wayland compositor places windows itself; the position X11 left is kept for it.
    if (placesItself())
        move(settings.get(Setting::Left), settings.get(Setting::Top));
    setFixedWidth(MainFormLayout::kClientWidth);
    setMinimumHeight(kMinHeight);
    resize(MainFormLayout::kClientWidth, qMax(kMinHeight, settings.get(Setting::Height)));

    m_effects = new WindowEffects(this, settings, this);
    m_effects->applyStoredTranslucency();

    m_stayOnTopAction->setChecked(!settings.get(Setting::StayOnTop));
    toggleStayOnTop();

    m_effects->start();
}

// A key protected by the access password is asked for until the password unscrambles it
// into a well-formed key, or the user gives up.
bool TMainForm::checkAccessPassword() {
    const QString stored = Settings(*m_registry).storedUserKey();
    m_storedKeyText = stored;
    const QByteArray storedBytes = Ansi::fromUnicode(stored);
    if (!AccountKey::isProtected(storedBytes)) {
        m_client->setUserKey(stored);
        return true;
    }
    // No password could unlock it: rather than a prompt that takes any text or none, the
    // user hears why and goes on to registration, which also offers the account restore.
    if (AccountKey::isUnreadable(storedBytes)) {
        m_storedKeyText.clear();
        m_client->setUserKey(QString());
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
            m_client->setUserKey(Ansi::toUnicode(key));
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

QString TMainForm::statusText() const {
    return m_statusLabel->text();
}

void TMainForm::showLogin(const LoginOutcome& outcome) {
    if (outcome.serverContactsVisible)
        SetServerContactsVisible(*outcome.serverContactsVisible);
    if (!outcome.notice.isEmpty())
        showServiceNotice(outcome.notice);
    if (outcome.statusText)
        SetStatusText(*outcome.statusText);
    if (outcome.balloon)
        ShowBalloon(*outcome.balloon);
    if (outcome.retryLater)
        enableLoginRetry();
    if (outcome.offerRegistration && m_client->userKey().isEmpty() && !m_registrationOffered)
        OfferRegistration();
}

void TMainForm::showServiceNotice(const QString& text) {
    if (m_options.dialogs.info)
        m_options.dialogs.info(text);
    // Played on a worker: the notice paints and the window goes on while the sound lasts.
    runThenCallback(
        this, [path = Settings(*m_registry).get(Setting::SoundSentOK)] { PlaySoundFile(path); }, {},
        {});
}

void TMainForm::OfferRegistration() {
    m_registrationOffered = true;
    // A restored account is tried at once, and may be offered registration again.
    const auto restored = [window = QPointer<TMainForm>(this)] {
        if (!window)
            return;
        window->m_registrationOffered = false;
        window->requestUserInfo();
    };
    if (m_options.dialogs.registration && !m_options.dialogs.registration(restored))
        endAtOnce();
}

void TMainForm::endAtOnce() {
    // As a give-up at start: the closing steps never run, so nothing is saved and nothing
    // fades; the login thread waiting for this message is let go when the handler returns.
    m_creation = Creation::GaveUp;
    emit EndedAtOnce();
}

void TMainForm::SaveWindowPosition() {
    Settings settings(*m_registry);
    Registry::Transaction batch(*m_registry);
    // Under Wayland the window never learns where it is: its 0, 0 would overwrite the place
    // an X11 session saved.
    if (placesItself()) {
        settings.set(Setting::Left, x());
        settings.set(Setting::Top, y());
    }
    settings.set(Setting::Height, height());
    batch.commit();
}

bool TMainForm::placesItself() {
    return !DisplayPlatform::isWayland(QGuiApplication::platformName());
}

void TMainForm::PlaySoundFile(const QString& path) {
    Sound::playFile(path);
}

void TMainForm::SetStatusText(const QString& text) {
    m_statusLabel->setText(text);
}

void TMainForm::requestUserInfo() {
    m_loginThread->RequestUserInfo();
}

void TMainForm::showHistory() {
    if (m_historyForm)
        m_historyForm->showForNumber(QString());
}

void TMainForm::showPayment() {
    const Qt::KeyboardModifiers all = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier;
    const bool secretKeys = (QGuiApplication::queryKeyboardModifiers() & all) == all;
    if (secretKeys || m_client->account().extraOptionEnabled) {
        if (m_options.dialogs.payWindow)
            m_options.dialogs.payWindow();
        return;
    }
    openPayment();
}

void TMainForm::openPayment() {
    const SkinColors& colors = SkinUnit::active().colorValues();
    const Settings::ServerAddress server = m_client->serverAddress();
    const QString address =
        QStringLiteral("http://%1:%2/howpay.php?").arg(server.host).arg(server.port) +
        MaskUserKey(m_client->userKey()) + hexColor(colors.InfoText) + hexColor(colors.Main);
    QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}

void TMainForm::HelpClick() {
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(AppPaths::shareFolder() + QStringLiteral("guide/index.html")));
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_trayIcon && !m_trayIcon->TrayIconAdded()) {
        // The first time, after the window's first frame: the tray's pictures and its
        // questions to the desktop are no part of what the user waits for.
        if (m_shownOnce) {
            m_trayIcon->add();
        } else {
            m_trayAddPending = true;
            FirstFrame::then(*this, [this] { addPendingTrayIcon(); });
        }
    }
    m_shownOnce = true;
    if (m_sendForm && !m_sendForm->IsHidden)
        m_sendForm->show();
}

void TMainForm::addUnknownOutcomesItem() {
    m_unknownOutcomesAction = new QAction(kUnknownOutcomesItem, m_trayMenu);
    // Beside "Отправить СМС": both are about sending.
    m_trayMenu->insertAction(m_trayMenu->actions().value(1), m_unknownOutcomesAction);
    m_unknownOutcomesAction->setVisible(false);
    connect(m_unknownOutcomesAction, &QAction::triggered, this, [this] {
        if (m_options.dialogs.unknownOutcomes)
            m_options.dialogs.unknownOutcomes();
    });
    // Asked at each opening: varnelo-cli settles and leaves such sends too.
    connect(m_trayMenu, &QMenu::aboutToShow, this, [this] {
        m_unknownOutcomesAction->setVisible(m_options.dialogs.hasUnknownOutcomes &&
                                            m_options.dialogs.hasUnknownOutcomes());
    });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!m_leaveSends && keepOpenForSends()) {
        event->ignore();
        return;
    }
    endWaitForSends();
    FormClose();
    // Closed again once the closing fade is over.
    if (m_effects && m_effects->closingFadeRunning()) {
        event->ignore();
        return;
    }
    event->accept();
}

// The user closes while messages are out: whether to wait for the server's reply, which
// keeps them out of the unknown outcomes. True while the window stays to wait.
bool TMainForm::keepOpenForSends() {
    // A second close while it waits goes at once.
    if (m_waitingForSends || m_closed || m_creation != Creation::Running || !m_sendForm)
        return false;
    const int messages = m_sendForm->messagesInFlight();
    if (messages == 0)
        return false;
    const QMessageBox::StandardButton answer =
        Prompts::message(this, kSendsInFlight.arg(messages), kConfirmCaption, QMessageBox::Question,
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return false;
    waitForSendsThenClose(-1);
    return true;
}

void TMainForm::closeWithoutAsking(int timeoutMs) {
    if (m_closed || m_creation != Creation::Running)
        return;
    const bool bounded = m_sendsDeadline && m_sendsDeadline->isActive();
    if (bounded || !m_sendForm || (!m_waitingForSends && m_sendForm->messagesInFlight() == 0)) {
        closeAfterWait();
        return;
    }
    // Kept before the wait: whoever ends the session may not wait as long.
    SaveContacts();
    SaveWindowPosition();
    if (m_waitingForSends)
        m_sendsDeadline->start(timeoutMs);
    else
        waitForSendsThenClose(timeoutMs);
}

// The event loop goes on meanwhile: the sends' results reach the window and the history.
void TMainForm::waitForSendsThenClose(int timeoutMs) {
    if (!m_sendsDeadline) {
        m_sendsDeadline = new QTimer(this);
        m_sendsDeadline->setSingleShot(true);
        connect(m_sendsDeadline, &QTimer::timeout, this, &TMainForm::closeAfterWait);
    }
    m_waitingForSends = true;
    SetStatusText(kWaitingForServer);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_sendsWatch = connect(m_sendForm, &TSendForm::SendsChanged, this, [this] {
        if (m_sendForm->messagesInFlight() == 0)
            closeAfterWait();
    });
    if (timeoutMs >= 0)
        m_sendsDeadline->start(timeoutMs);
}

void TMainForm::closeAfterWait() {
    m_leaveSends = true;
    close();
}

void TMainForm::endWaitForSends() {
    if (!m_waitingForSends)
        return;
    m_waitingForSends = false;
    disconnect(m_sendsWatch);
    m_sendsDeadline->stop();
    QGuiApplication::restoreOverrideCursor();
}

void TMainForm::FormClose() {
    if (m_closed || m_creation != Creation::Running)
        return;
    m_closed = true;
    SaveContacts();
    SaveWindowPosition();
    // The window stays on the screen while it fades; the closing goes on after the fade.
    if (m_effects->closingFade([this] {
            finishClosing();
            close();
        }))
        return;
    finishClosing();
}

void TMainForm::finishClosing() {
    m_loginThread->Stop();
    m_trayIcon->remove();
    emit FormClosed();
}

void TMainForm::rememberFileFolders() {
    const std::weak_ptr<Registry> store = m_registry;
    Prompts::rememberFoldersWith({[store] {
                                      const std::shared_ptr<Registry> registry = store.lock();
                                      return registry ? Settings(*registry).get(Setting::LastFolder)
                                                      : QString();
                                  },
                                  [store](const QString& folder) {
                                      // A store that cannot be written only costs the remembered
                                      // folder.
                                      if (const std::shared_ptr<Registry> registry = store.lock()) {
                                          try {
                                              Settings(*registry).set(Setting::LastFolder, folder);
                                          } catch (const RegistryError&) {
                                          }
                                      }
                                  }});
}
