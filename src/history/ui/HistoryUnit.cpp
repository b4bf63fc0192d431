#include "HistoryUnit.h"

#include "HistoryColors.h"
#include "HistoryListModel.h"
#include "contacts/ContactBook.h"
#include "history/HistoryCsv.h"
#include "history/HistoryFilter.h"
#include "history/HistoryLock.h"
#include "history/HistoryXlsx.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"
#include "platform/SaveFile.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"
#include "skins/ui/SkinUnit.h"
#include "widgets/KeyboardContextMenu.h"
#include "widgets/WindowAccessible.h"
#include "widgets/WorkerCall.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QSet>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kTotal = QStringLiteral("Всего сообщений: ");
const QString kConnectionError = QStringLiteral("Ошибка при подключении!");

constexpr int kMinimumWidth = 688;
constexpr int kMinimumHeight = 150;
constexpr int kHeaderHeight = 48;
constexpr int kLegendBox = 12;
constexpr int kLegendColumns = 3;
constexpr int kAutoQueryDelayMs = 100;
// The main window's small icons on the two buttons.
constexpr int kRefreshIcon = 12;
constexpr int kCloseIcon = 3;

// Widths of the four fixed columns, in characters of the list's font; "Сообщение" takes the
// rest of the list.
constexpr int kColumnChars[] = {9, 21, 18, 14};
constexpr int kMessageColumn = int(std::size(kColumnChars));

QToolButton* flatButton(const QString& text, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return button;
}

} // namespace

