#pragma once

#include "service/LoginRoutine.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

struct BookEntry;
class BookEdit;
class BookReadAhead;
class ContactBook;
class ContactTreeView;
class ContactStore;
class QAction;
class QBoxLayout;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class Registry;
class ServiceClient;
class Settings;
class SingleInstance;
class StoreFollower;
class TGetUserInfoThread;
class THistoryForm;
class TImageButton;
class TSendForm;
class TrayIcon;
class WindowEffects;

// The program's central window: header, tool panel, contact tree and status bar. Its creation
// is the second half of start-up; it owns the settings store, the contact book and the login
// thread for the run, and receives the program's internal messages.
class TMainForm : public QWidget {
    Q_OBJECT
public:
    // How creation ended: a window to show, or a program that must end at once.
    enum class Creation { Running, SecondInstance, GaveUp };

    // The windows that other parts of the program bring; each is optional, and a command
    // whose window is missing does nothing.
    struct Dialogs {
        // The access password; nothing when the user cancelled. Without one, an input box.
        std::function<std::optional<QString>()> password;
        // Registration; false when the user gave up, which ends the program. `restored`,
        // when given, is called after an account was restored instead.
        std::function<bool(const std::function<void()>& restored)> registration;
        std::function<void(const QString& text)> info;
        std::function<void()> settings;
        std::function<void()> about;
        std::function<void()> payWindow;
        // The send window's CreateNewPage: a page for one contact or a whole group (numbers
        // joined by "|"). `node` is the tree's entry (see ContactBook::entryPointer), or
        // null for a contact chosen from the tray menu.
        std::function<void(const QString& sender, const QString& name, const QString& number,
                           const QString& sign, const QString& text, bool translit,
                           BookEntry* node)>
            createNewPage;
        // The sends of unknown outcome: whether the send journal holds any, and their dialog.
        std::function<bool()> hasUnknownOutcomes;
        std::function<void()> unknownOutcomes;
        // "Запланированные": the messages waiting in the send journal for their moment.
        std::function<void()> scheduledSends;
    };

    struct Options {
        Dialogs dialogs;
        // The way into the service, with the settings store of the run.
        std::shared_ptr<ServiceClient> client;
        // Replaces the login round (tests).
        std::function<void()> refresh;
        // The single-instance name; empty takes the per-user one.
        QString instanceName;
        // The stored contact book, read while the rest of the start went on.
        std::shared_ptr<BookReadAhead> bookReadAhead;
    };

