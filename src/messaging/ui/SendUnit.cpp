#include "SendUnit.h"

#include "MessageEdit.h"
#include "MySheet.h"
#include "ScheduleDialog.h"
#include "SendPages.h"
#include "SendReportDialog.h"
#include "contacts/ContactBook.h"
#include "contacts/DefaultSender.h"
#include "history/HistoryFile.h"
#include "messaging/ScheduledSends.h"
#include "messaging/SendConfirmation.h"
#include "messaging/SendFlow.h"
#include "messaging/UnknownOutcomes.h"
#include "platform/FailureText.h"
#include "platform/Registry.h"
#include "platform/Sound.h"
#include "platform/ui/Prompts.h"
#include "shared/Settings.h"
#include "skins/ui/SkinUnit.h"
#include "widgets/KeyboardContextMenu.h"
#include "widgets/WindowAccessible.h"
#include "widgets/WorkerCall.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kTitle = QStringLiteral("Отправка сообщения");
constexpr int kHeaderHeight = 50;
constexpr int kWindowWidth = 440;
// Where the header's title and subtitle begin, right of the window's picture.
constexpr int kCaptionLeft = 54;
constexpr int kBottomGap = 4;
constexpr int kDoubleClickMs = 500;
constexpr int kIconContact = 1;
// How long the window, when it goes, waits for a send in flight before leaving it to the
// journal as a send of unknown outcome.
constexpr unsigned long kExitGraceMs = 3000;
// How often a send of several requests tells its progress at most.
constexpr int kProgressEveryMs = 100;

struct DelayItem {
    const char16_t* caption;
    int minutes;
};

constexpr DelayItem kDelays[] = {
    {u"...через 5 мин", 5},   {u"...через 10 мин", 10}, {u"...через 15 мин", 15},
    {u"...через 30 мин", 30}, {u"...через 45 мин", 45}, {u"...через час", 60},
};

QString soundPath(Registry& store, SendOutcome::Sound sound) {
    if (sound == SendOutcome::Sound::None)
        return {};
    return Settings(store).get(sound == SendOutcome::Sound::SentOK ? Setting::SoundSentOK
                                                                   : Setting::SoundSentErr);
}

// A send that ended in an error instead of a reply (a failing settings store): its text
// in the status bar, and the page as it was, to send again.
SendResult failedSend(const QString& failure) {
    SendResult result;
    result.outcome.statusText = failure;
    result.outcome.sendEnabled = true;
    return result;
}

// The send flow on its worker thread: the journaled exchange, then the result handed to the
// window and the sound. The result is posted, not waited for, so a window that waits for its
// sends while closing never waits for a worker that waits for it.
void runSend(const std::shared_ptr<SendService>& service, const SendRequest& request,
             const std::function<void(const SendResult&)>& finish) {
    const auto post = [&finish](const SendResult& result) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [=] { finish(result); }, Qt::QueuedConnection);
    };
    SendResult result;
    SendJournal* journal = nullptr;
    try {
        journal = &service->journal();
    } catch (const RegistryError& error) {
        result.outcome = SendOutcome::journalFailed(QString::fromStdString(error.what()));
        post(result);
        return;
    }
    try {
        const HistoryFile history;
        const SendTraces traces{*service->client, *journal, history,
                                Settings(service->client->store()).historyMessCount()};
        result = JournaledSend(traces, request);
    } catch (...) {
        post(failedSend(FailureText::describe(std::current_exception())));
        return;
    }
    post(result);
    try {
        Sound::playFile(soundPath(service->client->store(), result.outcome.sound));
    } catch (...) {
        // Sounds never report anything.
    }
}