THistoryForm::THistoryForm(std::shared_ptr<ServiceClient> client, QWidget* parent,
                           const HistoryFile& file)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
    , m_client(std::move(client))
    , m_file(file) {
    setObjectName(QStringLiteral("HistoryForm"));
    setWindowTitle(QStringLiteral("История"));
    buildControls();
    // The narrowest window that shows every text whole, which a large font widens.
    setMinimumSize(std::max(kMinimumWidth, layout()->minimumSize().width()), kMinimumHeight);
    resize(QSize(780, 460).expandedTo(layout()->minimumSize()));
    buildMenu();
    dressInSkin();
    WindowAccessible::install();
    KeyboardContextMenu::enable(this);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

THistoryForm::~THistoryForm() {
    // A worker asks the service without the lock and never waits for this thread, so asking
    // it to stop ends its request at once.
    for (const RunningQuery& running : std::as_const(m_queries))
        running.call.requestStop();
    for (const RunningQuery& running : std::as_const(m_queries))
        running.call.wait();
}

void THistoryForm::buildControls() {
    auto* header = new QWidget(this);
    header->setFixedHeight(kHeaderHeight);
    auto* headerGrid = new QGridLayout(header);
    headerGrid->setContentsMargins(0, 0, 0, 0);
    headerGrid->setSpacing(0);
    m_banner = new QLabel(header);
    m_banner->setObjectName(QStringLiteral("banner"));
    m_banner->setScaledContents(true);
    headerGrid->addWidget(m_banner, 0, 0, 2, 3);
    m_picture = new QLabel(header);
    m_picture->setObjectName(QStringLiteral("picture"));
    m_picture->setContentsMargins(8, 0, 8, 0);
    headerGrid->addWidget(m_picture, 0, 0, 2, 1, Qt::AlignVCenter);
    m_title = new QLabel(QStringLiteral("История сообщений"), header);
    m_title->setObjectName(QStringLiteral("title"));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    headerGrid->addWidget(m_title, 0, 1, Qt::AlignBottom);
    m_subtitle =
        new QLabel(QStringLiteral("Посмотреть отправленные сообщения и их статус"), header);
    m_subtitle->setObjectName(QStringLiteral("subtitle"));
    QFont small = m_subtitle->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_subtitle->setFont(small);
    headerGrid->addWidget(m_subtitle, 1, 1, Qt::AlignTop);
    headerGrid->setColumnStretch(2, 1);
    // Taller than the skin's banner when a large font needs it.
    header->setFixedHeight(std::max(kHeaderHeight, m_title->sizeHint().height() +
                                                       m_subtitle->sizeHint().height() + 4));

    auto* filterLabel = new QLabel(QStringLiteral("Фильтр"), this);
    filterLabel->setObjectName(QStringLiteral("filterLabel"));
    m_filterEdit = new QLineEdit(this);
    m_filterEdit->setObjectName(QStringLiteral("filterEdit"));
    m_filterEdit->setAccessibleName(QStringLiteral("Фильтр"));
    filterLabel->setBuddy(m_filterEdit);
    m_applyFilterButton = flatButton(QStringLiteral("Отобрать"), this);
    m_applyFilterButton->setObjectName(QStringLiteral("applyFilterButton"));
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(m_filterEdit, 1);
    filterRow->addWidget(m_applyFilterButton);

    m_listPanel = new QFrame(this);
    auto* panelGrid = new QGridLayout(m_listPanel);
    panelGrid->setContentsMargins(0, 0, 0, 0);
    auto* loading = new QLabel(QStringLiteral("Загрузка..."), m_listPanel);
    loading->setObjectName(QStringLiteral("loadingLabel"));
    loading->setAlignment(Qt::AlignCenter);
    panelGrid->addWidget(loading, 0, 0);
    m_list = new QTableView(m_listPanel);
    m_list->setObjectName(QStringLiteral("messageList"));
    m_list->setAccessibleName(QStringLiteral("История сообщений"));
    QHeaderView* columns = m_list->horizontalHeader();
    // Given a model, a visible header measures its labels at once, in a bold face of its
    // own; hidden until the end of the set-up, it leaves that to the window's first showing
    // and out of the program's start.
    columns->hide();
    m_model = new HistoryListModel(this);
    m_list->setModel(m_model);
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
    columns->setSectionsClickable(true);
    columns->setHighlightSections(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int charWidth = m_list->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    int fixedColumns = 0;
    for (int column = 0; column < int(std::size(kColumnChars)); ++column) {
        columns->resizeSection(column, kColumnChars[column] * charWidth);
        fixedColumns += kColumnChars[column] * charWidth;
    }
    // Room for the fixed columns and the whole caption of "Сообщение", whatever the font.
    QFont captionFont = columns->font();
    captionFont.setBold(true);
    const QString caption = m_model->headerData(kMessageColumn, Qt::Horizontal).toString();
    const QStyle* style = m_list->style();
    m_list->setMinimumWidth(fixedColumns + QFontMetrics(captionFont).horizontalAdvance(caption) +
                            4 * style->pixelMetric(QStyle::PM_HeaderMargin) +
                            style->pixelMetric(QStyle::PM_ScrollBarExtent) +
                            2 * m_list->frameWidth());
    // "Сообщение" takes the width of the list that the other four leave.
    columns->setStretchLastSection(true);
    columns->show();
    panelGrid->addWidget(m_list, 0, 0);

    // Two rows of three, so that every text fits the narrowest window.
    auto* legendGrid = new QGridLayout;
    legendGrid->setHorizontalSpacing(6);
    legendGrid->setVerticalSpacing(2);
    const QList<HistoryColors::LegendEntry> legend = HistoryColors::legend();
    for (int i = 0; i < legend.size(); ++i) {
        auto* box = new QLabel(this);
        box->setObjectName(QStringLiteral("legendBox"));
        box->setFixedSize(kLegendBox, kLegendBox);
        box->setFrameShape(QFrame::Box);
        box->setAutoFillBackground(true);
        auto* label = new QLabel(legend[i].text, this);
        label->setObjectName(QStringLiteral("legendText"));
        const int row = i / kLegendColumns;
        const int column = (i % kLegendColumns) * 2;
        legendGrid->addWidget(box, row, column);
        legendGrid->addWidget(label, row, column + 1);
        m_legendBoxes.append(box);
    }
    legendGrid->setColumnStretch(kLegendColumns * 2, 1);

    m_refreshStatusesButton = flatButton(QStringLiteral("Обновить статус сообщений"), this);
    m_refreshStatusesButton->setObjectName(QStringLiteral("refreshStatusesButton"));
    m_refreshStatusesButton->setEnabled(false);
    m_exportButton = flatButton(QStringLiteral("Экспорт..."), this);
    m_exportButton->setObjectName(QStringLiteral("exportButton"));
    m_closeButton = flatButton(QStringLiteral("Закрыть"), this);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_refreshStatusesButton);
    buttonRow->addWidget(m_exportButton);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_closeButton);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("statusBar"));
    m_statusBar->setSizeGripEnabled(true);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 6, 8, 0);
    body->addLayout(filterRow);
    body->addWidget(m_listPanel, 1);
    body->addLayout(legendGrid);
    body->addLayout(buttonRow);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(header);
    layout->addLayout(body, 1);
    layout->addWidget(m_statusBar);

    m_autoQueryTimer = new QTimer(this);
    m_autoQueryTimer->setObjectName(QStringLiteral("autoQueryTimer"));
    m_autoQueryTimer->setInterval(kAutoQueryDelayMs);

    connect(m_refreshStatusesButton, &QToolButton::clicked, this, &THistoryForm::refreshStatuses);
    connect(m_closeButton, &QToolButton::clicked, this, &QWidget::close);
    connect(m_exportButton, &QToolButton::clicked, this, &THistoryForm::exportRows);
    connect(m_applyFilterButton, &QToolButton::clicked, this, &THistoryForm::applyFilter);
    // Enter in the filter presses "Отобрать".
    connect(m_filterEdit, &QLineEdit::returnPressed, m_applyFilterButton, &QToolButton::click);
    // What cannot go into code page 1251 shows as "?", as it would be searched.
    connect(m_filterEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString representable = Ansi::representable(text);
        if (representable != text) {
            const int cursor = m_filterEdit->cursorPosition();
            m_filterEdit->setText(representable);
            m_filterEdit->setCursorPosition(cursor);
        }
    });
    connect(m_autoQueryTimer, &QTimer::timeout, this, &THistoryForm::autoQueryDue);
    connect(columns, &QHeaderView::sectionClicked, this, &THistoryForm::sortByColumn);
    connect(m_list, &QTableView::doubleClicked, this, [this] {
        if (!selectedRows().isEmpty())
            repeatSelected();
    });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void THistoryForm::buildMenu() {
    m_rowMenu = new QMenu(this);
    m_rowMenu->setObjectName(QStringLiteral("rowMenu"));
    m_rowMenu->setObjectName(QStringLiteral("rowMenu"));
    m_repeatAction = m_rowMenu->addAction(QStringLiteral("Повторить сообщение"), this,
                                          &THistoryForm::repeatSelected);
    m_rowMenu->setDefaultAction(m_repeatAction);
    m_rowMenu->addSeparator();
    m_queryOneAction = m_rowMenu->addAction(QStringLiteral("Запросить статус"), this,
                                            &THistoryForm::querySelectedStatus);
    m_queryOneSeparator = m_rowMenu->addSeparator();
    m_deleteAction =
        m_rowMenu->addAction(QStringLiteral("Удалить"), this, &THistoryForm::deleteSelected);
    m_deleteAllAction =
        m_rowMenu->addAction(QStringLiteral("Удалить все"), this, &THistoryForm::deleteAll);
    connect(m_rowMenu, &QMenu::aboutToShow, this, &THistoryForm::updateRowMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_rowMenu->popup(m_list->viewport()->mapToGlobal(at)); });
}

