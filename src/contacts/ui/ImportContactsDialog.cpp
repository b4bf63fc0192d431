#include "ImportContactsDialog.h"

#include "ImportRowModel.h"
#include "skins/ui/SkinUnit.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <algorithm>

namespace {

bool hasSeveralNumbers(const ImportedContacts& rows) {
    return std::any_of(rows.begin(), rows.end(),
                       [](const ImportedContact& row) { return row.numbers.size() > 1; });
}

} // namespace

ImportContactsDialog::ImportContactsDialog(const QString& fileName, ImportedContacts rows,
                                           QList<BookGroup> book, const PhoneNumbers& numbers,
                                           QWidget* parent)
    : QDialog(parent)
    , m_rows(std::move(rows))
    , m_book(std::move(book))
    , m_numbers(numbers) {
    setObjectName(QStringLiteral("ImportContactsDialog"));
    setWindowTitle(kTitle);
    buildControls(fileName);
    dressInSkin();

    // A large file takes a moment to plan, so typing a group name waits for a pause.
    auto* replanSoon = new QTimer(this);
    replanSoon->setSingleShot(true);
    replanSoon->setInterval(200);
    connect(replanSoon, &QTimer::timeout, this, &ImportContactsDialog::replan);
    connect(m_groupBox, &QComboBox::currentTextChanged, replanSoon, qOverload<>(&QTimer::start));
    connect(m_allNumbersBox, &QCheckBox::toggled, this, &ImportContactsDialog::replan);
    replan();

    // The group is what is most often changed: focused, its text selected so typing replaces
    // it rather than adding to "Без группы".
    m_groupBox->setFocus();
    m_groupBox->lineEdit()->selectAll();
}

void ImportContactsDialog::buildControls(const QString& fileName) {
    m_header =
        SkinnedHeader::create(this, kTitle, QStringLiteral("Проверьте, что будет добавлено"));

    m_fileLabel = new QLabel(QStringLiteral("Файл: %1").arg(QFileInfo(fileName).fileName()));
    m_fileLabel->setToolTip(fileName);

    // Typing a new name makes that group; the list offers the book's groups.
    m_groupBox = new QComboBox;
    m_groupBox->setObjectName(QStringLiteral("GroupBox"));
    m_groupBox->setEditable(true);
    m_groupBox->setInsertPolicy(QComboBox::NoInsert);
    m_groupBox->addItem(BookImport::kNoGroup);
    for (const BookGroup& group : m_book) {
        if (group.entry.caption != BookImport::kNoGroup &&
            m_groupBox->findText(group.entry.caption, Qt::MatchExactly) < 0)
            m_groupBox->addItem(group.entry.caption);
    }
    // Completion in a list under the field: the inline kind takes Enter for itself while the
    // text is selected, and Enter must import.
    m_groupBox->completer()->setCompletionMode(QCompleter::PopupCompletion);
    m_groupBox->lineEdit()->installEventFilter(this);
    auto* groupCaption = new QLabel(QStringLiteral("&Группа для контактов без группы:"));
    groupCaption->setBuddy(m_groupBox);

    m_allNumbersBox = new QCheckBox(QStringLiteral("&Каждый номер контакта — отдельным контактом"));
    m_allNumbersBox->setObjectName(QStringLiteral("AllNumbersBox"));
    m_allNumbersBox->setVisible(hasSeveralNumbers(m_rows));

    m_countsLabel = new QLabel;
    m_countsLabel->setObjectName(QStringLiteral("CountsLabel"));

    m_rowModel = new ImportRowModel(this);
    m_rowsView = new QTableView;
    m_rowsView->setObjectName(QStringLiteral("RowsView"));
    m_rowsView->setModel(m_rowModel);
    m_rowsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rowsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rowsView->setTabKeyNavigation(false);
    m_rowsView->setWordWrap(false);
    m_rowsView->verticalHeader()->hide();
    m_rowsView->verticalHeader()->setDefaultSectionSize(m_rowsView->fontMetrics().height() + 6);
    m_rowsView->horizontalHeader()->setStretchLastSection(true);
    m_rowsView->setColumnWidth(ImportRowModel::LineColumn, 56);
    m_rowsView->setColumnWidth(ImportRowModel::NameColumn, 170);
    m_rowsView->setColumnWidth(ImportRowModel::NumberColumn, 120);
    m_rowsView->setColumnWidth(ImportRowModel::GroupColumn, 110);
    m_rowsView->setAccessibleName(QStringLiteral("Строки файла"));

    m_importButton = new QPushButton(QStringLiteral("Импортировать"));
    m_importButton->setObjectName(QStringLiteral("ImportButton"));
    m_importButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Отмена"));
    m_cancelButton->setObjectName(QStringLiteral("CancelButton"));
    m_cancelButton->setAutoDefault(false);
    connect(m_importButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* groupRow = new QHBoxLayout;
    groupRow->addWidget(groupCaption);
    groupRow->addWidget(m_groupBox, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_importButton);
    buttons->addWidget(m_cancelButton);
    QVBoxLayout* body = m_header.bodyBelow(this, 6);
    body->addWidget(m_fileLabel);
    body->addLayout(groupRow);
    body->addWidget(m_allNumbersBox);
    body->addWidget(m_countsLabel);
    body->addWidget(m_rowsView, 1);
    body->addLayout(buttons);
    resize(680, 460);

    setTabOrder(m_groupBox, m_allNumbersBox);
    setTabOrder(m_allNumbersBox, m_rowsView);
    setTabOrder(m_rowsView, m_importButton);
    setTabOrder(m_importButton, m_cancelButton);
}

void ImportContactsDialog::dressInSkin() {
    const SkinUnit& skin = SkinUnit::active();
    SkinnedWindow parts;
    parts.banner = m_header.banner;
    parts.picture = m_header.picture;
    // The contact editor's picture: this too adds contacts.
    parts.pictureFile = QStringLiteral("6.bmp");
    parts.captions = {m_header.title, m_header.subtitle};
    parts.infoLabels = {m_fileLabel, m_countsLabel};
    parts.otherBackground = {m_rowsView};
    skin.dress(this, parts);
    m_importButton->setIcon(skin.sprites().smallIconForButton(SkinSprites::OkGlyph));
    m_cancelButton->setIcon(skin.sprites().smallIconForButton(SkinSprites::CancelGlyph));
}

bool ImportContactsDialog::eventFilter(QObject* watched, QEvent* event) {
    // Selected whenever the field is entered, by Tab or by mouse, so a new name replaces it.
    if (watched == m_groupBox->lineEdit() && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, m_groupBox->lineEdit(), &QLineEdit::selectAll);
    return QDialog::eventFilter(watched, event);
}

void ImportContactsDialog::replan() {
    m_plan = BookImport::plan(m_book, m_rows, m_groupBox->currentText(), m_numbers,
                              {.allNumbers = m_allNumbersBox->isChecked()});
    QString counts = QStringLiteral("Новых контактов: %1\nУже есть в книге: %2\n"
                                    "Повтор в файле: %3\nС ошибкой в номере: %4\nНовых групп: %5")
                         .arg(m_plan.added)
                         .arg(m_plan.duplicates)
                         .arg(m_plan.repeats)
                         .arg(m_plan.invalid.size())
                         .arg(m_plan.newGroups);
    if (m_plan.renamed > 0)
        counts += QStringLiteral("\nИзменено имён: %1").arg(m_plan.renamed);
    m_countsLabel->setText(counts);
    m_rowModel->setRows(m_plan.rows);
    m_importButton->setEnabled(!m_plan.steps.isEmpty());
}