// A send of several requests on its worker thread; progress goes to the window as it goes.
BatchReport runBatch(const std::shared_ptr<SendService>& service, const QList<BatchItem>& items,
                     const std::atomic_bool& stop,
                     const std::function<void(int, int)>& progress) {
    SendJournal& journal = service->journal();
    const HistoryFile history;
    const SendTraces traces{*service->client, journal, history,
                            Settings(service->client->store()).historyMessCount()};
    QElapsedTimer sinceShown;
    sinceShown.start();
    const BatchReport report =
        BatchSend(traces).run(items, stop, [&](int done, int total) {
            if (done == total || sinceShown.elapsed() >= kProgressEveryMs) {
                sinceShown.restart();
                progress(done, total);
            }
        });
    try {
        // One request sounds as its reply says; a run of them as a whole.
        const SendOutcome::Sound sound =
            items.size() == 1 ? report.last.outcome.sound
            : report.accepted > 0 ? SendOutcome::Sound::SentOK
                                  : SendOutcome::Sound::SentErr;
        Sound::playFile(soundPath(service->client->store(), sound));
    } catch (...) {
        // Sounds never report anything.
    }
    return report;
}

bool askToSend(QWidget* parent, const QString& question) {
    return Prompts::choose(parent, question, QStringLiteral("Подтверждение"),
                           QMessageBox::Question,
                           {{QMessageBox::Ok, QStringLiteral("Отправить")},
                            {QMessageBox::Cancel, QStringLiteral("Отмена")}},
                           QMessageBox::Cancel) == QMessageBox::Ok;
}

bool askShortfall(QWidget* parent, const QString& text) {
    return Prompts::choose(parent, text, QStringLiteral("Недостаточно средств"),
                           QMessageBox::Warning,
                           {{QMessageBox::Ok, QStringLiteral("Пополнить баланс")},
                            {QMessageBox::Cancel, QStringLiteral("Отмена")}},
                           QMessageBox::Cancel) == QMessageBox::Ok;
}

} // namespace

SendJournal& SendService::journal() {
    const std::lock_guard lock(m_journalLock);
    if (!m_journal)
        m_journal = std::make_unique<SendJournal>(client->store());
    return *m_journal;
}

TSendForm::TSendForm(std::shared_ptr<ServiceClient> client, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
    , m_service(std::make_shared<SendService>(std::move(client)))
    , m_lastUpMs(std::numeric_limits<qint64>::min() / 2) {
    setObjectName(QStringLiteral("SendForm"));
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    m_clock = [timer] { return timer->elapsed(); };
    FormCreate();
}

TSendForm::~TSendForm() {
    if (m_batchStop)
        *m_batchStop = true;
    // A send still out after the grace is left in the journal, where the next start finds
    // it as a send of unknown outcome.
    waitForSends(kExitGraceMs);
    for (const InFlight& send : std::as_const(m_sends)) {
        send.call.requestStop();
        send.call.wait();
    }
    // The pages go while the form is whole: closing the window moves the focus, and a page
    // that has it would take its number and write the tab text of a form half torn down.
    delete m_pages;
    m_pages = nullptr;
}

void TSendForm::FormCreate() {
    m_header = new QWidget(this);
    m_banner = new QLabel(m_header);
    m_banner->setObjectName(QStringLiteral("banner"));
    m_banner->setScaledContents(true);
    m_picture = new QLabel(m_header);
    m_picture->setObjectName(QStringLiteral("picture"));
    m_picture->setGeometry(4, 4, 42, 42);
    m_title = new QLabel(QStringLiteral("Сообщение"), m_header);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_title->move(kCaptionLeft, 8);
    m_title->adjustSize();
    m_subtitle =
        new QLabel(QStringLiteral("Введите сообщение, количество символов ограничено"), m_header);
    QFont small = m_subtitle->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_subtitle->setFont(small);
    // Below the title whatever the font: at a large one the two would overlap.
    m_subtitle->move(kCaptionLeft, std::max(28, m_title->geometry().bottom() + 1));
    m_subtitle->adjustSize();
    m_header->setFixedHeight(std::max(kHeaderHeight, m_subtitle->geometry().bottom() + 4));

    m_pages = new SendPages(this);
    m_pages->setTabIcon(
        QIcon(QPixmap::fromImage(SkinUnit::active().sprites().smallIcon(kIconContact))));
    connect(m_pages, &SendPages::tabsMouseUp, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& at) {
                PagesMouseUp(button, modifiers, at.x(), at.y());
            });
    connect(m_pages, &SendPages::currentChanged, this, [this] { UpdateHeight(); });
    m_statusBar = new QStatusBar(this);
    m_statusBar->setSizeGripEnabled(false);
    m_stopButton = new QToolButton(m_statusBar);
    m_stopButton->setText(QStringLiteral("Стоп"));
    m_stopButton->setAutoRaise(true);
    m_stopButton->hide();
    m_statusBar->addPermanentWidget(m_stopButton);
    connect(m_stopButton, &QToolButton::clicked, this, &TSendForm::stopBatch);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, kBottomGap);
    layout->setSpacing(0);
    layout->addWidget(m_header);
    layout->addWidget(m_pages, 1);
    layout->addWidget(m_statusBar);
    fitWidth();
    showTitle();
    WindowAccessible::install();
    KeyboardContextMenu::enable(this);

    buildDelayMenu();
    IsHidden = true;
}

