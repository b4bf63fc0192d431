#pragma once

#include "service/MainWindowLink.h"

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
class MainWindowBridge;
class ContactStore;
class QAction;
class QBoxLayout;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class Registry;
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
        // Registration; false when the user gave up, which ends the program.
        std::function<bool()> registration;
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
    };

    struct Options {
        Dialogs dialogs;
        // Replaces the login routine (tests).
        std::function<void()> refresh;
        // The single-instance name; empty takes the per-user one.
        QString instanceName;
        // The stored contact book, read while the rest of the start went on.
        std::shared_ptr<BookReadAhead> bookReadAhead;
        // The settings store the start opened; none opens one for the window.
        std::shared_ptr<Registry> registry;
    };

    explicit TMainForm(Options options = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    Creation creation() const { return m_creation; }

    void setSendForm(TSendForm* form);
    void setHistoryForm(THistoryForm* form);

    // The icon in the notification area and the window's opacity, for the settings dialog.
    TrayIcon* trayIcon() const { return m_trayIcon; }
    WindowEffects* windowEffects() const { return m_effects; }

    // Controls the other parts of the program reach.
    QLabel* Image1 = nullptr;
    QWidget* Panel3 = nullptr;
    QLabel* Image3 = nullptr;
    TImageButton* AddContactButton = nullptr;
    TImageButton* SpeedButton3 = nullptr;
    TImageButton* ButDelContact = nullptr;
    TImageButton* ButOptions = nullptr;
    TImageButton* SpeedButton1 = nullptr;
    TImageButton* SpeedButton2 = nullptr;
    TImageButton* ButTray = nullptr;
    TImageButton* ButClose = nullptr;
    ContactTreeView* ContactTree = nullptr;
    QStatusBar* StatusBar = nullptr;
    QMenu* PopupMenu = nullptr;
    QMenu* TrayMenu = nullptr;
    QMenu* TrayMenuSend = nullptr; // "Отправить СМС": the contacts, filled at each opening
    QAction* N15 = nullptr;        // "Поверх всех окон"
    QAction* N16 = nullptr;        // the separator shown with the two server entries
    QAction* N21 = nullptr;        // "Сохранить на сервере"
    QAction* N22 = nullptr;        // "Загрузить с сервера"
    QAction* PopupSendAction = nullptr;
    QAction* PopupAddAction = nullptr;
    QAction* PopupEditAction = nullptr;
    QAction* PopupDeleteAction = nullptr;
    QAction* PopupSortAction = nullptr;
    QAction* ImportContactsAction = nullptr; // "Импорт контактов..."
    QAction* ExportContactsAction = nullptr; // "Экспорт контактов..."
    // "Результат отправки неизвестен...", in the header's and the tray's menu while the send
    // journal holds such sends.
    QAction* UnknownOutcomesAction = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* ConnectTimeOutTimer = nullptr;

    ContactBook& book() const { return *m_book; }
    std::shared_ptr<Registry> settingsStore() const { return m_registry; }
    QString statusText() const;
    bool statusClickArmed() const { return m_statusClickArmed; }
    bool trayIconAdded() const;
    QString StoredKeyText() const { return m_storedKeyText; }

    // The program's internal message (word and long parameter).
    void WMUserMessage(int wParam, int lParam);

    void RestartBalanceTimer();
    void SaveWindowPosition();
    void SaveContacts();
    // After an edit of the user's, which is made again on a book stored elsewhere meanwhile.
    void SaveContacts(const BookEdit& edit);
    static void PlaySoundFile(const QString& path);
    void ShowBalloon(const QString& title, const QString& text, MainWindowLink::BalloonKind kind,
                     int timeoutMs);
    void SetStatusText(const QString& text);
    void SetServerContactsVisible(bool visible);
    void EnableConnectTimeOutTimer();
    // A notice of the service in the information window, with the SoundSentOK sound.
    void showServiceNotice(const QString& text);

    // Asks the login thread for one refresh.
    void requestUserInfo();

    // The session's end or a termination signal: the closing steps without a question. The
    // position and the book are kept at once; sends in flight are awaited at most
    // `timeoutMs`, then left to the send journal. A wait the user chose gets that bound too;
    // called again while a bounded wait runs, it closes at once.
    void closeWithoutAsking(int timeoutMs);

    // Shows the window again from the tray, with the send window when it was open.
    void trayClick();
    // ButTray and Esc.
    void hideToTray();
    // The tray icon of the first show, now, if it still waits.
    void addPendingTrayIcon();

    // The header's drag: where a window whose top left corner is planned at `planned` lands.
    QPoint snappedPosition(const QPoint& planned) const;
    // The size grip's drag: the window planned at `from` grown by `heightChange` pixels (the
    // width is fixed), at its snapped place.
    QRect sizedGeometry(const QRect& from, int heightChange) const;

    // Handlers.
    void StatusBarClick();
    void Timer1Timer();
    void Timer2Timer();
    void ConnectTimeOutTimerTimer();
    void N15Click();
    void SpeedButton1Click();
    // The contact editor: a new contact, or the selected entry.
    void AddContactClick();
    void EditContactClick();
    // The book on the service: upload and download.
    void N21Click();
    void N22Click();
    // The book from a vCard or CSV file, after a preview; the book to one.
    void ImportContactsClick();
    void ExportContactsClick();
    void SpeedButton2Click();
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
    void ShowServiceMessage();
    void OfferRegistration();
    void endAtOnce();
    void addUnknownOutcomesItem();
    bool keepOpenForSends();
    void waitForSendsThenClose(int timeoutMs);
    void closeAfterWait();
    void endWaitForSends();

    Options m_options;
    TrayIcon* m_trayIcon = nullptr;
    WindowEffects* m_effects = nullptr;
    Creation m_creation = Creation::Running;
    std::shared_ptr<Registry> m_registry;
    std::shared_ptr<MainWindowBridge> m_link;
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
