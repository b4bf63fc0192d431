#include "HistoryUnit.h"

#include "HistoryColors.h"
#include "HistoryListModel.h"
#include "contacts/ContactBook.h"
#include "history/HistoryCsv.h"
#include "history/HistoryFilter.h"
#include "history/HistoryLock.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"
#include "platform/SaveFile.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceState.h"
#include "shared/Settings.h"
#include "skins/ui/SkinUnit.h"
#include "widgets/WorkerCall.h"

#include <QCloseEvent>
#include <QDir>
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
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kTotal = QStringLiteral("Всего сообщений: ");
const QString kConnectionError = QStringLiteral("Ошибка при подключении!");

constexpr int kMinimumWidth = 688;
constexpr int kMinimumHeight = 150;
constexpr int kHeaderHeight = 48;
constexpr int kLegendBox = 12;
constexpr int kLegendColumns = 3;
constexpr int kTimer1Ms = 100;
// The main window's small icons on the two buttons.
constexpr int kRefreshIcon = 12;
constexpr int kCloseIcon = 3;

// Widths of the four fixed columns, in characters of the list's font; "Сообщение" takes the
// rest of the list.
constexpr int kColumnChars[] = {9, 21, 18, 14};

QToolButton* flatButton(const QString& text, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return button;
}

} // namespace

THistoryForm::THistoryForm(QWidget* parent, const HistoryFile& file)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
    , m_file(file) {
    setObjectName(QStringLiteral("HistoryForm"));
    setWindowTitle(QStringLiteral("История"));
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(780, 460);
    buildControls();
    buildMenu();
    dressInSkin();
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
    Image1 = new QLabel(header);
    Image1->setScaledContents(true);
    headerGrid->addWidget(Image1, 0, 0, 2, 3);
    Image2 = new QLabel(header);
    Image2->setContentsMargins(8, 0, 8, 0);
    headerGrid->addWidget(Image2, 0, 0, 2, 1, Qt::AlignVCenter);
    Label6 = new QLabel(QStringLiteral("История сообщений"), header);
    QFont bold = Label6->font();
    bold.setBold(true);
    Label6->setFont(bold);
    headerGrid->addWidget(Label6, 0, 1, Qt::AlignBottom);
    Label7 = new QLabel(QStringLiteral("Посмотреть отправленные сообщения и их статус"), header);
    QFont small = Label7->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    Label7->setFont(small);
    headerGrid->addWidget(Label7, 1, 1, Qt::AlignTop);
    headerGrid->setColumnStretch(2, 1);

    Label5 = new QLabel(QStringLiteral("Фильтр"), this);
    Edit1 = new QLineEdit(this);
    SpeedButton3 = flatButton(QStringLiteral("Отобрать"), this);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(Label5);
    filterRow->addWidget(Edit1, 1);
    filterRow->addWidget(SpeedButton3);

    Panel3 = new QFrame(this);
    auto* panelGrid = new QGridLayout(Panel3);
    panelGrid->setContentsMargins(0, 0, 0, 0);
    LoadingLabel = new QLabel(QStringLiteral("Загрузка..."), Panel3);
    LoadingLabel->setAlignment(Qt::AlignCenter);
    panelGrid->addWidget(LoadingLabel, 0, 0);
    ListView = new QTableView(Panel3);
    QHeaderView* columns = ListView->horizontalHeader();
    // Given a model, a visible header measures its labels at once, in a bold face of its
    // own; hidden until the end of the set-up, it leaves that to the window's first showing
    // and out of the program's start.
    columns->hide();
    m_model = new HistoryListModel(this);
    ListView->setModel(m_model);
    ListView->setShowGrid(true);
    ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView->setWordWrap(false);
    ListView->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView->verticalHeader()->hide();
    ListView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView->verticalHeader()->setDefaultSectionSize(ListView->fontMetrics().height() + 4);
    columns->setSectionsClickable(true);
    columns->setHighlightSections(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int charWidth = ListView->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int column = 0; column < int(std::size(kColumnChars)); ++column)
        columns->resizeSection(column, kColumnChars[column] * charWidth);
    // "Сообщение" takes the width of the list that the other four leave.
    columns->setStretchLastSection(true);
    columns->show();
    panelGrid->addWidget(ListView, 0, 0);

    // Two rows of three, so that every text fits the narrowest window.
    auto* legendGrid = new QGridLayout;
    legendGrid->setHorizontalSpacing(6);
    legendGrid->setVerticalSpacing(2);
    const QList<HistoryColors::LegendEntry> legend = HistoryColors::legend();
    for (int i = 0; i < legend.size(); ++i) {
        auto* box = new QLabel(this);
        box->setFixedSize(kLegendBox, kLegendBox);
        box->setFrameShape(QFrame::Box);
        box->setAutoFillBackground(true);
        auto* label = new QLabel(legend[i].text, this);
        const int row = i / kLegendColumns;
        const int column = (i % kLegendColumns) * 2;
        legendGrid->addWidget(box, row, column);
        legendGrid->addWidget(label, row, column + 1);
        LegendBoxes.append(box);
        LegendLabels.append(label);
    }
    legendGrid->setColumnStretch(kLegendColumns * 2, 1);

    SpeedButton1 = flatButton(QStringLiteral("Обновить статус сообщений"), this);
    SpeedButton1->setEnabled(false);
    ExportButton = flatButton(QStringLiteral("Экспорт..."), this);
    SpeedButton2 = flatButton(QStringLiteral("Закрыть"), this);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(SpeedButton1);
    buttonRow->addWidget(ExportButton);
    buttonRow->addStretch(1);
    buttonRow->addWidget(SpeedButton2);

    Stat = new QStatusBar(this);
    Stat->setSizeGripEnabled(true);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 6, 8, 0);
    body->addLayout(filterRow);
    body->addWidget(Panel3, 1);
    body->addLayout(legendGrid);
    body->addLayout(buttonRow);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(header);
    layout->addLayout(body, 1);
    layout->addWidget(Stat);

    Timer1 = new QTimer(this);
    Timer1->setInterval(kTimer1Ms);

    connect(SpeedButton1, &QToolButton::clicked, this, &THistoryForm::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &QWidget::close);
    connect(ExportButton, &QToolButton::clicked, this, &THistoryForm::ExportButtonClick);
    connect(SpeedButton3, &QToolButton::clicked, this, &THistoryForm::SpeedButton3Click);
    // Enter in the filter presses "Отобрать".
    connect(Edit1, &QLineEdit::returnPressed, SpeedButton3, &QToolButton::click);
    // What cannot go into code page 1251 shows as "?", as it would be searched.
    connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString representable = Ansi::representable(text);
        if (representable != text) {
            const int cursor = Edit1->cursorPosition();
            Edit1->setText(representable);
            Edit1->setCursorPosition(cursor);
        }
    });
    connect(Timer1, &QTimer::timeout, this, &THistoryForm::Timer1Timer);
    connect(columns, &QHeaderView::sectionClicked, this, &THistoryForm::ListViewColumnClick);
    connect(ListView, &QTableView::doubleClicked, this, [this] {
        if (!selectedRows().isEmpty())
            N4Click();
    });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void THistoryForm::buildMenu() {
    PopupMenu1 = new QMenu(this);
    N4 = PopupMenu1->addAction(QStringLiteral("Повторить сообщение"), this, &THistoryForm::N4Click);
    PopupMenu1->setDefaultAction(N4);
    N3 = PopupMenu1->addSeparator();
    N6 = PopupMenu1->addAction(QStringLiteral("Запросить статус"), this, &THistoryForm::N6Click);
    N5 = PopupMenu1->addSeparator();
    N1 = PopupMenu1->addAction(QStringLiteral("Удалить"), this, &THistoryForm::N1Click);
    N2 = PopupMenu1->addAction(QStringLiteral("Удалить все"), this, &THistoryForm::N2Click);
    connect(PopupMenu1, &QMenu::aboutToShow, this, &THistoryForm::PopupMenu1Popup);
    connect(ListView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(ListView->viewport()->mapToGlobal(at)); });
}