void THistoryForm::dressInSkin() {
    const SkinUnit& skin = SkinUnit::active();
    SkinnedWindow parts;
    parts.banner = m_banner;
    parts.picture = m_picture;
    parts.pictureFile = QStringLiteral("9.bmp");
    parts.captions = {m_title, m_subtitle};
    parts.otherBackground = {m_list, m_filterEdit};
    skin.dress(this, parts);
    for (QWidget* widget : {static_cast<QWidget*>(m_listPanel), static_cast<QWidget*>(m_statusBar)})
        SkinUnit::setBackground(widget, skin.Main());
    m_refreshStatusesButton->setIcon(QPixmap::fromImage(skin.sprites().smallIcon(kRefreshIcon)));
    m_closeButton->setIcon(QPixmap::fromImage(skin.sprites().smallIcon(kCloseIcon)));

    const QList<HistoryColors::LegendEntry> legend = HistoryColors::legend();
    for (int i = 0; i < m_legendBoxes.size(); ++i) {
        QPalette palette = m_legendBoxes[i]->palette();
        palette.setColor(QPalette::Window, legend[i].color.value_or(skin.Other()));
        m_legendBoxes[i]->setPalette(palette);
    }
}

void THistoryForm::setContactBook(ContactBook* book) {
    m_book = book;
}

QString THistoryForm::statusText() const {
    return m_statusBar->currentMessage();
}

bool THistoryForm::canRefreshStatuses() const {
    return m_refreshStatusesButton->isEnabled();
}

