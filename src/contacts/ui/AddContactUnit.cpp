#include "AddContactUnit.h"

#include "contacts/ContactBook.h"
#include "platform/ui/Prompts.h"
#include "skins/ui/SkinUnit.h"
#include "widgets/FieldRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kTitle = QStringLiteral("Varnelo");
const QString kAddTitle = QStringLiteral("Создать контакт");
const QString kAddSubtitle = QStringLiteral("Заполните необходимые поля для создания контакта");
const QString kEditContactTitle = QStringLiteral("Изменить контакт");
const QString kEditGroupTitle = QStringLiteral("Изменить группу");
const QString kEditSubtitle = QStringLiteral("Измените необходимые поля");

constexpr int kHeaderHeight = 50;

QString instructions() {
    return QStringList{QStringLiteral("Введите имя абонента, его номер телефона и подпись."),
                       QStringLiteral("ВНИМАНИЕ!"),
                       QStringLiteral("1. Номер телефона указывайте в международном стандарте"),
                       QStringLiteral("(Например ") + TAddContactForm::kExampleNumber +
                           QLatin1Char(')'),
                       QStringLiteral("2. Подпись будет автоматически добавляться "),
                       QStringLiteral("к Вашему сообщению.")}
        .join(QLatin1Char('\n'));
}

} // namespace