void THistoryForm::dressInSkin() {
    const SkinUnit& skin = SkinUnit::active();
    SkinnedWindow parts;
    parts.banner = Image1;
    parts.picture = Image2;
    parts.pictureFile = QStringLiteral("9.bmp");
    parts.captions = {Label6, Label7};
    parts.otherBackground = {ListView, Edit1};
    skin.dress(this, parts);
    for (QWidget* widget : {static_cast<QWidget*>(Panel3), static_cast<QWidget*>(Stat)})
        SkinUnit::setBackground(widget, skin.Main());
    SpeedButton1->setIcon(QPixmap::fromImage(skin.sprites().smallIcon(kRefreshIcon)));
    SpeedButton2->setIcon(QPixmap::fromImage(skin.sprites().smallIcon(kCloseIcon)));

    const QList<HistoryColors::LegendEntry> legend = HistoryColors::legend();
    for (int i = 0; i < LegendBoxes.size(); ++i) {
        QPalette palette = LegendBoxes[i]->palette();
        palette.setColor(QPalette::Window, legend[i].color.value_or(skin.Other()));
        LegendBoxes[i]->setPalette(palette);
    }
}

void THistoryForm::setContactBook(ContactBook* book) {
    m_book = book;
}

QString THistoryForm::statusText() const {
    return Stat->currentMessage();
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
        FormShow();
}

void THistoryForm::closeEvent(QCloseEvent* event) {
    Timer1->stop();
    m_model->clear();
    event->accept();
}

void THistoryForm::FormShow() {
    fill(true);
}

void THistoryForm::Refill() {
    if (isVisible())
        fill(false);
}