bool THistoryForm::autoQueryScheduled() const {
    return m_autoQueryTimer->isActive();
}

void THistoryForm::showForNumber(const QString& number) {
    NumberFilter = number;
    if (isVisible())
        Refill();
    else
        show();
    raise();
    activateWindow();
}

void THistoryForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Coming back from the task bar is no new showing.
    if (!event->spontaneous())
        fill(true);
}

void THistoryForm::closeEvent(QCloseEvent* event) {
    m_autoQueryTimer->stop();
    m_model->clear();
    event->accept();
}

void THistoryForm::Refill() {
    if (isVisible())
        fill(false);
}

void THistoryForm::fill(bool asShow) {
    const HistoryFilter filter(NumberFilter, FilterText,
                               HistoryFilter::ContactNamesFrom(m_book.data()));
    const HistoryLock lock(m_file.path());
    const bool listHadFocus = m_list->hasFocus();
    m_list->hide();
    m_model->clear();
    // "Загрузка..." stands in the list's place while a long history is read.
    if (isVisible())
        m_listPanel->repaint();

    HistoryFile::Damage damage;
    QList<HistoryRow> rows = rowsFromRecords(m_file.readAll(nullptr, &damage), filter);
    m_damageNote = damage ? damage->message() : QString();
    m_model->setRows(std::move(rows));

    const bool pending = m_model->anyPending();
    m_refreshStatusesButton->setEnabled(pending && !m_allQueryRunning);
    if (pending && asShow)
        m_autoQueryTimer->start();

    m_list->show();
    if (listHadFocus)
        m_list->setFocus();
    showTotal();
    QString caption = NumberFilter.isEmpty() ? QStringLiteral("История")
                                             : QStringLiteral("История для номера ") + NumberFilter;
    if (!FilterText.isEmpty())
        caption += QStringLiteral(" [Фильтр: \"") + FilterText + QStringLiteral("\"]");
    setWindowTitle(caption);
}

void THistoryForm::showTotal() {
    QString text = kTotal + QString::number(m_model->rowCount());
    if (!m_damageNote.isEmpty())
        text += QStringLiteral(". ") + m_damageNote;
    m_statusBar->showMessage(text);
}

void THistoryForm::applyFilter() {
    FilterText = m_filterEdit->text();
    Refill();
    FilterText.clear();
}

void THistoryForm::sortByColumn(int column) {
    m_model->sort(column);
}

QList<int> THistoryForm::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool THistoryForm::canUseStatus() const {
    try {
        return Settings(m_client->store()).find(Setting::CanUseStatus).value_or(false);
    } catch (const RegistryError&) {
        // A store that cannot be read allows no more than a missing value does.
        return false;
    }
}

void THistoryForm::updateRowMenu() {
    const QList<int> selected = selectedRows();
    m_repeatAction->setEnabled(selected.size() == 1);
    m_deleteAction->setEnabled(!selected.isEmpty());
    m_deleteAllAction->setEnabled(m_model->rowCount() > 0);
    const bool askOne = !selected.isEmpty() &&
                        m_model->row(selected.first()).record.Status == TMess::kStatusSent &&
                        canUseStatus();
    m_queryOneAction->setVisible(askOne);
    m_queryOneSeparator->setVisible(askOne);
}

void THistoryForm::repeatSelected() {
    const QList<int> selected = selectedRows();
    if (selected.isEmpty() || !repeatMessage)
        return;
    const HistoryRow& row = m_model->row(selected.first());
    repeatMessage(row.record.Sender, row.name, row.record.Number, row.record.Sign, row.record.Text);
}

void THistoryForm::deleteSelected() {
    deleteRows(false);
}

void THistoryForm::deleteAll() {
    deleteRows(true);
}

