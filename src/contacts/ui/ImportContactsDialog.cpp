#include "ImportContactsDialog.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace {

QString invalidText(const BookImport::Invalid& row) {
    const QString name = row.name.trimmed().isEmpty() ? QStringLiteral("без имени") : row.name;
    if (row.problem == BookImport::Problem::NoNumber)
        return QStringLiteral("Строка %1: %2 — нет номера").arg(row.line).arg(name);
    return QStringLiteral("Строка %1: %2 — неверный номер «%3»")
        .arg(row.line)
        .arg(name, row.number.trimmed());
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

    auto* fileLabel = new QLabel(QStringLiteral("Файл: %1").arg(QFileInfo(fileName).fileName()));
    fileLabel->setToolTip(fileName);

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
    auto* groupRow = new QFormLayout;
    groupRow->addRow(QStringLiteral("&Группа для контактов без группы:"), m_groupBox);

    m_countsLabel = new QLabel;
    m_countsLabel->setObjectName(QStringLiteral("CountsLabel"));
    m_invalidList = new QListWidget;
    m_invalidList->setObjectName(QStringLiteral("InvalidList"));
    auto* invalidCaption = new QLabel(QStringLiteral("&Не будут добавлены:"));
    invalidCaption->setBuddy(m_invalidList);

    auto* buttons = new QDialogButtonBox;
    m_importButton =
        buttons->addButton(QStringLiteral("Импортировать"), QDialogButtonBox::AcceptRole);
    m_importButton->setObjectName(QStringLiteral("ImportButton"));
    m_importButton->setDefault(true);
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileLabel);
    layout->addLayout(groupRow);
    layout->addWidget(m_countsLabel);
    layout->addWidget(invalidCaption);
    layout->addWidget(m_invalidList, 1);
    layout->addWidget(buttons);
    resize(460, 360);

    // A large file takes a moment to plan, so typing a group name waits for a pause.
    auto* replanSoon = new QTimer(this);
    replanSoon->setSingleShot(true);
    replanSoon->setInterval(200);
    connect(replanSoon, &QTimer::timeout, this, &ImportContactsDialog::replan);
    connect(m_groupBox, &QComboBox::currentTextChanged, replanSoon, qOverload<>(&QTimer::start));
    replan();
}

void ImportContactsDialog::replan() {
    m_plan = BookImport::plan(m_book, m_rows, m_groupBox->currentText(), m_numbers);
    m_countsLabel->setText(QStringLiteral("Новых контактов: %1\nУже есть в книге: %2\n"
                                          "С ошибкой в номере: %3\nНовых групп: %4")
                               .arg(m_plan.added)
                               .arg(m_plan.duplicates)
                               .arg(m_plan.invalid.size())
                               .arg(m_plan.newGroups));
    m_invalidList->clear();
    for (const BookImport::Invalid& row : m_plan.invalid)
        m_invalidList->addItem(invalidText(row));
    m_invalidList->setEnabled(!m_plan.invalid.isEmpty());
    m_importButton->setEnabled(!m_plan.steps.isEmpty());
}
