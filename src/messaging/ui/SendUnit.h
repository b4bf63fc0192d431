#pragma once

#include "messaging/BatchSend.h"
#include "messaging/SendFlow.h"
#include "messaging/SendJournal.h"
#include "service/ServiceClient.h"
#include "skins/ui/IconCache.h"
#include "widgets/WorkerCall.h"

#include <QList>
#include <QModelIndex>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <atomic>

#include <functional>
#include <memory>
#include <mutex>

class ContactBook;
class Registry;
class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QToolButton;
class SendPages;
class TMySheet;
struct BookEntry;

// What a send needs besides its page, shared with the workers so that it outlives a window
// that goes while they run: the way to the service and the journal, opened at the first send.
class SendService {
public:
    explicit SendService(std::shared_ptr<ServiceClient> client)
        : client(std::move(client)) {}
    const std::shared_ptr<ServiceClient> client;
    // Throws RegistryError when the journal cannot be opened.
    SendJournal& journal();

private:
    std::mutex m_journalLock;
    std::unique_ptr<SendJournal> m_journal;
};

// The send window: one compose page per open recipient, and the send flow that takes a
// page's message to the service and shows the outcome in the status bar. It lives for the
// run; closing only hides it, and its pages survive.
class TSendForm : public QWidget {
    Q_OBJECT
public:
    // Sends go through `client`, whose settings store they read and journal in.
    explicit TSendForm(std::shared_ptr<ServiceClient> client, QWidget* parent = nullptr);
    // Waits a moment for sends in flight so their history is written; what is still out
    // then stays in the journal as a send of unknown outcome.
    ~TSendForm() override;

    // The book the pages look numbers up in and write a contact's sender and translit to.
    void setContactBook(ContactBook* book);
    ContactBook* contactBook() const { return m_book; }
    const ServiceClient& serviceClient() const { return *m_service->client; }
    // The entry of the book at `index`, as CreateNewPage takes it; none for an invalid index.
    BookEntry* nodeAt(const QModelIndex& index) const;

    // Opens or brings forward the page for a recipient. `node` is the book's entry (a contact,
    // or a group with `number` its contacts' numbers joined by "|"), or none.
    void CreateNewPage(const QString& sender, const QString& name, const QString& number,
                       const QString& sign, const QString& text, bool translit, BookEntry* node);

    // An item of the delay menu: the active page goes with the item's delay, or, for
    // "В указанное время...", waits in the journal for the moment the user picks.
    void sendActiveWithDelay(QAction* item);
    // Opens the dialog of the moment for the active page; returns at once.
    void chooseMomentForActive();
    // Writes the page's message to the send journal to go at `dueUtc` (one row per
    // recipient for a text with fields, else one row) and closes the page; the rows' ids,
    // none when there was nothing to keep (throws RegistryError when the journal fails).
    QList<qint64> schedulePage(TMySheet* page, const QDateTime& dueUtc);
    // Every mouse release on the tabs: two at the same spot within 500 ms close the page.
    void PagesMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // Starts the send flow for a page on a worker thread of its own; returns at once.
    void SendWorker(TMySheet* page);
    // Client height: the header, the tab rows, one page and the status bar; the width and
    // the title follow too.
    void UpdateHeight();
    // "Отправка сообщения — " and the active page's recipient, which names the window to
    // screen readers and the task bar.
    void showTitle();

    TMySheet* activePage() const;
    int pageCount() const;
    TMySheet* page(int index) const;
    int sendsInFlight() const { return int(m_sends.size()); }
    // The messages of the sends in flight (a group send counts each number).
    int messagesInFlight() const;
    // True once every send in flight has ended, false when `timeoutMs` ran out first.
    bool waitForSends(int timeoutMs);
    // "Отправить снова" of a send of unknown outcome: its open numbers get it again.
    void sendAgain(qint64 journalRow);
    // A scheduled row sent now, through the ordinary flow, when this process claims it;
    // false when it waits no more (sent or deleted by another program).
    bool sendScheduled(qint64 journalRow);
    // The journal the sends write (throws RegistryError when it cannot be opened), and the
    // settings store it is kept in.
    SendJournal& journal() { return m_service->journal(); }
    Registry& store() const { return m_service->client->store(); }
    // The pictures of the pages' buttons, made once for all pages.
    IconCache& pageIcons() { return m_pageIcons; }
    QString statusText() const;
    // The send of several requests in progress, with its "Стоп" in the status bar.
    bool batchRunning() const { return m_batchStop != nullptr; }
    QToolButton* stopButton() const { return m_stopButton; }
    // Stops the running batch after the request in flight.
    void stopBatch();
    // What a page holds besides its recipients, to open another page with it.
    struct PageContent {
        QString sender;
        QString message;
        QString sign;
        bool translit = false;
        static PageContent of(const TMySheet& page);
    };
    // A page of only these numbers, with that content.
    TMySheet* openNumbersPage(const QStringList& numbers, const PageContent& content);

