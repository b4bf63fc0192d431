#include "ScheduledWindow.h"

#include "JournalRowTable.h"
#include "MessageEdit.h"
#include "SendUnit.h"
#include "history/HistoryFilter.h"
#include "messaging/LineBreaks.h"
#include "messaging/Recount.h"
#include "messaging/ScheduledSends.h"
#include "platform/FailureText.h"
#include "platform/Registry.h"
#include "platform/StoreWatcher.h"
#include "platform/ToolkitRussian.h"
#include "platform/ui/Prompts.h"
#include "skins/ui/SkinUnit.h"

#include <QBoxLayout>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace {

const QString kSubtitle = QStringLiteral("Сообщения, которые ждут своего времени");
const QString kRemoveQuestion = QStringLiteral("Удалить запланированное сообщение?");
const QString kGone =
    QStringLiteral("Сообщение больше не ждет: его отправила или удалила другая программа.");
const QString kEmptyText = QStringLiteral("Текст сообщения пуст.");
const QString kMomentFormat = QStringLiteral("dd.MM.yyyy HH:mm");

enum Column { MomentColumn, WordsColumn, RecipientColumn, TextColumn, PartsColumn, PriceColumn };

QString numbersText(qsizetype count) {
    const qsizetype lastTwo = count % 100;
    const qsizetype last = count % 10;
    const char* word = "номеров";
    if (last == 1 && lastTwo != 11)
        word = "номер";
    else if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        word = "номера";
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf8(word));
}

QString recipientText(const SendJournal::Row& row, const QHash<QString, QString>& names) {
    if (row.numbers.size() != 1)
        return numbersText(row.numbers.size());
    const QString name = names.value(row.numbers.first());
    return name.isEmpty() ? row.numbers.first() : name;
}

QTableWidgetItem* cell(const QString& text, const QString& tip = {}) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setToolTip(tip.isEmpty() ? text : tip);
    return item;
}

} // namespace