TAddContactForm::TAddContactForm(ContactBook& book, const QModelIndex& selected,
                                 std::function<void(const BookEdit&)> saveContacts, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
    , m_book(book)
    , m_selected(selected)
    , m_saveContacts(std::move(saveContacts)) {
    setObjectName(QStringLiteral("AddContactForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kTitle);
    buildControls();
    fillGroups();
    dressInSkin();
}

void TAddContactForm::buildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->setSpacing(8);
    // Fixed to what the shown controls need; edit mode hides some and the dialog shrinks.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_banner = new QLabel(this);
    m_banner->setObjectName(QStringLiteral("banner"));
    m_banner->setFixedHeight(kHeaderHeight);
    auto* header = new QGridLayout(m_banner);
    header->setContentsMargins(8, 6, 8, 6);
    header->setHorizontalSpacing(8);
    header->setVerticalSpacing(0);
    m_picture = new QLabel(m_banner);
    m_picture->setObjectName(QStringLiteral("picture"));
    m_picture->setFixedSize(32, 32);
    m_picture->setScaledContents(true);
    m_title = new QLabel(kAddTitle, m_banner);
    m_title->setObjectName(QStringLiteral("title"));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_subtitle = new QLabel(kAddSubtitle, m_banner);
    m_subtitle->setObjectName(QStringLiteral("subtitle"));
    QFont small = m_subtitle->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_subtitle->setFont(small);
    header->addWidget(m_picture, 0, 0, 2, 1, Qt::AlignVCenter);
    header->addWidget(m_title, 0, 1);
    header->addWidget(m_subtitle, 1, 1);
    header->setColumnStretch(1, 1);
    // Taller than the skin's banner when a large font needs it.
    m_banner->setFixedHeight(std::max(kHeaderHeight, m_title->sizeHint().height() +
                                                         m_subtitle->sizeHint().height() + 12));
    layout->addWidget(m_banner);

    auto* body = new QGridLayout;
    body->setContentsMargins(10, 0, 10, 0);
    body->setHorizontalSpacing(8);
    body->setVerticalSpacing(4);
    m_hintIcon = new QLabel(this);
    m_hintIcon->setObjectName(QStringLiteral("hintIcon"));
    m_hintIcon->setFixedSize(21, 32);
    m_instructions = new QLabel(instructions(), this);
    m_instructions->setObjectName(QStringLiteral("instructions"));
    body->addWidget(m_hintIcon, 0, 0, Qt::AlignTop);
    body->addWidget(m_instructions, 0, 1);

    const auto addRow = [this, body](int row, QLabel*& label, const QString& text, QWidget* field) {
        label = new QLabel(text, this);
        label->setBuddy(field);
        body->addWidget(label, row, 1);
        body->addWidget(field, row + 1, 1);
    };
    m_groupCombo = new QComboBox(this);
    m_groupCombo->setObjectName(QStringLiteral("groupCombo"));
    m_groupCombo->setEditable(true);
    m_groupCombo->setInsertPolicy(QComboBox::NoInsert);
    // The caption is taken exactly as typed: completion must not change its letter case.
    m_groupCombo->completer()->setCaseSensitivity(Qt::CaseSensitive);
    // Names keep the nearest letters the book can store ("Müller" → "Muller"); the rest
    // turns into "?" as it is typed, so the user sees what will be saved and sent.
    FieldRules::nearestInCodePage(m_groupCombo->lineEdit());
    // Screen readers meet the typing field inside the list, not the list's label.
    m_groupCombo->lineEdit()->setAccessibleName(QStringLiteral("Группа"));
    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setObjectName(QStringLiteral("nameEdit"));
    m_numberEdit = new QLineEdit(this);
    m_numberEdit->setObjectName(QStringLiteral("numberEdit"));
    m_signEdit = new QLineEdit(this);
    m_signEdit->setObjectName(QStringLiteral("signEdit"));
    FieldRules::nearestInCodePage(m_nameEdit);
    for (QLineEdit* edit : {m_numberEdit, m_signEdit})
        FieldRules::codePageOnly(edit);
    addRow(1, m_groupLabel, QStringLiteral("Группа:"), m_groupCombo);
    addRow(3, m_nameLabel, QStringLiteral("Имя абонента:"), m_nameEdit);
    addRow(5, m_numberLabel, QStringLiteral("Номер телефона:"), m_numberEdit);
    addRow(7, m_signLabel, QStringLiteral("Подпись:"), m_signEdit);
    m_groupLabel->setObjectName(QStringLiteral("groupLabel"));
    m_nameLabel->setObjectName(QStringLiteral("nameLabel"));
    m_numberLabel->setObjectName(QStringLiteral("numberLabel"));
    m_signLabel->setObjectName(QStringLiteral("signLabel"));
    m_translitCheck = new QCheckBox(QStringLiteral("Отправлять в транслите"), this);
    m_translitCheck->setObjectName(QStringLiteral("translitCheck"));
    body->addWidget(m_translitCheck, 9, 1);
    layout->addLayout(body);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(10, 0, 10, 0);
    buttons->addStretch(1);
    m_okButton = new QPushButton(QStringLiteral("ОК"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_cancelButton = new QPushButton(QStringLiteral("Отмена"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton* button : {m_okButton, m_cancelButton}) {
        button->setFlat(true);
        buttons->addWidget(button);
    }
    m_okButton->setDefault(true);
    layout->addLayout(buttons);

    setTabOrder(m_groupCombo, m_nameEdit);
    setTabOrder(m_nameEdit, m_numberEdit);
    setTabOrder(m_numberEdit, m_signEdit);
    setTabOrder(m_signEdit, m_translitCheck);
    setTabOrder(m_translitCheck, m_okButton);
    setTabOrder(m_okButton, m_cancelButton);

    connect(m_okButton, &QPushButton::clicked, this, &TAddContactForm::confirm);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TAddContactForm::dressInSkin() {
    const SkinUnit& skin = SkinUnit::active();
    SkinnedWindow parts;
    parts.banner = m_banner;
    parts.picture = m_picture;
    parts.pictureFile = QStringLiteral("6.bmp");
    parts.captions = {m_title, m_subtitle};
    parts.infoLabels = {m_instructions};
    skin.dress(this, parts);
    const QImage tall = skin.sprites().tallIcon();
    m_hintIcon->setPixmap(tall.isNull() ? QPixmap() : QPixmap::fromImage(tall));
    m_okButton->setIcon(skin.sprites().smallIconForButton(SkinSprites::OkGlyph));
    m_cancelButton->setIcon(skin.sprites().smallIconForButton(SkinSprites::CancelGlyph));
}

void TAddContactForm::fillGroups() {
    for (int row = 0; row < m_book.groupCount(); ++row)
        m_groupCombo->addItem(m_book.group(row).entry.caption);
    const QModelIndex group = m_book.groupOf(m_selected);
    m_groupCombo->setEditText(group.isValid() ? m_book.entry(group).caption : QString());
}

void TAddContactForm::prepareEdit() {
    if (!m_selected.isValid())
        return;
    m_subtitle->setText(kEditSubtitle);
    if (ContactBook::isContact(m_selected)) {
        m_mode = Mode::EditContact;
        m_title->setText(kEditContactTitle);
        for (QWidget* widget : std::initializer_list<QWidget*>{m_groupLabel, m_groupCombo})
            widget->hide();
        const BookEntry entry = m_book.entry(m_selected);
        m_nameEdit->setText(entry.caption);
        m_numberEdit->setText(entry.Number);
        m_signEdit->setText(entry.Sign);
        m_translitCheck->setChecked(entry.Translit);
    } else {
        m_mode = Mode::EditGroup;
        m_title->setText(kEditGroupTitle);
        for (QWidget* widget :
             std::initializer_list<QWidget*>{m_nameLabel, m_numberLabel, m_signLabel, m_nameEdit,
                                             m_numberEdit, m_signEdit, m_translitCheck})
            widget->hide();
    }
}

void TAddContactForm::setFields(const BookEdits::ContactFields& fields) {
    m_groupCombo->setEditText(fields.group);
    m_nameEdit->setText(fields.name);
    m_numberEdit->setText(fields.number);
    m_signEdit->setText(fields.sign);
    m_translitCheck->setChecked(fields.translit);
}

QString TAddContactForm::title() const {
    return m_title->text();
}

BookEdits::ContactFields TAddContactForm::fields() const {
    return {m_groupCombo->currentText(), m_nameEdit->text(), m_numberEdit->text(),
            m_signEdit->text(), m_translitCheck->isChecked()};
}

void TAddContactForm::confirm() {
    if (m_mode == Mode::Add)
        confirmAdd();
    else
        confirmEdit();
}

void TAddContactForm::confirmAdd() {
    const BookEdits::ContactFields typed = fields();
    switch (BookEdits::checkNewContact(typed)) {
    case BookEdits::AddCheck::NoGroup:
        Prompts::message(this, kNoGroupText, kErrorCaption, QMessageBox::Critical);
        return;
    case BookEdits::AddCheck::NoName:
        Prompts::message(this, kNoNameText, kErrorCaption, QMessageBox::Critical);
        return;
    case BookEdits::AddCheck::NotInternational:
        if (Prompts::message(this, kNotInternationalText, kWarningCaption, QMessageBox::Warning,
                             QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::Yes) != QMessageBox::Yes)
            return;
        break;
    case BookEdits::AddCheck::Ok:
        break;
    }
    BookEdits::addContact(m_book, typed);
    if (m_saveContacts)
        m_saveContacts(BookEdit::addContact(typed));
    accept();
}

void TAddContactForm::confirmEdit() {
    std::optional<BookEdit> edit;
    if (m_mode == Mode::EditContact && ContactBook::isContact(m_selected)) {
        edit = BookEdit::editContact(m_book, m_selected, fields());
        BookEdits::editContact(m_book, m_selected, fields());
    } else if (m_mode == Mode::EditGroup && ContactBook::isGroup(m_selected)) {
        edit = BookEdit::renameGroup(m_book, m_selected, m_groupCombo->currentText());
        BookEdits::renameGroup(m_book, m_selected, m_groupCombo->currentText());
    } else {
        // The entry left the book while the dialog was open.
        reject();
        return;
    }
    if (m_saveContacts)
        m_saveContacts(*edit);
    accept();
}

void TAddContactForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen =
            this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TAddContactForm::runAdd(ContactBook& book, const QModelIndex& selected,
                             const std::function<void(const BookEdit&)>& saveContacts,
                             QWidget* parent) {
    auto* form = new TAddContactForm(book, selected, saveContacts, parent);
    form->exec();
}

void TAddContactForm::runEdit(ContactBook& book, const QModelIndex& selected,
                              const std::function<void(const BookEdit&)>& saveContacts,
                              QWidget* parent) {
    if (!selected.isValid())
        return;
    auto* form = new TAddContactForm(book, selected, saveContacts, parent);
    form->prepareEdit();
    form->exec();
}