void THistoryForm::fill(bool asShow) {
    const HistoryFilter filter(NumberFilter, FilterText,
                               HistoryFilter::ContactNamesFrom(m_book.data()));
    const HistoryLock lock(m_file.path());
    const bool listHadFocus = ListView->hasFocus();
    ListView->hide();
    m_model->clear();
    // "Загрузка..." stands in the list's place while a long history is read.
    if (isVisible())
        Panel3->repaint();

    HistoryFile::Damage damage;
    QList<HistoryRow> rows = rowsFromRecords(m_file.readAll(nullptr, &damage), filter);
    m_damageNote = damage ? damage->message() : QString();
    m_model->setRows(std::move(rows));

    const bool pending = m_model->anyPending();
    SpeedButton1->setEnabled(pending && !m_allQueryRunning);
    if (pending && asShow)
        Timer1->start();

    ListView->show();
    if (listHadFocus)
        ListView->setFocus();
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
    Stat->showMessage(text);
}

void THistoryForm::SpeedButton3Click() {
    FilterText = Edit1->text();
    Refill();
    FilterText.clear();
}

void THistoryForm::ListViewColumnClick(int column) {
    m_model->sort(column);
}

QList<int> THistoryForm::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : ListView->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool THistoryForm::canUseStatus() const {
    const std::shared_ptr<Registry> store = ServiceState::SettingsStore();
    try {
        return store && Settings(*store).find(Setting::CanUseStatus).value_or(false);
    } catch (const RegistryError&) {
        // A store that cannot be read allows no more than a missing value does.
        return false;
    }
}

void THistoryForm::PopupMenu1Popup() {
    const QList<int> selected = selectedRows();
    N4->setEnabled(selected.size() == 1);
    N1->setEnabled(!selected.isEmpty());
    N2->setEnabled(m_model->rowCount() > 0);
    const bool askOne = !selected.isEmpty() &&
                        m_model->row(selected.first()).record.Status == TMess::kStatusSent &&
                        canUseStatus();
    N6->setVisible(askOne);
    N5->setVisible(askOne);
}

void THistoryForm::N4Click() {
    const QList<int> selected = selectedRows();
    if (selected.isEmpty() || !repeatMessage)
        return;
    const HistoryRow& row = m_model->row(selected.first());
    repeatMessage(row.record.Sender, row.name, row.record.Number, row.record.Sign, row.record.Text);
}

void THistoryForm::N1Click() {
    deleteRows(false);
}

void THistoryForm::N2Click() {
    deleteRows(true);
}

void THistoryForm::deleteRows(bool all) {
    Edit1->clear();
    const QString question =
        all ? QStringLiteral("Вы действительно хотите удалить все сообщения?")
            : QStringLiteral("Вы действительно хотите удалить выделенные записи?");
    if (!Prompts::confirm(this, question))
        return;

    QString error;
    {
        const HistoryLock lock(m_file.path());
        Stat->showMessage(QStringLiteral("Обработка..."));
        Stat->repaint();
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

void THistoryForm::Timer1Timer() {
    Timer1->stop();
    SpeedButton1Click();
}

void THistoryForm::ExportButtonClick() {
    const QString path =
        Prompts::saveFile(this, QStringLiteral("Экспорт истории"),
                          QDir(Prompts::documentsFolder()).filePath(QStringLiteral("История.csv")),
                          QStringLiteral("Файлы CSV (*.csv);;Все файлы (*)"));
    if (path.isEmpty())
        return;
    // Without the byte order mark a spreadsheet reads the file in the desktop's code page, and
    // in a Russian locale it splits fields at ";", not at commas.
    const HistoryCsv writer(';');
    QByteArray csv = "\xEF\xBB\xBF" + writer.header();
    for (const HistoryRow& row : m_model->rows())
        writer.appendRow(csv, row.record, row.name);
    const QString error = saveFileAtomically(path, csv, FileAccess::Ordinary);
    if (!error.isEmpty())
        Prompts::error(this, QStringLiteral("Не удалось сохранить файл %1: %2").arg(path, error));
}

void THistoryForm::SpeedButton1Click() {
    if (m_allQueryRunning)
        return;
    m_allQueryRunning = true;
    SpeedButton1->setEnabled(false);
    Stat->showMessage(QStringLiteral("Запрос статуса сообщений..."));
    const HistoryFile file = m_file;
    runQuery([file] { return HistoryStatusQuery::queryAll(file); },
             [this](const HistoryStatusQuery::Outcome& outcome) {
                 m_allQueryRunning = false;
                 SpeedButton1->setEnabled(outcome.ok ? outcome.anyPending : m_model->anyPending());
             });
}

void THistoryForm::N6Click() {
    const QList<int> selected = selectedRows();
    if (selected.isEmpty())
        return;
    const qint32 id = m_model->row(selected.first()).record.Id;
    Stat->showMessage(QStringLiteral("Запрос статуса сообщения..."));
    const HistoryFile file = m_file;
    runQuery([file, id] { return HistoryStatusQuery::queryOne(file, id); },
             [this](const HistoryStatusQuery::Outcome& outcome) {
                 if (!outcome.ok)
                     return;
                 if (!m_allQueryRunning)
                     SpeedButton1->setEnabled(outcome.anyPending);
                 // Out of the selection, so that its new colour shows.
                 ListView->clearSelection();
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
            Stat->showMessage(failure.isEmpty() ? kConnectionError : failure);
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
