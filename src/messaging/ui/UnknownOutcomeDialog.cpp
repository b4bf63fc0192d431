#include "UnknownOutcomeDialog.h"

#include "JournalRowTable.h"
#include "SendUnit.h"
#include "UnknownOutcomeModel.h"
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
#include <QTableView>

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

} // namespace

UnknownOutcomeDialog::UnknownOutcomeDialog(TSendForm& sendForm, QWidget* parent)
    : QDialog(parent)
    , m_sendForm(&sendForm) {
    setObjectName(QStringLiteral("UnknownOutcomeDialog"));
    setWindowTitle(kTitle);
    setAttribute(Qt::WA_DeleteOnClose);

    m_header = SkinnedHeader::create(this, kTitle, kSubtitle);

    m_explanation = new QLabel(kExplanation);
    m_explanation->setObjectName(QStringLiteral("Explanation"));
    m_explanation->setWordWrap(true);

    m_model = new UnknownOutcomeModel(this);
    m_table = new QTableView;
    m_table->setObjectName(QStringLiteral("Table"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the table for the buttons; the arrows move between the rows.
    m_table->setTabKeyNavigation(false);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(UnknownOutcomeModel::MomentColumn,
                                                      QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(UnknownOutcomeModel::RecipientsColumn, 170);
    m_table->setAccessibleName(QStringLiteral("Отправки с неизвестным результатом"));
    m_table->setAccessibleDescription(kExplanation);

    const auto button = [this](const QString& text, const char* name) {
        auto* created = new QPushButton(text, this);
        created->setObjectName(QLatin1String(name));
        return created;
    };
    m_countAsSentButton = button(QStringLiteral("Считать отправленным"), "CountAsSentButton");
    m_countAsSentButton->setToolTip(
        QStringLiteral("Записать в историю как отправленные, с неизвестной доставкой"));
    m_sendAgainButton = button(QStringLiteral("Отправить снова"), "SendAgainButton");
    m_removeButton = button(QStringLiteral("Удалить"), "RemoveButton");
    m_closeButton = button(QStringLiteral("Закрыть"), "CloseButton");
    // Enter closes: it must never send or forget anything by chance.
    m_closeButton->setDefault(true);
    connect(m_countAsSentButton, &QPushButton::clicked, this,
            &UnknownOutcomeDialog::countAsSentClick);
    connect(m_sendAgainButton, &QPushButton::clicked, this, &UnknownOutcomeDialog::sendAgainClick);
    connect(m_removeButton, &QPushButton::clicked, this, &UnknownOutcomeDialog::removeClick);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &UnknownOutcomeDialog::updateButtons);

    m_statusLine = new QLabel;
    m_statusLine->setObjectName(QStringLiteral("StatusLine"));
    m_statusLine->setWordWrap(true);
    m_statusLine->hide();

    // Set here: a nested layout takes its parent's spacing, which is none.
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(m_countAsSentButton);
    buttons->addWidget(m_sendAgainButton);
    buttons->addWidget(m_removeButton);
    buttons->addStretch(1);
    buttons->addWidget(m_closeButton);
    QVBoxLayout* body = m_header.bodyBelow(this, 8);
    body->addWidget(m_explanation);
    body->addWidget(m_table, 1);
    body->addWidget(m_statusLine);
    body->addLayout(buttons);
    resize(600, 360);

    SkinnedWindow parts;
    parts.banner = m_header.banner;
    parts.picture = m_header.picture;
    // The send window's picture: these are its sends.
    parts.pictureFile = QStringLiteral("8.bmp");
    parts.captions = {m_header.title, m_header.subtitle};
    parts.infoLabels = {m_explanation, m_statusLine};
    parts.otherBackground = {m_table};
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
    m_table->setFocus();
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
        return !this->rows().isEmpty();
    }
    rows.removeIf([this](const SendJournal::Row& row) {
        return row.state != SendJournal::State::Unknown || m_resending.contains(row.id);
    });
    m_model->setRows(std::move(rows), HistoryFilter::ContactNamesFrom(
                                          m_sendForm ? m_sendForm->contactBook() : nullptr));
    selectRow(selected);
    if (selectedRow() == 0 && !this->rows().isEmpty())
        selectRow(this->rows().first().id);
    updateButtons();
    return !this->rows().isEmpty();
}

const QList<SendJournal::Row>& UnknownOutcomeDialog::rows() const {
    return m_model->rows();
}

qint64 UnknownOutcomeDialog::selectedRow() const {
    return JournalRowTable::selectedId(*m_table, rows());
}

void UnknownOutcomeDialog::selectRow(qint64 journalRow) {
    JournalRowTable::select(*m_table, rows(), journalRow, UnknownOutcomeModel::MomentColumn);
}

const SendJournal::Row* UnknownOutcomeDialog::selected() const {
    return JournalRowTable::selected(*m_table, rows());
}

void UnknownOutcomeDialog::updateButtons() {
    const SendJournal::Row* row = selected();
    m_countAsSentButton->setEnabled(row);
    // Ids a reply gave, not yet in the history, would be lost with the row a new send
    // replaces.
    m_sendAgainButton->setEnabled(row && row->accepted.isEmpty() && m_sendForm);
    m_removeButton->setEnabled(row);
}

void UnknownOutcomeDialog::showStatus(const QString& text) {
    m_statusLine->setText(text);
    m_statusLine->setVisible(!text.isEmpty());
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