void THistoryForm::deleteRows(bool all) {
    m_filterEdit->clear();
    const QString question =
        all ? QStringLiteral("Вы действительно хотите удалить все сообщения?")
            : QStringLiteral("Вы действительно хотите удалить выделенные записи?");
    if (!Prompts::confirm(this, question))
        return;

    QString error;
    {
        const HistoryLock lock(m_file.path());
        m_statusBar->showMessage(QStringLiteral("Обработка..."));
        m_statusBar->repaint();
        if (all && !NumberFilter.isEmpty()) {
            // Also the records of the number that the free text hid.
            const QString number = NumberFilter;
            error =
                m_file.removeRecords([&](const TMess& record) { return record.Number == number; });
        } else {
            QSet<qint32> ids;
            if (all) {
                for (const HistoryRow& row : m_model->rows())
                    ids.insert(row.record.Id);
            } else {
                for (const int row : selectedRows())
                    ids.insert(m_model->row(row).record.Id);
            }
            error =
                m_file.removeRecords([&](const TMess& record) { return ids.contains(record.Id); });
        }
        fill(false);
    }
    // The lock is let go first: a message box waiting on the user must not keep other
    // processes away from the file.
    if (!error.isEmpty())
        Prompts::error(this, error);
}

void THistoryForm::autoQueryDue() {
    m_autoQueryTimer->stop();
    refreshStatuses();
}

void THistoryForm::exportRows() {
    const QString path =
        Prompts::saveFile(this, QStringLiteral("Экспорт истории"),
                          QStringLiteral("История.xlsx"),
                          QStringLiteral("Книга Excel (*.xlsx);;Файлы CSV (*.csv);;Все файлы (*)"));
    if (path.isEmpty())
        return;
    QString error;
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
        const HistoryCsv writer = HistoryCsv::forSpreadsheet();
        QByteArray csv = writer.header();
        for (const HistoryRow& row : m_model->rows())
            writer.appendRow(csv, row.record, row.name);
        error = saveFileAtomically(path, csv, FileAccess::Ordinary);
    } else {
        HistoryXlsx workbook(path);
        for (const HistoryRow& row : m_model->rows())
            workbook.appendRow(row.record, row.name);
        error = workbook.close();
    }
    if (!error.isEmpty())
        Prompts::error(this, QStringLiteral("Не удалось сохранить файл %1: %2").arg(path, error));
}

void THistoryForm::refreshStatuses() {
    if (m_allQueryRunning)
        return;
    m_allQueryRunning = true;
    m_refreshStatusesButton->setEnabled(false);
    m_statusBar->showMessage(QStringLiteral("Запрос статуса сообщений..."));
    const HistoryFile file = m_file;
    runQuery([client = m_client, file] { return HistoryStatusQuery::queryAll(*client, file); },
             [this](const HistoryStatusQuery::Outcome& outcome) {
                 m_allQueryRunning = false;
                 m_refreshStatusesButton->setEnabled(outcome.ok ? outcome.anyPending
                                                                : m_model->anyPending());
             });
}

void THistoryForm::querySelectedStatus() {
    const QList<int> selected = selectedRows();
    if (selected.isEmpty())
        return;
    const qint32 id = m_model->row(selected.first()).record.Id;
    m_statusBar->showMessage(QStringLiteral("Запрос статуса сообщения..."));
    const HistoryFile file = m_file;
    runQuery(
        [client = m_client, file, id] { return HistoryStatusQuery::queryOne(*client, file, id); },
        [this](const HistoryStatusQuery::Outcome& outcome) {
            if (!outcome.ok)
                return;
            if (!m_allQueryRunning)
                m_refreshStatusesButton->setEnabled(outcome.anyPending);
            // Out of the selection, so that its new colour shows.
            m_list->clearSelection();
        });
}

void THistoryForm::runQuery(std::function<HistoryStatusQuery::Outcome()> query,
                            std::function<void(const HistoryStatusQuery::Outcome&)> done) {
    const quint64 id = ++m_lastQueryId;
    // The outcome comes back without the worker waiting: it never waits for this thread.
    const auto finish = [this, id, done](const HistoryStatusQuery::Outcome& outcome,
                                         const QString& failure) {
        m_queries.removeIf([id](const RunningQuery& running) { return running.id == id; });
        if (outcome.ok) {
            m_model->applyStatuses(outcome.statuses);
            showTotal();
        } else {
            m_statusBar->showMessage(failure.isEmpty() ? kConnectionError : failure);
        }
        done(outcome);
        emit statusQueryFinished(outcome.ok);
    };
    const WorkerCall call = runThenCallback<HistoryStatusQuery::Outcome>(
        this, std::move(query),
        [finish](HistoryStatusQuery::Outcome outcome) { finish(outcome, QString()); },
        [finish](const QString& failure) { finish(HistoryStatusQuery::Outcome(), failure); });
    m_queries.append({id, call});
}