    // Tests and benches answer the questions of a send; unset, they are asked through Prompts.
    struct Questions {
        std::function<bool(const QString&)> confirm;   // true: send
        std::function<bool(const QString&)> shortfall; // true: open the payment page
    };
    void setQuestions(Questions questions) { m_questions = std::move(questions); }

    // Tests replace the millisecond clock of the tab double click.
    void setClockForTests(std::function<qint64()> clock) { m_clock = std::move(clock); }

    // True while the user keeps the window closed; the main window then shows it no more.
    bool IsHidden = true;

    SendPages* pages() const { return m_pages; }
    QStatusBar* statusBar() const { return m_statusBar; }
    // The menu of a page's send button: now, or with one of the delays.
    QMenu* delayMenu() const { return m_delayMenu; }
    QAction* scheduleItem() const { return m_scheduleItem; }

signals:
    // History records were written; the history window refills.
    void HistoryChanged();
    // A page's history button: the history window for that number.
    void ShowHistoryFor(const QString& number);
    // The balance is too low for a send: the main window opens the payment page (message 252).
    void LowBalance();
    // The service answered a send with a notice for the user instead of sending it.
    void ServiceNotice(const QString& text);
    // The service took a send: the balance is worth fetching again a minute later.
    void PaidSend();
    // A send could not reach the service: the login is tried again later.
    void ConnectionFailed();
    // A send left an outcome the user has to settle (see the send journal).
    void UnknownOutcome();
    // A send started or ended.
    void SendsChanged();
    // A message was written to the journal to go later.
    void ScheduledChanged();
    // A send of several recipients ended while the window was not active: its summary.
    void SendReport(const QString& summary);
    // Shown at the end of a send of several recipients.
    void ReportShown(QWidget* report);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override; // FormKeyDown

private:
    void FormCreate();
    void fitWidth();
    void buildDelayMenu();
    // On the user-interface thread, once a run has its outcome.
    void startSend(const SendRequest& request, TMySheet* page);
    void finishSend(const QPointer<TMySheet>& page, const SendResult& result);
    // What the main window does after a send: the history, the balance, the service's
    // requests, the outcomes left open.
    void passOn(const SendResult& result, bool historyWritten, bool open);
    // Checks a send of several recipients with the user; false: it does not go.
    bool confirmCost(const TMySheet& page);
    void startBatch(const QList<BatchItem>& items, TMySheet* page);
    void batchProgress(int done, int total);
    void finishBatch(const QPointer<TMySheet>& page, const QList<BatchItem>& items,
                     const PageContent& content, const BatchReport& report);
    QList<BatchItem> batchItems(const TMySheet& page) const;
    // A single page's request as the send makes it.
    SendRequest singleRequest(const TMySheet& page) const;
    void showReport(const BatchReport& report, const PageContent& content);
    QModelIndex nodeIndex(const BookEntry* node) const;

    struct InFlight {
        quint64 id;
        WorkerCall call;
        int messages;
    };

    std::shared_ptr<SendService> m_service;
    SendPages* m_pages = nullptr;
    QStatusBar* m_statusBar = nullptr;
    ContactBook* m_book = nullptr;
    IconCache m_pageIcons;
    QList<InFlight> m_sends;
    QPointer<QWidget> m_report; // the report of the last send to several numbers, while open
    quint64 m_lastSendId = 0;
    std::function<qint64()> m_clock;
    qint64 m_lastUpMs;
    QPoint m_lastUpAt;
    bool m_placed = false;

    QWidget* m_header = nullptr;
    QLabel* m_banner = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_subtitle = nullptr;
    QMenu* m_delayMenu = nullptr;
    QAction* m_scheduleItem = nullptr;
    QToolButton* m_stopButton = nullptr;
    std::shared_ptr<std::atomic_bool> m_batchStop;
    Questions m_questions;
};
