#include "EditTemplateListUnit.h"

#include "platform/Ansi.h"
#include "platform/ui/Prompts.h"
#include "skins/ui/SkinUnit.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

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
    List = new QListWidget(this);
    List->setSelectionBehavior(QAbstractItemView::SelectRows);
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->setStyleSheet(QStringLiteral("QListWidget::item { border-bottom: 1px solid #c0c0c0; }"));
    SpeedButton3 = flatButton(this, QStringLiteral("Добавить"));
    SpeedButton1 = flatButton(this, QStringLiteral("Изменить"));
    SpeedButton2 = flatButton(this, QStringLiteral("Удалить"));
    SpeedButton4 = flatButton(this, QStringLiteral("Закрыть"));
    SpeedButton1->setEnabled(false);
    SpeedButton2->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    for (QToolButton* button : {SpeedButton3, SpeedButton1, SpeedButton2})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(SpeedButton4);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(List);
    layout->addLayout(buttons);
    setFixedSize(420, 300);

    const SkinUnit& skin = SkinUnit::active();
    SkinUnit::setBackground(this, skin.Main());
    SkinUnit::setBackground(List, skin.Other());

    connect(List, &QListWidget::itemSelectionChanged, this, &TEditTemplateListForm::ListSelectItem);
    connect(List, &QListWidget::itemDoubleClicked, this, &TEditTemplateListForm::SpeedButton1Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TEditTemplateListForm::SpeedButton3Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TEditTemplateListForm::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TEditTemplateListForm::SpeedButton2Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TEditTemplateListForm::SpeedButton4Click);
    FormCreate();
}

void TEditTemplateListForm::FormCreate() {
    QString error;
    const QStringList lines = m_file.read(&error);
    if (!error.isEmpty())
        Prompts::error(this, error);
    List->addItems(lines);
}

QStringList TEditTemplateListForm::templates() const {
    QStringList lines;
    for (int row = 0; row < List->count(); ++row)
        lines.append(List->item(row)->text());
    return lines;
}

QListWidgetItem* TEditTemplateListForm::selectedTemplate() const {
    const QList<QListWidgetItem*> selected = List->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void TEditTemplateListForm::ListSelectItem() {
    const bool selected = selectedTemplate() != nullptr;
    SpeedButton1->setEnabled(selected);
    SpeedButton2->setEnabled(selected);
}

void TEditTemplateListForm::SpeedButton3Click() {
    const QString text =
        asTemplate(Prompts::inputText(this, kInputCaption, kInputPrompt, QString(), kTemplateLimit)
                       .value_or(QString()));
    if (!text.isEmpty())
        List->addItem(text);
}

void TEditTemplateListForm::SpeedButton1Click() {
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

void TEditTemplateListForm::SpeedButton2Click() {
    QListWidgetItem* item = selectedTemplate();
    if (!item)
        return;
    const QString text =
        QStringLiteral("Вы действительно хотите удалить шаблон\n\"%1\" ?").arg(item->text());
    if (Prompts::message(this, text, QStringLiteral("Предупреждение"), QMessageBox::Warning,
                         QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        delete item;
}

void TEditTemplateListForm::SpeedButton4Click() {
    close();
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