void TSendForm::buildDelayMenu() {
    m_delayMenu = new QMenu(this);
    QAction* sendNow = m_delayMenu->addAction(QStringLiteral("Доставить немедленно"));
    sendNow->setData(0);
    QFont bold = sendNow->font();
    bold.setBold(true);
    sendNow->setFont(bold);
    m_delayMenu->setDefaultAction(sendNow);
    m_delayMenu->addSeparator();
    for (const DelayItem& item : kDelays) {
        QAction* action = m_delayMenu->addAction(QString::fromUtf16(item.caption));
        action->setData(item.minutes);
    }
    m_delayMenu->addSeparator();
    m_scheduleItem = m_delayMenu->addAction(QStringLiteral("В указанное время..."));
    connect(m_delayMenu, &QMenu::triggered, this, &TSendForm::sendActiveWithDelay);
}

void TSendForm::setContactBook(ContactBook* book) {
    m_book = book;
}

QModelIndex TSendForm::nodeIndex(const BookEntry* node) const {
    if (!m_book || !node)
        return {};
    for (int row = 0; row < m_book->groupCount(); ++row) {
        const BookGroup& group = m_book->group(row);
        if (&group.entry == node)
            return m_book->groupIndex(row);
        for (int child = 0; child < group.contacts.size(); ++child) {
            if (&group.contacts[child] == node)
                return m_book->index(child, 0, m_book->groupIndex(row));
        }
    }
    return {};
}

BookEntry* TSendForm::nodeAt(const QModelIndex& index) const {
    if (!m_book || !index.isValid() || index.model() != m_book)
        return nullptr;
    const QModelIndex groupIndex = m_book->groupOf(index);
    const BookGroup& group = m_book->group(groupIndex.row());
    // The page writes through the book's own setData, never through this pointer; it only
    // names the entry.
    const BookEntry& entry =
        ContactBook::isGroup(index) ? group.entry : group.contacts.at(index.row());
    return const_cast<BookEntry*>(&entry);
}

TMySheet* TSendForm::page(int index) const {
    return qobject_cast<TMySheet*>(m_pages->page(index));
}

TMySheet* TSendForm::activePage() const {
    return qobject_cast<TMySheet*>(m_pages->currentPage());
}

int TSendForm::pageCount() const {
    return m_pages->count();
}

QString TSendForm::statusText() const {
    return m_statusBar->currentMessage();
}

void TSendForm::CreateNewPage(const QString& sender, const QString& name, const QString& number,
                              const QString& sign, const QString& text, bool translit,
                              BookEntry* node) {
    TMySheet* found = nullptr;
    for (int i = 0; i < pageCount(); ++i) {
        TMySheet* candidate = page(i);
        // A group's page follows its group, whatever numbers the group has by now.
        const bool sameGroup = node && candidate->followsGroup() &&
                               candidate->ContactNode == nodeIndex(node);
        if (sameGroup || (candidate->RecipientName == name && candidate->Number == number))
            found = candidate;
    }
    TMySheet* created = nullptr;
    if (!found) {
        created = new TMySheet(*this, m_book);
        const int index = m_pages->addPage(created, QString());
        const QModelIndex bound = nodeIndex(node);
        created->ContactNode = bound;
        created->RecipientKind = bound.isValid() ? bound.data(ContactBook::LevelRole).toInt() : 1;
        created->SetNumber(number);
        created->Recount();
        created->SetSign(sign);
        m_pages->setCurrentIndex(index);
        created->SetText(text);
        created->SetSign(sign);
        created->SetSender(sender.isEmpty() ? kDefaultSender : sender);
    } else {
        m_pages->setCurrentIndex(m_pages->indexOf(found));
    }
    TMySheet* active = activePage();
    if (!text.isEmpty()) {
        active->SetText(text);
        active->SetSign(sign);
        active->Recount();
    }
    show();
    raise();
    activateWindow();
    if (created)
        created->FocusMessage();
    if (active->translitBox()->isChecked() != translit) {
        active->translitBox()->setChecked(translit);
        active->TranslitBoxClick();
    }
    UpdateHeight();
}