ScheduledWindow::ScheduledWindow(SendJournal& journal, Hooks hooks, QWidget* parent)
    : QDialog(parent)
    , m_journal(journal)
    , m_hooks(std::move(hooks)) {
    setObjectName(QStringLiteral("ScheduledWindow"));
    setWindowTitle(kTitle);
    setAttribute(Qt::WA_DeleteOnClose);

    m_header = SkinnedHeader::create(this, kTitle, kSubtitle);

    m_table = new QTableWidget(0, 6);
    m_table->setObjectName(QStringLiteral("Table"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Время"), QStringLiteral("Когда"),
                                        QStringLiteral("Получатель"), QStringLiteral("Текст"),
                                        QStringLiteral("Частей"), QStringLiteral("Цена")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    QHeaderView* columns = m_table->horizontalHeader();
    // Fitted once after each fill: fitting at every cell set measures every row again, which
    // a list of a thousand messages feels.
    columns->setSectionResizeMode(TextColumn, QHeaderView::Stretch);
    m_table->setColumnWidth(RecipientColumn, 130);
    m_table->setAccessibleName(kTitle);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, [this] {
        loadEditors();
        updateButtons();
    });
    connect(m_table, &QTableWidget::itemDoubleClicked, this, &ScheduledWindow::editClick);
    m_table->installEventFilter(this);

    m_textEdit = new MessageEdit;
    m_textEdit->setObjectName(QStringLiteral("TextEdit"));
    m_textEdit->setTabChangesFocus(true);
    m_textEdit->setAccessibleName(QStringLiteral("Текст сообщения"));
    m_textEdit->setFixedHeight(64);
    m_momentEdit = new QDateTimeEdit;
    m_momentEdit->setObjectName(QStringLiteral("MomentEdit"));
    m_momentEdit->setDisplayFormat(kMomentFormat);
    m_momentEdit->setCalendarPopup(true);
    m_momentEdit->setAccessibleName(QStringLiteral("Время отправки"));
    connect(m_momentEdit, &QDateTimeEdit::dateTimeChanged, this,
            &ScheduledWindow::showMomentInWords);
    m_momentLabel = new QLabel;
    m_momentLabel->setObjectName(QStringLiteral("MomentLabel"));

    const auto button = [this](const QString& text, const char* name) {
        auto* created = new QPushButton(text, this);
        created->setObjectName(QLatin1String(name));
        // Enter belongs to the editors and the list, never to a button by chance.
        created->setAutoDefault(false);
        return created;
    };
    m_saveButton = button(QStringLiteral("Сохранить"), "SaveButton");
    m_sendNowButton = button(QStringLiteral("Отправить сейчас"), "SendNowButton");
    m_removeButton = button(QStringLiteral("Удалить"), "RemoveButton");
    m_closeButton = button(QStringLiteral("Закрыть"), "CloseButton");
    connect(m_saveButton, &QPushButton::clicked, this, &ScheduledWindow::saveClick);
    connect(m_sendNowButton, &QPushButton::clicked, this, &ScheduledWindow::sendNowClick);
    connect(m_removeButton, &QPushButton::clicked, this, &ScheduledWindow::removeClick);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);

    m_statusLine = new QLabel;
    m_statusLine->setObjectName(QStringLiteral("StatusLine"));
    m_statusLine->setWordWrap(true);
    m_statusLine->hide();

    auto* momentRow = new QHBoxLayout;
    momentRow->setSpacing(6);
    auto* momentCaption = new QLabel(QStringLiteral("Время отправки:"));
    momentRow->addWidget(momentCaption);
    momentRow->addWidget(m_momentEdit);
    momentRow->addWidget(m_momentLabel, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_sendNowButton);
    buttons->addWidget(m_removeButton);
    buttons->addStretch(1);
    buttons->addWidget(m_closeButton);
    QVBoxLayout* body = m_header.bodyBelow(this, 6);
    body->addWidget(m_table, 1);
    body->addWidget(m_textEdit);
    body->addLayout(momentRow);
    body->addWidget(m_statusLine);
    body->addLayout(buttons);
    resize(640, 420);
    // The buttons were parented first; Tab follows the screen, top to bottom.
    QWidget* previous = m_table;
    for (QWidget* next :
         std::initializer_list<QWidget*>{m_textEdit, m_momentEdit, m_saveButton, m_sendNowButton,
                                         m_removeButton, m_closeButton}) {
        setTabOrder(previous, next);
        previous = next;
    }

    SkinnedWindow parts;
    parts.banner = m_header.banner;
    parts.picture = m_header.picture;
    // The send window's picture: these are sends to come.
    parts.pictureFile = QStringLiteral("8.bmp");
    parts.captions = {m_header.title, m_header.subtitle};
    parts.infoLabels = {momentCaption, m_momentLabel, m_statusLine};
    parts.otherBackground = {m_table, m_textEdit};
    SkinUnit::active().dress(this, parts);

    // Our own writes are reported too: a refill keeps the selection and what is typed.
    if (!m_hooks.storeFile.isEmpty())
        connect(new StoreWatcher(m_hooks.storeFile, this), &StoreWatcher::changed, this,
                &ScheduledWindow::refresh);
    refresh();
    m_table->setFocus();
}

