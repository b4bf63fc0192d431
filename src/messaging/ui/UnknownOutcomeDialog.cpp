#include "UnknownOutcomeDialog.h"

#include "SendUnit.h"
#include "history/HistoryFile.h"
#include "history/HistoryFilter.h"
#include "messaging/UnknownOutcomes.h"
#include "platform/FailureText.h"
#include "platform/ui/Prompts.h"
#include "shared/Settings.h"
#include "skins/ui/SkinUnit.h"
#include "widgets/SkinnedHeader.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace {

const QString kSubtitle = QStringLiteral("Ответ сервера на эти отправки не получен");
const QString kExplanation = QStringLiteral(
    "Программа не дождалась ответа сервера. Сервис мог принять эти сообщения и списать за них "
    "оплату. Прежде чем отправить снова, загляните в историю сообщений или спросите "
    "получателя, дошло ли сообщение.");
const QString kRemoveQuestion =
    QStringLiteral("Удалить запись об этой отправке? Если сервис принял сообщения, в истории "
                   "их не будет.");

enum Column { MomentColumn, RecipientsColumn, TextColumn };

QString recipientsText(const SendJournal::Row& row, const QHash<QString, QString>& names) {
    QStringList recipients;
    for (const QString& number : row.numbers) {
        const QString name = names.value(number);
        recipients << (name.isEmpty() ? number : name + QLatin1Char(' ') + number);
    }
    return recipients.join(QStringLiteral(", "));
}

QTableWidgetItem* cell(const QString& text, const QString& tip) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setToolTip(tip);
    return item;
}

} // namespace

UnknownOutcomeDialog::UnknownOutcomeDialog(TSendForm& sendForm, QWidget* parent)
    : QDialog(parent)
    , m_sendForm(&sendForm) {
    setObjectName(QStringLiteral("UnknownOutcomeDialog"));
    setWindowTitle(kTitle);
    setAttribute(Qt::WA_DeleteOnClose);

    Header = SkinnedHeader::create(this, kTitle, kSubtitle);

    Explanation = new QLabel(kExplanation);
    Explanation->setObjectName(QStringLiteral("Explanation"));
    Explanation->setWordWrap(true);

    Table = new QTableWidget(0, 3);
    Table->setObjectName(QStringLiteral("Table"));
    Table->setHorizontalHeaderLabels(
        {QStringLiteral("Время"), QStringLiteral("Получатели"), QStringLiteral("Текст")});
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the table for the buttons; the arrows move between the rows.
    Table->setTabKeyNavigation(false);
    Table->setWordWrap(false);
    Table->verticalHeader()->hide();
    Table->horizontalHeader()->setSectionResizeMode(MomentColumn, QHeaderView::ResizeToContents);
    Table->horizontalHeader()->setStretchLastSection(true);
    Table->setColumnWidth(RecipientsColumn, 170);
    Table->setAccessibleName(QStringLiteral("Отправки с неизвестным результатом"));
    Table->setAccessibleDescription(kExplanation);

    const auto button = [this](const QString& text, const char* name) {
        auto* created = new QPushButton(text, this);
        created->setObjectName(QLatin1String(name));
        return created;
    };
    CountAsSentButton = button(QStringLiteral("Считать отправленным"), "CountAsSentButton");
    CountAsSentButton->setToolTip(
        QStringLiteral("Записать в историю как отправленные, с неизвестной доставкой"));
    SendAgainButton = button(QStringLiteral("Отправить снова"), "SendAgainButton");
    RemoveButton = button(QStringLiteral("Удалить"), "RemoveButton");
    CloseButton = button(QStringLiteral("Закрыть"), "CloseButton");
    // Enter closes: it must never send or forget anything by chance.
    CloseButton->setDefault(true);
    connect(CountAsSentButton, &QPushButton::clicked, this,
            &UnknownOutcomeDialog::countAsSentClick);
    connect(SendAgainButton, &QPushButton::clicked, this, &UnknownOutcomeDialog::sendAgainClick);
    connect(RemoveButton, &QPushButton::clicked, this, &UnknownOutcomeDialog::removeClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(Table, &QTableWidget::itemSelectionChanged, this, &UnknownOutcomeDialog::updateButtons);

    StatusLine = new QLabel;
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusLine->setWordWrap(true);
    StatusLine->hide();

    // Set here: a nested layout takes its parent's spacing, which is none.
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(CountAsSentButton);
    buttons->addWidget(SendAgainButton);
    buttons->addWidget(RemoveButton);
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 8, 10, 10);
    body->setSpacing(8);
    body->addWidget(Explanation);
    body->addWidget(Table, 1);
    body->addWidget(StatusLine);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Header.banner);
    layout->addLayout(body, 1);
    resize(600, 360);

    SkinnedWindow parts;
    parts.banner = Header.banner;
    parts.picture = Header.picture;
    // The send window's picture: these are its sends.
    parts.pictureFile = QStringLiteral("8.bmp");
    parts.captions = {Header.title, Header.subtitle};
    parts.infoLabels = {Explanation, StatusLine};
    parts.otherBackground = {Table};
    SkinUnit::active().dress(this, parts);

    // A send again that ends tells how it went; the rows it replaced are gone by then.
    connect(&sendForm, &TSendForm::SendsChanged, this, [this] {
        if (!m_sendForm || m_sendForm->sendsInFlight() > 0 || m_resending.isEmpty())
            return;
        m_resending.clear();
        showStatus(m_sendForm->statusText());
        refresh();
    });
    refresh();
    Table->setFocus();
}

