#include "EditTemplateListUnit.h"

#include "platform/Ansi.h"
#include "platform/ui/Prompts.h"
#include "skins/ui/SkinUnit.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kFormWidth = 420;
constexpr int kFormHeight = 300;

const QString kInputCaption = QStringLiteral("Заготовки сообщений");
const QString kInputPrompt = QStringLiteral("Введите текст нового шаблона");
constexpr int kTemplateLimit = 255;

QToolButton* flatButton(QWidget* parent, const QString& text) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setText(text);
    return button;
}

// What an input box gives back as a template: text of code page 1251. The box itself keeps
// it within the length limit.
QString asTemplate(const QString& typed) {
    return Ansi::representable(typed);
}

} // namespace

TEditTemplateListForm::TEditTemplateListForm(QWidget* parent, const QString& path)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_file(path) {
    setWindowTitle(QStringLiteral("Заготовленные сообщения"));
    setModal(true);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("templateList"));
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setStyleSheet(
        QStringLiteral("QListWidget::item { border-bottom: 1px solid #c0c0c0; }"));
    m_addButton = flatButton(this, QStringLiteral("Добавить"));
    m_changeButton = flatButton(this, QStringLiteral("Изменить"));
    m_deleteButton = flatButton(this, QStringLiteral("Удалить"));
    m_closeButton = flatButton(this, QStringLiteral("Закрыть"));
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_changeButton->setEnabled(false);
    m_deleteButton->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    for (QToolButton* button : {m_addButton, m_changeButton, m_deleteButton})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(m_closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    // Larger than usual only where a large font needs the room.
    const QSize needed = layout->minimumSize();
    setFixedSize(std::max(kFormWidth, needed.width()), std::max(kFormHeight, needed.height()));

    const SkinUnit& skin = SkinUnit::active();
    SkinUnit::setBackground(this, skin.Main());
    SkinUnit::setBackground(m_list, skin.Other());

    connect(m_list, &QListWidget::itemSelectionChanged, this,
            &TEditTemplateListForm::updateButtons);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &TEditTemplateListForm::changeTemplate);
    connect(m_addButton, &QToolButton::clicked, this, &TEditTemplateListForm::addTemplate);
    connect(m_changeButton, &QToolButton::clicked, this, &TEditTemplateListForm::changeTemplate);
    connect(m_deleteButton, &QToolButton::clicked, this, &TEditTemplateListForm::deleteTemplate);
    connect(m_closeButton, &QToolButton::clicked, this, &QWidget::close);
    FormCreate();
}

void TEditTemplateListForm::FormCreate() {
    QString error;
    const QStringList lines = m_file.read(&error);
    if (!error.isEmpty())
        Prompts::error(this, error);
    m_list->addItems(lines);
}

QStringList TEditTemplateListForm::templates() const {
    QStringList lines;
    for (int row = 0; row < m_list->count(); ++row)
        lines.append(m_list->item(row)->text());
    return lines;
}

QListWidgetItem* TEditTemplateListForm::selectedTemplate() const {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void TEditTemplateListForm::selectTemplate(int row) {
    m_list->setCurrentRow(row);
}

bool TEditTemplateListForm::canChange() const {
    return m_changeButton->isEnabled();
}

bool TEditTemplateListForm::canDelete() const {
    return m_deleteButton->isEnabled();
}

void TEditTemplateListForm::updateButtons() {
    const bool selected = selectedTemplate() != nullptr;
    m_changeButton->setEnabled(selected);
    m_deleteButton->setEnabled(selected);
}

void TEditTemplateListForm::addTemplate() {
    const QString text =
        asTemplate(Prompts::inputText(this, kInputCaption, kInputPrompt, QString(), kTemplateLimit)
                       .value_or(QString()));
    if (!text.isEmpty())
        m_list->addItem(text);
}

void TEditTemplateListForm::changeTemplate() {
    QListWidgetItem* item = selectedTemplate();
    if (!item)
        return;
    // Cancel gives the template back as it was, however long it is.
    const std::optional<QString> typed =
        Prompts::inputText(this, kInputCaption, kInputPrompt, item->text(), kTemplateLimit);
    if (!typed)
        return;
    const QString text = asTemplate(*typed);
    if (!text.isEmpty())
        item->setText(text);
}

void TEditTemplateListForm::deleteTemplate() {
    QListWidgetItem* item = selectedTemplate();
    if (!item)
        return;
    const QString text =
        QStringLiteral("Вы действительно хотите удалить шаблон\n\"%1\" ?").arg(item->text());
    if (Prompts::message(this, text, QStringLiteral("Предупреждение"), QMessageBox::Warning,
                         QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        delete item;
}

void TEditTemplateListForm::FormClose() {
    // Off the screen before the save, so that a box about a failed save stands alone; the
    // window system learns of it when the loop runs next (the box's own, or after the save).
    hide();
    for (;;) {
        const QString error = m_file.write(templates());
        if (error.isEmpty())
            return;
        const QString text =
            QStringLiteral("Список заготовок не сохранён: %1\n\nПовторить попытку?").arg(error);
        const QMessageBox::StandardButton answer =
            Prompts::message(this, text, QStringLiteral("Ошибка"), QMessageBox::Critical,
                             QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry);
        if (answer != QMessageBox::Retry)
            return;
    }
}

void TEditTemplateListForm::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
    QDialog::closeEvent(event);
}

// Esc closes the way the close box does: the list as edited is kept.
void TEditTemplateListForm::reject() {
    close();
}