ScheduledWindow* ScheduledWindow::open(QPointer<ScheduledWindow>& window, TSendForm& sendForm,
                                       QWidget* parent) {
    if (window) {
        window->refresh();
    } else {
        const QPointer<TSendForm> send = &sendForm;
        Hooks hooks;
        hooks.storeFile = sendForm.store().filePath();
        hooks.book = sendForm.contactBook();
        hooks.tariff = [send] { return send ? send->serviceClient().tariff() : Tariff{}; };
        hooks.sendNow = [send](qint64 row) { return send && send->sendScheduled(row); };
        window = new ScheduledWindow(sendForm.journal(), std::move(hooks), parent);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

QDateTime ScheduledWindow::now() const {
    return m_hooks.clock ? m_hooks.clock() : QDateTime::currentDateTimeUtc();
}

void ScheduledWindow::refresh() {
    const qint64 selectedId = selectedRow();
    const int selectedIndex = m_table->currentRow();
    try {
        m_rows = m_journal.scheduled();
    } catch (...) {
        showStatus(FailureText::describe(std::current_exception()));
        return;
    }
    {
        const QSignalBlocker quiet(m_table);
        fillTable();
        selectRow(selectedId);
        if (selectedRow() == 0 && !m_rows.isEmpty())
            selectRow(m_rows[std::clamp<qsizetype>(selectedIndex, 0, m_rows.size() - 1)].id);
    }
    loadEditors();
    updateButtons();
}

void ScheduledWindow::fillTable() {
    const QHash<QString, QString> names = HistoryFilter::ContactNamesFrom(m_hooks.book);
    const Tariff tariff = m_hooks.tariff ? m_hooks.tariff() : Tariff{};
    const QLocale money = ToolkitRussian::desktopLocale();
    const QDateTime present = now();
    m_table->clearSelection();
    m_table->setRowCount(int(m_rows.size()));
    for (int i = 0; i < m_rows.size(); ++i) {
        const SendJournal::Row& row = m_rows[i];
        const QString text = row.fullText();
        // The journal keeps the text as it goes: it is counted without transliteration.
        const RecountResult count = Recount(row.message, row.sign, false, tariff, money);
        m_table->setItem(i, MomentColumn, cell(row.due.toLocalTime().toString(kMomentFormat)));
        m_table->setItem(i, WordsColumn, cell(ScheduledSends::inWords(row.due, present)));
        m_table->setItem(i, RecipientColumn,
                         cell(recipientText(row, names), row.numbers.join(QStringLiteral(", "))));
        m_table->setItem(
            i, TextColumn,
            cell(LineBreaks::toLf(text).replace(QLatin1Char('\n'), u' '), LineBreaks::toLf(text)));
        m_table->setItem(i, PartsColumn, cell(QString::number(count.parts)));
        m_table->setItem(i, PriceColumn,
                         cell(money.toCurrencyString(count.price * double(row.numbers.size()))));
        for (const Column figure : {PartsColumn, PriceColumn})
            m_table->item(i, figure)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    for (const Column column : {MomentColumn, WordsColumn, PartsColumn, PriceColumn})
        m_table->resizeColumnToContents(column);
}

qint64 ScheduledWindow::selectedRow() const {
    return JournalRowTable::selectedId(*m_table, m_rows);
}

void ScheduledWindow::selectRow(qint64 journalRow) {
    JournalRowTable::select(*m_table, m_rows, journalRow, MomentColumn);
}

const SendJournal::Row* ScheduledWindow::selected() const {
    return JournalRowTable::selected(*m_table, m_rows);
}

void ScheduledWindow::loadEditors() {
    const SendJournal::Row* row = selected();
    const qint64 id = row ? row->id : 0;
    const QString message = row ? row->message : QString();
    const QDateTime due = row ? row->due : QDateTime();
    if (id == m_loadedId && message == m_loadedMessage && due == m_loadedDue)
        return;
    m_loadedId = id;
    m_loadedMessage = message;
    m_loadedDue = due;
    m_textEdit->setText(message);
    if (row) {
        const Tariff tariff = m_hooks.tariff ? m_hooks.tariff() : Tariff{};
        m_textEdit->setTypingLimit(Recount(message, row->sign, false, tariff).messageLimit);
    }
    m_momentEdit->setDateTime(row ? due.toLocalTime() : QDateTime());
    m_loadedLocal = m_momentEdit->dateTime();
    showMomentInWords();
}

void ScheduledWindow::showMomentInWords() {
    if (!selected()) {
        m_momentLabel->clear();
        return;
    }
    const ScheduledSends::Moment moment = ScheduledSends::check(m_momentEdit->dateTime(), now());
    m_momentLabel->setText(moment.error.isEmpty() ? ScheduledSends::inWords(moment.utc, now())
                                                  : moment.error);
}

void ScheduledWindow::updateButtons() {
    const bool any = selected();
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_saveButton, m_sendNowButton, m_removeButton, m_textEdit, m_momentEdit})
        control->setEnabled(any);
    m_sendNowButton->setEnabled(any && m_hooks.sendNow);
}

void ScheduledWindow::showStatus(const QString& text) {
    m_statusLine->setText(text);
    m_statusLine->setVisible(!text.isEmpty());
}

void ScheduledWindow::reportFailure() {
    Prompts::error(this, FailureText::describe(std::current_exception()));
}

bool ScheduledWindow::saveText(const QString& message) {
    const SendJournal::Row* row = selected();
    if (!row)
        return false;
    if (!Recount(message, row->sign, false, Tariff{}).canSend) {
        showStatus(kEmptyText);
        return false;
    }
    const qint64 id = row->id;
    bool taken = false;
    try {
        taken = m_journal.rewrite(id, message, row->sign);
    } catch (...) {
        reportFailure();
        return false;
    }
    showStatus(taken ? QString() : kGone);
    refresh();
    return taken;
}

bool ScheduledWindow::saveMoment(const QDateTime& local) {
    const SendJournal::Row* row = selected();
    if (!row)
        return false;
    const ScheduledSends::Moment moment = ScheduledSends::check(local, now());
    if (!moment.error.isEmpty()) {
        // The row keeps its moment; what was typed stays to be put right.
        showStatus(moment.error);
        return false;
    }
    bool taken = false;
    try {
        taken = m_journal.reschedule(row->id, moment.utc);
    } catch (...) {
        reportFailure();
        return false;
    }
    showStatus(taken ? QString() : kGone);
    refresh();
    return taken;
}

void ScheduledWindow::saveClick() {
    const SendJournal::Row* row = selected();
    if (!row)
        return;
    // Both read first: a save refills the editors with what the journal holds.
    const QString message = m_textEdit->text();
    const QDateTime local = m_momentEdit->dateTime();
    const bool momentChanged = local != m_loadedLocal;
    if (message != row->message && !saveText(message))
        return;
    if (momentChanged)
        saveMoment(local);
}

void ScheduledWindow::sendNowClick() {
    const qint64 id = selectedRow();
    if (!id || !m_hooks.sendNow)
        return;
    bool sent = false;
    try {
        sent = m_hooks.sendNow(id);
    } catch (...) {
        reportFailure();
    }
    showStatus(sent ? QString() : kGone);
    refresh();
}

void ScheduledWindow::removeClick() {
    const qint64 id = selectedRow();
    if (!id || !Prompts::confirm(this, kRemoveQuestion))
        return;
    bool removed = false;
    try {
        // Claimed first, so that a row another process has begun to send is never lost.
        m_journal.inTransaction([this, id, &removed] {
            removed = m_journal.claim(id);
            if (removed)
                m_journal.remove(id);
        });
    } catch (...) {
        reportFailure();
    }
    showStatus(removed ? QString() : kGone);
    refresh();
}

void ScheduledWindow::editClick() {
    if (!selected())
        return;
    m_textEdit->setFocus();
    m_textEdit->selectAll();
}

void ScheduledWindow::keyPressEvent(QKeyEvent* event) {
    // Enter in the moment editor takes the moment; the text editor keeps its own Enter.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && m_momentEdit->hasFocus()) {
        saveMoment(m_momentEdit->dateTime());
        return;
    }
    QDialog::keyPressEvent(event);
}

bool ScheduledWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Delete:
            removeClick();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            editClick();
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