bool UnknownOutcomeDialog::refresh() {
    if (!m_sendForm)
        return false;
    const qint64 selected = selectedRow();
    QList<SendJournal::Row> rows;
    try {
        SendJournal& journal = m_sendForm->journal();
        rows = journal.rows();
        // Ids a reply gave reach the history first, as varnelo-cli outbox does; what stays
        // open is what the user settles.
        const bool replied = std::any_of(rows.cbegin(), rows.cend(), [](const auto& row) {
            return row.state == SendJournal::State::Unknown && !row.accepted.isEmpty();
        });
        if (replied) {
            const UnknownOutcomes::Recovered recovered = UnknownOutcomes::recover(
                journal, HistoryFile(), Settings(m_sendForm->store()).historyMessCount());
            rows = recovered.unknown;
            if (recovered.historyError.isEmpty())
                emit HistoryChanged();
            else
                showStatus(kHistoryNotWritten.arg(recovered.historyError));
        }
    } catch (...) {
        reportFailure(FailureText::describe(std::current_exception()));
        return !m_rows.isEmpty();
    }
    rows.removeIf([this](const SendJournal::Row& row) {
        return row.state != SendJournal::State::Unknown || m_resending.contains(row.id);
    });
    m_rows = rows;
    fillTable();
    selectRow(selected);
    if (selectedRow() == 0 && !m_rows.isEmpty())
        selectRow(m_rows.first().id);
    updateButtons();
    return !m_rows.isEmpty();
}

void UnknownOutcomeDialog::fillTable() {
    const QHash<QString, QString> names =
        HistoryFilter::ContactNamesFrom(m_sendForm ? m_sendForm->contactBook() : nullptr);
    Table->setRowCount(int(m_rows.size()));
    for (int i = 0; i < m_rows.size(); ++i) {
        const SendJournal::Row& row = m_rows[i];
        const QString text = row.fullText();
        const QString tip =
            row.reason.isEmpty() ? text : QStringLiteral("%1\n\n%2").arg(row.reason, text);
        Table->setItem(i, MomentColumn, cell(UnknownOutcomes::momentText(row), tip));
        const QString recipients = recipientsText(row, names);
        Table->setItem(i, RecipientsColumn, cell(recipients, recipients));
        Table->setItem(i, TextColumn, cell(QString(text).replace(QLatin1Char('\n'), u' '), tip));
    }
}

qint64 UnknownOutcomeDialog::selectedRow() const {
    const QList<QTableWidgetItem*> selected = Table->selectedItems();
    if (selected.isEmpty())
        return 0;
    const int index = selected.first()->row();
    return index < m_rows.size() ? m_rows[index].id : 0;
}

void UnknownOutcomeDialog::selectRow(qint64 journalRow) {
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].id == journalRow) {
            Table->setCurrentCell(i, MomentColumn);
            Table->selectRow(i);
            return;
        }
    }
}

const SendJournal::Row* UnknownOutcomeDialog::selected() const {
    const qint64 id = selectedRow();
    const auto found = std::find_if(m_rows.cbegin(), m_rows.cend(),
                                    [id](const SendJournal::Row& row) { return row.id == id; });
    return found == m_rows.cend() ? nullptr : &*found;
}

void UnknownOutcomeDialog::updateButtons() {
    const SendJournal::Row* row = selected();
    CountAsSentButton->setEnabled(row);
    // Ids a reply gave, not yet in the history, would be lost with the row a new send
    // replaces.
    SendAgainButton->setEnabled(row && row->accepted.isEmpty() && m_sendForm);
    RemoveButton->setEnabled(row);
}

void UnknownOutcomeDialog::showStatus(const QString& text) {
    StatusLine->setText(text);
    StatusLine->setVisible(!text.isEmpty());
}

void UnknownOutcomeDialog::reportFailure(const QString& text) {
    Prompts::error(this, text);
}

void UnknownOutcomeDialog::countAsSentClick() {
    const qint64 id = selectedRow();
    if (!id || !m_sendForm)
        return;
    QString error;
    try {
        const HistoryFile history;
        error = UnknownOutcomes::countAsSent(m_sendForm->journal(), history,
                                             Settings(m_sendForm->store()).historyMessCount(), id);
    } catch (...) {
        error = FailureText::describe(std::current_exception());
    }
    if (error.isEmpty())
        emit HistoryChanged();
    else
        reportFailure(kHistoryNotWritten.arg(error));
    refresh();
}

void UnknownOutcomeDialog::sendAgainClick() {
    const qint64 id = selectedRow();
    if (!id || !m_sendForm)
        return;
    try {
        m_sendForm->sendAgain(id);
    } catch (...) {
        reportFailure(FailureText::describe(std::current_exception()));
        return;
    }
    m_resending.insert(id);
    showStatus(m_sendForm->statusText());
    refresh();
}

void UnknownOutcomeDialog::removeClick() {
    const qint64 id = selectedRow();
    if (!id || !m_sendForm || !Prompts::confirm(this, kRemoveQuestion))
        return;
    try {
        m_sendForm->journal().remove(id);
    } catch (...) {
        reportFailure(FailureText::describe(std::current_exception()));
    }
    refresh();
}