void TSendForm::UpdateHeight() {
    fitWidth();
    showTitle();
    if (layout())
        layout()->activate();
    const TMySheet* active = activePage();
    const int content = active ? active->contentHeight() : TMySheet::kContentHeight;
    const int height = m_header->height() + m_pages->pageTop() + content +
                       m_statusBar->sizeHint().height() + kBottomGap;
    setFixedHeight(height);
}

// 440 pixels at the usual font; wider when the font asks for more room than that.
void TSendForm::fitWidth() {
    int width = std::max(kWindowWidth,
                         kCaptionLeft +
                             std::max(m_title->sizeHint().width(), m_subtitle->sizeHint().width()) +
                             kBottomGap);
    for (int i = 0; i < pageCount(); ++i) {
        if (const QLayout* pageLayout = page(i)->layout())
            width = std::max(width, pageLayout->minimumSize().width());
    }
    if (width == this->width() && m_banner->width() == width)
        return;
    setFixedWidth(width);
    m_banner->setGeometry(0, 0, width, m_header->height());
}

void TSendForm::showTitle() {
    const TMySheet* active = activePage();
    setWindowTitle(active && !active->RecipientName.isEmpty()
                       ? kTitle + QStringLiteral(" — ") + active->RecipientName
                       : kTitle);
}

void TSendForm::sendActiveWithDelay(QAction* item) {
    if (item == m_scheduleItem)
        chooseMomentForActive();
    else if (TMySheet* active = activePage())
        active->StartSend(item);
}

void TSendForm::chooseMomentForActive() {
    TMySheet* active = activePage();
    // What could not be sent now cannot be scheduled either.
    if (!active || !active->sendButton()->isEnabled())
        return;
    auto* dialog = new ScheduleDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const QPointer<TMySheet> target(active);
    connect(dialog, &QDialog::accepted, this, [this, dialog, target] {
        if (!target)
            return;
        try {
            schedulePage(target, dialog->chosenUtc());
        } catch (...) {
            m_statusBar->showMessage(FailureText::describe(std::current_exception()));
        }
    });
    dialog->open();
}

QList<qint64> TSendForm::schedulePage(TMySheet* page, const QDateTime& dueUtc) {
    QList<SendRequest> requests;
    if (page->hasSeveralNumbers()) {
        if (page->refreshRecipients() && page->followsGroup()) {
            m_statusBar->showMessage(QStringLiteral("Состав группы изменился: получателей теперь "
                                                    "%1. Проверьте сумму и запланируйте снова.")
                                         .arg(page->plan().recipientCount()));
            return {};
        }
        if (page->plan().recipientCount() == 0) {
            m_statusBar->showMessage(TMySheet::kNoNumbers);
            return {};
        }
        for (const BatchItem& item : batchItems(*page))
            requests.append(item.request);
    } else {
        requests.append(singleRequest(*page));
    }
    QList<qint64> ids;
    SendJournal& journal = m_service->journal();
    journal.inTransaction([&] {
        for (const SendRequest& request : std::as_const(requests)) {
            SendJournal::Row row;
            row.numbers = request.number.split(QLatin1Char('|'), Qt::SkipEmptyParts);
            row.message = request.text.message;
            row.sign = request.text.sign;
            row.sender = request.sender;
            ids.append(journal.schedule(row, dueUtc));
        }
    });
    const QString status =
        QStringLiteral("Сообщение запланировано на %1")
            .arg(ScheduledSends::inWords(dueUtc, QDateTime::currentDateTimeUtc()));
    page->ClosePage();
    m_statusBar->showMessage(status);
    m_statusBar->setToolTip(status);
    emit ScheduledChanged();
    return ids;
}