    explicit TMainForm(Options options = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    Creation creation() const { return m_creation; }

    void setSendForm(TSendForm* form);
    void setHistoryForm(THistoryForm* form);

    // The icon in the notification area and the window's opacity, for the settings dialog.
    TrayIcon* trayIcon() const { return m_trayIcon; }
    WindowEffects* windowEffects() const { return m_effects; }

    // Its controls, for the window's own parts and for tests.
    QLabel* headerImage() const { return m_headerImage; }
    QWidget* toolPanel() const { return m_toolPanel; }
    QLabel* toolPanelImage() const { return m_toolPanelImage; }
    TImageButton* addContactButton() const { return m_addContactButton; }
    TImageButton* editContactButton() const { return m_editContactButton; }
    TImageButton* deleteContactButton() const { return m_deleteContactButton; }
    TImageButton* settingsButton() const { return m_settingsButton; }
    TImageButton* historyButton() const { return m_historyButton; }
    TImageButton* paymentButton() const { return m_paymentButton; }
    TImageButton* hideToTrayButton() const { return m_hideToTrayButton; }
    TImageButton* closeButton() const { return m_closeButton; }
    ContactTreeView* contactTree() const { return m_contactTree; }
    QStatusBar* statusBar() const { return m_statusBar; }
    QMenu* treeMenu() const { return m_treeMenu; }
    QMenu* trayMenu() const { return m_trayMenu; }
    QMenu* traySendMenu() const {
        return m_traySendMenu;
    } // "Отправить СМС": the contacts, filled at each opening
    QAction* stayOnTopAction() const { return m_stayOnTopAction; } // "Поверх всех окон"
    QAction* serverBookSeparator() const {
        return m_serverBookSeparator;
    } // the separator shown with the two server entries
    QAction* uploadBookAction() const { return m_uploadBookAction; } // "Сохранить на сервере"
    QAction* downloadBookAction() const { return m_downloadBookAction; } // "Загрузить с сервера"
    QAction* treeSendAction() const { return m_treeSendAction; }
    QAction* treeAddAction() const { return m_treeAddAction; }
    QAction* treeEditAction() const { return m_treeEditAction; }
    QAction* treeDeleteAction() const { return m_treeDeleteAction; }
    QAction* treeSortAction() const { return m_treeSortAction; }
    QAction* importContactsAction() const {
        return m_importContactsAction;
    } // "Импорт контактов..."
    QAction* exportContactsAction() const {
        return m_exportContactsAction;
    } // "Экспорт контактов..."
    // "Результат отправки неизвестен...", in the header's and the tray's menu while the send
    // journal holds such sends.
    QAction* unknownOutcomesAction() const { return m_unknownOutcomesAction; }
    // "Запланированные...", in the header's and the tray's menu.
    QAction* scheduledAction() const { return m_scheduledAction; }
    QTimer* balanceTimer() const { return m_balanceTimer; }
    QTimer* statusClickPause() const { return m_statusClickPause; }
    QTimer* loginRetryTimer() const { return m_loginRetryTimer; }

    ContactBook& book() const { return *m_book; }
    std::shared_ptr<Registry> settingsStore() const { return m_registry; }
    const std::shared_ptr<ServiceClient>& serviceClient() const { return m_client; }
    // What the logins remember between rounds (tests set it).
    LoginRoutine& loginRoutine() const { return *m_login; }
    QString statusText() const;
    bool statusClickArmed() const { return m_statusClickArmed; }
    bool trayIconAdded() const;
    QString StoredKeyText() const { return m_storedKeyText; }

    void RestartBalanceTimer();
    // Left, Top (where the window places itself) and Height to the settings store.
    void SaveWindowPosition();
    // Whether the window system lets a window place and move itself (not so under Wayland).
    static bool placesItself();
    void SaveContacts();
    // After an edit of the user's, which is made again on a book stored elsewhere meanwhile.
    void SaveContacts(const BookEdit& edit);
    static void PlaySoundFile(const QString& path);
    void ShowBalloon(const LoginOutcome::Balloon& balloon);
    void SetStatusText(const QString& text);
    void SetServerContactsVisible(bool visible);
    void enableLoginRetry();
    // A notice of the service in the information window, with the SoundSentOK sound.
    void showServiceNotice(const QString& text);
    // What a login found: the status, a balloon, the retry, the registration it asks for.
    void showLogin(const LoginOutcome& outcome);
    // The login found a key the service does not know: registration, once per key.
    void OfferRegistration();

    // Asks the login thread for one refresh.
    void requestUserInfo();

    // The session's end or a termination signal: the closing steps without a question. The
    // position and the book are kept at once; sends in flight are awaited at most
    // `timeoutMs`, then left to the send journal. A wait the user chose gets that bound too;
    // called again while a bounded wait runs, it closes at once.
    void closeWithoutAsking(int timeoutMs);

    // Shows the window again from the tray, with the send window when it was open.
    void trayClick();
    // m_hideToTrayButton and Esc.
    void hideToTray();
    // The tray icon of the first show, now, if it still waits.
    void addPendingTrayIcon();

    // The header's drag: where a window whose top left corner is planned at `planned` lands.
    QPoint snappedPosition(const QPoint& planned) const;
    // The size grip's drag: the window planned at `from` grown by `heightChange` pixels (the
    // width is fixed), at its snapped place.
    QRect sizedGeometry(const QRect& from, int heightChange) const;

    // Handlers.
    void statusBarClick();
    void refreshBalance();
    void rearmStatusClick();
    void retryLogin();
    void toggleStayOnTop();
    void showHistory();
    // The contact editor: a new contact, or the selected entry.
    void AddContactClick();
    void EditContactClick();
    // The book on the service: upload and download.
    void uploadBook();
    void downloadBook();
    // The book from a vCard or CSV file, after a preview; the book to one.
    void ImportContactsClick();
    void ExportContactsClick();
    void showPayment();
    void HelpClick();

signals:
    // The window has run its closing steps: the program ends.
    void FormClosed();
    // The user gave up a registration the login asked for: the program ends at once, without
    // the closing steps.
    void EndedAtOnce();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The file prompts open where the user chose a file last, kept in the settings store.
    void rememberFileFolders();
    void FormCreate();
    void FormClose();
    // The closing steps that follow the closing fade.
    void finishClosing();
    void buildControls();
    void buildContactTree(QBoxLayout* layout);
    void buildTimers();
    void buildMenus();
    void createTrayIcon(const Settings& settings);
    void loadSkinPictures();
    bool checkAccessPassword();
    void applyStacking();
    void openPayment();
    void endAtOnce();
    void addUnknownOutcomesItem();
    bool keepOpenForSends();
    void waitForSendsThenClose(int timeoutMs);
    void closeAfterWait();
    void endWaitForSends();

    Options m_options;
    QLabel* m_headerImage = nullptr;
    QWidget* m_toolPanel = nullptr;
    QLabel* m_toolPanelImage = nullptr;
    TImageButton* m_addContactButton = nullptr;
    TImageButton* m_editContactButton = nullptr;
    TImageButton* m_deleteContactButton = nullptr;
    TImageButton* m_settingsButton = nullptr;
    TImageButton* m_historyButton = nullptr;
    TImageButton* m_paymentButton = nullptr;
    TImageButton* m_hideToTrayButton = nullptr;
    TImageButton* m_closeButton = nullptr;
    ContactTreeView* m_contactTree = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QMenu* m_treeMenu = nullptr;
    QMenu* m_trayMenu = nullptr;
    QMenu* m_traySendMenu = nullptr;
    QAction* m_stayOnTopAction = nullptr;
    QAction* m_serverBookSeparator = nullptr;
    QAction* m_uploadBookAction = nullptr;
    QAction* m_downloadBookAction = nullptr;
    QAction* m_treeSendAction = nullptr;
    QAction* m_treeAddAction = nullptr;
    QAction* m_treeEditAction = nullptr;
    QAction* m_treeDeleteAction = nullptr;
    QAction* m_treeSortAction = nullptr;
    QAction* m_importContactsAction = nullptr;
    QAction* m_exportContactsAction = nullptr;
    QAction* m_unknownOutcomesAction = nullptr;
    QAction* m_scheduledAction = nullptr;
    QTimer* m_balanceTimer = nullptr;
    QTimer* m_statusClickPause = nullptr;
    QTimer* m_loginRetryTimer = nullptr;
    TrayIcon* m_trayIcon = nullptr;
    WindowEffects* m_effects = nullptr;
    Creation m_creation = Creation::Running;
    std::shared_ptr<Registry> m_registry;
    std::shared_ptr<ServiceClient> m_client;
    std::shared_ptr<LoginRoutine> m_login;
    // The login asked for registration; set until an account is restored.
    bool m_registrationOffered = false;
    std::unique_ptr<ContactStore> m_store;
    StoreFollower* m_storeFollower = nullptr;
    bool m_shownOnce = false;
    bool m_trayAddPending = false; // the first show's tray icon waits for the first frame
    ContactBook* m_book = nullptr;
    TGetUserInfoThread* m_loginThread = nullptr;
    SingleInstance* m_instance = nullptr;
    QLabel* m_statusLabel = nullptr;
    QPointer<TSendForm> m_sendForm;
    QPointer<THistoryForm> m_historyForm;
    QString m_storedKeyText;
    bool m_statusClickArmed = true;
    bool m_closed = false;
    bool m_waitingForSends = false;
    // The next close goes without asking or waiting.
    bool m_leaveSends = false;
    QTimer* m_sendsDeadline = nullptr;
    QMetaObject::Connection m_sendsWatch;
    bool m_dragging = false;
    QPoint m_dragOffset;
    QWidget* m_sizeGrip = nullptr;
    bool m_sizing = false;
    QPoint m_sizingStart;
    QRect m_sizingFrom;
};