void TSendForm::PagesMouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
    const qint64 now = m_clock();
    if (now - m_lastUpMs > kDoubleClickMs) {
        m_lastUpMs = now;
        m_lastUpAt = QPoint(x, y);
        return;
    }
    if (QPoint(x, y) != m_lastUpAt)
        return;
    // A third release must not count as another double click.
    m_lastUpMs -= kDoubleClickMs;
    if (TMySheet* active = activePage())
        active->ClosePage();
}

void TSendForm::SendWorker(TMySheet* page) {
    if (page->hasSeveralNumbers()) {
        // The group as it is now: a change since the page last counted is shown first.
        if (page->refreshRecipients() && page->followsGroup()) {
            m_statusBar->showMessage(QStringLiteral("Состав группы изменился: получателей теперь "
                                                    "%1. Проверьте сумму и отправьте снова.")
                                         .arg(page->plan().recipientCount()));
            return;
        }
        if (page->plan().recipientCount() == 0) {
            m_statusBar->showMessage(TMySheet::kNoNumbers);
            return;
        }
        if (batchRunning()) {
            m_statusBar->showMessage(QStringLiteral("Идёт другая отправка: дождитесь её конца "
                                                    "или остановите её."));
            return;
        }
        if (!confirmCost(*page))
            return;
        startBatch(batchItems(*page), page);
        return;
    }

    m_statusBar->showMessage(SendOutcome::kConnecting);
    // Drawn at once, without handling other input in the middle of this handler.
    m_statusBar->repaint();
    page->sendButton()->setEnabled(false);
    startSend(singleRequest(*page), page);
}

SendRequest TSendForm::singleRequest(const TMySheet& page) const {
    SendRequest request;
    request.userKey = m_service->client->userKey();
    request.number = page.Number;
    request.sender = page.Sender;
    // A single page's fields come from its own contact.
    request.text = page.plan().personal() && page.plan().recipientCount() == 1
                       ? page.plan().textFor(0)
                       : SendText::compose(page.messageEdit()->text(), page.signEdit()->text(),
                                           page.translitBox()->isChecked());
    request.delayMinutes = page.DelayMinutes;
    return request;
}

bool TSendForm::confirmCost(const TMySheet& page) {
    const SendPlan& plan = page.plan();
    const SendCost cost{plan.recipientCount(), plan.parts(), plan.total()};
    const AccountState account = m_service->client->account();
    const std::optional<double> balance =
        account.balanceKnown ? std::optional<double>(account.balance) : std::nullopt;
    if (cost.messages > 1 && SendConfirmation::shortfall(cost, balance)) {
        const QString text = SendConfirmation::shortfallText(cost, *balance);
        m_statusBar->showMessage(text);
        if (m_questions.shortfall ? m_questions.shortfall(text) : askShortfall(this, text))
            emit LowBalance();
        return false;
    }
    qint32 threshold = Setting::ConfirmAboveKopecks.fallback;
    try {
        threshold = Settings(store()).get(Setting::ConfirmAboveKopecks);
    } catch (const RegistryError&) {
        // An unreadable store asks at the default threshold.
    }
    if (!SendConfirmation::needed(cost, threshold))
        return true;
    const QString question = SendConfirmation::question(cost, balance);
    return m_questions.confirm ? m_questions.confirm(question) : askToSend(this, question);
}

QList<BatchItem> TSendForm::batchItems(const TMySheet& page) const {
    SendRequest common;
    common.userKey = m_service->client->userKey();
    common.sender = page.Sender;
    common.delayMinutes = page.DelayMinutes;
    return BatchItemsOf(page.plan(), common);
}

void TSendForm::startBatch(const QList<BatchItem>& items, TMySheet* page) {
    auto stop = std::make_shared<std::atomic_bool>(false);
    m_batchStop = stop;
    page->sendButton()->setEnabled(false);
    if (items.size() > 1) {
        m_stopButton->show();
        batchProgress(0, int(items.size()));
    } else {
        m_statusBar->showMessage(SendOutcome::kConnecting);
    }
    const QPointer<TSendForm> form(this);
    const QPointer<TMySheet> target(page);
    const quint64 id = ++m_lastSendId;
    const auto ended = [this, id] {
        m_sends.removeIf([id](const InFlight& send) { return send.id == id; });
        emit SendsChanged();
    };
    const auto progress = [form](int done, int total) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [form, done, total] {
                if (form)
                    form->batchProgress(done, total);
            },
            Qt::QueuedConnection);
    };
    const WorkerCall call = runThenCallback<BatchReport>(
        this,
        [service = m_service, items, stop, progress] {
            QThread::currentThread()->setPriority(QThread::LowPriority);
            return runBatch(service, items, *stop, progress);
        },
        [this, target, items, ended, content = PageContent::of(*page)](const BatchReport& report) {
            ended();
            finishBatch(target, items, content, report);
        },
        [this, target, ended](const QString& failure) {
            ended();
            m_batchStop.reset();
            m_stopButton->hide();
            m_statusBar->showMessage(failure);
            if (target)
                target->Recount();
        });
    int messages = 0;
    for (const BatchItem& item : items)
        messages += int(item.request.number.split(QLatin1Char('|'), Qt::SkipEmptyParts).size());
    m_sends.append({id, call, messages});
    emit SendsChanged();
}

void TSendForm::batchProgress(int done, int total) {
    if (m_batchStop && *m_batchStop)
        return; // the stop's own line stays
    m_statusBar->showMessage(QStringLiteral("Отправлено %1 из %2").arg(done).arg(total));
}

void TSendForm::stopBatch() {
    if (!m_batchStop)
        return;
    *m_batchStop = true;
    m_statusBar->showMessage(QStringLiteral("Остановка после сообщения, которое уже в пути..."));
}

void TSendForm::finishBatch(const QPointer<TMySheet>& page, const QList<BatchItem>& items,
                            const PageContent& content, const BatchReport& report) {
    m_batchStop.reset();
    m_stopButton->hide();
    // One request keeps the service's own status line; a run of them gets the summary.
    SendResult result = report.last;
    if (items.size() > 1)
        result.outcome.statusText = report.summary();
    const QString status = result.statusText();
    m_statusBar->showMessage(status);
    m_statusBar->setToolTip(status);

    QStringList unsent;
    for (const BatchReport::Line& line : report.unsent)
        unsent.append(line.number);
    if (page) {
        // What did not go stays on the page for a later send.
        if (!report.notSent.isEmpty() && report.notSent.size() < items.size())
            page->setRecipientNumbers(unsent);
        // Sent in full, the page waits for an edit before it sends again.
        page->sendButton()->setEnabled(items.size() == 1 ? result.outcome.sendEnabled
                                                         : !report.notSent.isEmpty());
    }
    passOn(result, report.accepted > 0, !report.unknown.isEmpty());
    // Judged before the report comes up in front.
    const bool watched = isVisible() && isActiveWindow();
    showReport(report, content);
    if (!watched)
        emit SendReport(report.summary());
}

void TSendForm::startSend(const SendRequest& request, TMySheet* page) {
    const QPointer<TSendForm> form(this);
    const QPointer<TMySheet> target(page);
    const auto finish = [form, target](const SendResult& result) {
        if (form)
            form->finishSend(target, result);
    };
    const quint64 id = ++m_lastSendId;
    const auto ended = [this, id] {
        m_sends.removeIf([id](const InFlight& send) { return send.id == id; });
        emit SendsChanged();
    };
    const WorkerCall call = runThenCallback(
        this,
        [service = m_service, request, finish] {
            // The window keeps the processor first; the worker mostly waits anyway.
            QThread::currentThread()->setPriority(QThread::LowPriority);
            runSend(service, request, finish);
        },
        ended, [ended](const QString&) { ended(); });
    m_sends.append(
        {id, call, int(request.number.split(QLatin1Char('|'), Qt::SkipEmptyParts).size())});
    emit SendsChanged();
}

int TSendForm::messagesInFlight() const {
    int messages = 0;
    for (const InFlight& send : m_sends)
        messages += send.messages;
    return messages;
}

bool TSendForm::waitForSends(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    for (const InFlight& send : std::as_const(m_sends)) {
        if (!send.call.wait(deadline))
            return false;
    }
    return true;
}

void TSendForm::finishSend(const QPointer<TMySheet>& page, const SendResult& result) {
    const SendOutcome& outcome = result.outcome;
    const QString status =
        outcome.action == SendOutcome::Action::ShowNotice ? QString() : result.statusText();
    m_statusBar->showMessage(status);
    // The bar is as narrow as the window; what it cuts off stays readable under the pointer.
    m_statusBar->setToolTip(status);
    if (page) {
        page->sendButton()->setEnabled(outcome.sendEnabled);
        if (outcome.clearMessage)
            page->SetText(QString());
    }
    passOn(result, !outcome.accepted.isEmpty() && result.historyError.isEmpty(), false);
}

void TSendForm::passOn(const SendResult& result, bool historyWritten, bool open) {
    if (historyWritten)
        emit HistoryChanged();
    if (result.restartBalanceTimer)
        emit PaidSend();
    switch (result.outcome.action) {
    case SendOutcome::Action::ShowNotice:
        emit ServiceNotice(result.outcome.notice);
        break;
    case SendOutcome::Action::LowBalance:
        emit LowBalance();
        break;
    case SendOutcome::Action::ConnectTimeOut:
        emit ConnectionFailed();
        break;
    case SendOutcome::Action::None:
        break;
    }
    if (open || result.unknownRow || !result.historyError.isEmpty())
        emit UnknownOutcome();
}

TSendForm::PageContent TSendForm::PageContent::of(const TMySheet& page) {
    return {page.Sender, page.messageEdit()->text(), page.signEdit()->text(),
            page.translitBox()->isChecked()};
}

TMySheet* TSendForm::openNumbersPage(const QStringList& numbers, const PageContent& content) {
    auto* created = new TMySheet(*this, m_book);
    const int index = m_pages->addPage(created, QString());
    created->RecipientName = QStringLiteral("Непринятые");
    m_pages->setTabText(index, created->RecipientName);
    created->setRecipientNumbers(numbers);
    created->SetSender(content.sender);
    created->SetText(content.message);
    created->SetSign(content.sign);
    created->translitBox()->setChecked(content.translit);
    created->Recount();
    m_pages->setCurrentIndex(index);
    show();
    raise();
    activateWindow();
    created->FocusMessage();
    UpdateHeight();
    return created;
}

void TSendForm::showReport(const BatchReport& report, const PageContent& content) {
    // One report at a time: the newest replaces the one before, so reports left open do not
    // pile up over a day of sends.
    if (m_report)
        m_report->close();
    auto* dialog = new SendReportDialog(report, this);
    m_report = dialog;
    connect(dialog, &SendReportDialog::retryRequested, this,
            [this, content](const QStringList& numbers) { openNumbersPage(numbers, content); });
    dialog->show();
    emit ReportShown(dialog);
}

void TSendForm::sendAgain(qint64 journalRow) {
    if (const std::optional<SendRequest> request = UnknownOutcomes::againRequest(
            m_service->journal(), m_service->client->userKey(), journalRow)) {
        m_statusBar->showMessage(SendOutcome::kConnecting);
        startSend(*request, nullptr);
    }
}

bool TSendForm::sendScheduled(qint64 journalRow) {
    SendJournal& journal = m_service->journal();
    const std::optional<SendJournal::Row> row = journal.row(journalRow);
    if (!row || row->state != SendJournal::State::Scheduled || !journal.claim(journalRow))
        return false;
    m_statusBar->showMessage(SendOutcome::kConnecting);
    startSend(ScheduledSends::requestFor(*row, m_service->client->userKey()), nullptr);
    return true;
}

void TSendForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    const SkinUnit& skin = SkinUnit::active();
    SkinnedWindow parts;
    parts.banner = m_banner;
    parts.picture = m_picture;
    parts.pictureFile = QStringLiteral("8.bmp");
    parts.captions = {m_title, m_subtitle};
    skin.dress(this, parts);
    SkinUnit::setBackground(m_statusBar, skin.Main());
    if (!m_placed) {
        m_placed = true;
        if (QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    IsHidden = false;
}

void TSendForm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        IsHidden = true;
}

// Esc reaches the window from whichever control has the focus: none of them takes it.
void TSendForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}
