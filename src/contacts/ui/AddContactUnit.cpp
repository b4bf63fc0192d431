#include "AddContactUnit.h"

#include "contacts/ContactBook.h"
#include "platform/Ansi.h"
#include "platform/ui/Prompts.h"
#include "skins/ui/SkinUnit.h"

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

namespace {

const QString kTitle = QStringLiteral("Varnelo");
const QString kAddTitle = QStringLiteral("Создать контакт");
const QString kAddSubtitle = QStringLiteral("Заполните необходимые поля для создания контакта");
const QString kEditContactTitle = QStringLiteral("Изменить контакт");
const QString kEditGroupTitle = QStringLiteral("Изменить группу");
const QString kEditSubtitle = QStringLiteral("Измените необходимые поля");

constexpr int kHeaderHeight = 50;
constexpr int kOkIcon = 13;
constexpr int kCancelIcon = 14;

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

// What is typed or pasted becomes what the book can store: characters outside code page
// 1251 turn into "?" at once, so the user sees what will be saved and sent.
void keepToCodePage(QLineEdit* edit) {
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const QString stored = Ansi::representable(text);
        if (stored == text)
            return;
        const int cursor = edit->cursorPosition();
        edit->setText(stored);
        edit->setCursorPosition(cursor);
    });
}

QIcon iconOf(const QImage& image) {
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
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

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedHeight(kHeaderHeight);
    auto* header = new QGridLayout(Image1);
    header->setContentsMargins(8, 6, 8, 6);
    header->setHorizontalSpacing(8);
    header->setVerticalSpacing(0);
    Image3 = new QLabel(Image1);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setFixedSize(32, 32);
    Image3->setScaledContents(true);
    Label6 = new QLabel(kAddTitle, Image1);
    Label6->setObjectName(QStringLiteral("Label6"));
    QFont bold = Label6->font();
    bold.setBold(true);
    Label6->setFont(bold);
    Label7 = new QLabel(kAddSubtitle, Image1);
    Label7->setObjectName(QStringLiteral("Label7"));
    QFont small = Label7->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    Label7->setFont(small);
    header->addWidget(Image3, 0, 0, 2, 1, Qt::AlignVCenter);
    header->addWidget(Label6, 0, 1);
    header->addWidget(Label7, 1, 1);
    header->setColumnStretch(1, 1);
    layout->addWidget(Image1);

    auto* body = new QGridLayout;
    body->setContentsMargins(10, 0, 10, 0);
    body->setHorizontalSpacing(8);
    body->setVerticalSpacing(4);
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setFixedSize(21, 32);
    Label3 = new QLabel(instructions(), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    body->addWidget(Image2, 0, 0, Qt::AlignTop);
    body->addWidget(Label3, 0, 1);

    const auto addRow = [this, body](int row, QLabel*& label, const QString& text, QWidget* field) {
        label = new QLabel(text, this);
        label->setBuddy(field);
        body->addWidget(label, row, 1);
        body->addWidget(field, row + 1, 1);
    };
    Group = new QComboBox(this);
    Group->setObjectName(QStringLiteral("Group"));
    Group->setEditable(true);
    Group->setInsertPolicy(QComboBox::NoInsert);
    // The caption is taken exactly as typed: completion must not change its letter case.
    Group->completer()->setCaseSensitivity(Qt::CaseSensitive);
    keepToCodePage(Group->lineEdit());
    EditNameAbonent = new QLineEdit(this);
    EditNameAbonent->setObjectName(QStringLiteral("EditNameAbonent"));
    EditNumber = new QLineEdit(this);
    EditNumber->setObjectName(QStringLiteral("EditNumber"));
    SignEdit = new QLineEdit(this);
    SignEdit->setObjectName(QStringLiteral("SignEdit"));
    for (QLineEdit* edit : {EditNameAbonent, EditNumber, SignEdit})
        keepToCodePage(edit);
    addRow(1, Label4, QStringLiteral("Группа:"), Group);
    addRow(3, Label2, QStringLiteral("Имя абонента:"), EditNameAbonent);
    addRow(5, Label5, QStringLiteral("Номер телефона:"), EditNumber);
    addRow(7, Label1, QStringLiteral("Подпись:"), SignEdit);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Label5->setObjectName(QStringLiteral("Label5"));
    Label1->setObjectName(QStringLiteral("Label1"));
    CheckBox1 = new QCheckBox(QStringLiteral("Отправлять в транслите"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    body->addWidget(CheckBox1, 9, 1);
    layout->addLayout(body);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(10, 0, 10, 0);
    buttons->addStretch(1);
    ButOK = new QPushButton(QStringLiteral("ОК"), this);
    ButOK->setObjectName(QStringLiteral("ButOK"));
    ButCancel = new QPushButton(QStringLiteral("Отмена"), this);
    ButCancel->setObjectName(QStringLiteral("ButCancel"));
    for (QPushButton* button : {ButOK, ButCancel}) {
        button->setFlat(true);
        buttons->addWidget(button);
    }
    ButOK->setDefault(true);
    layout->addLayout(buttons);

    setTabOrder(Group, EditNameAbonent);
    setTabOrder(EditNameAbonent, EditNumber);
    setTabOrder(EditNumber, SignEdit);
    setTabOrder(SignEdit, CheckBox1);
    setTabOrder(CheckBox1, ButOK);
    setTabOrder(ButOK, ButCancel);

    connect(ButOK, &QPushButton::clicked, this, &TAddContactForm::confirmed);
    connect(ButCancel, &QPushButton::clicked, this, &TAddContactForm::ButCancelClick);
}

void TAddContactForm::dressInSkin() {
    const SkinUnit& skin = SkinUnit::active();
    SkinnedWindow parts;
    parts.banner = Image1;
    parts.picture = Image3;
    parts.pictureFile = QStringLiteral("6.bmp");
    parts.captions = {Label6, Label7};
    parts.infoLabels = {Label3};
    skin.dress(this, parts);
    const QImage tall = skin.sprites().tallIcon();
    Image2->setPixmap(tall.isNull() ? QPixmap() : QPixmap::fromImage(tall));
    ButOK->setIcon(iconOf(skin.sprites().smallIcon(kOkIcon)));
    ButCancel->setIcon(iconOf(skin.sprites().smallIcon(kCancelIcon)));
}

void TAddContactForm::fillGroups() {
    for (int row = 0; row < m_book.groupCount(); ++row)
        Group->addItem(m_book.group(row).entry.caption);
    const QModelIndex group = m_book.groupOf(m_selected);
    Group->setEditText(group.isValid() ? m_book.entry(group).caption : QString());
}

void TAddContactForm::prepareEdit() {
    if (!m_selected.isValid())
        return;
    Label7->setText(kEditSubtitle);
    if (ContactBook::isContact(m_selected)) {
        m_mode = Mode::EditContact;
        Label6->setText(kEditContactTitle);
        for (QWidget* widget : std::initializer_list<QWidget*>{Label4, Group})
            widget->hide();
        const BookEntry entry = m_book.entry(m_selected);
        EditNameAbonent->setText(entry.caption);
        EditNumber->setText(entry.Number);
        SignEdit->setText(entry.Sign);
        CheckBox1->setChecked(entry.Translit);
    } else {
        m_mode = Mode::EditGroup;
        Label6->setText(kEditGroupTitle);
        for (QWidget* widget : std::initializer_list<QWidget*>{
                 Label2, Label5, Label1, EditNameAbonent, EditNumber, SignEdit, CheckBox1})
            widget->hide();
    }
}

BookEdits::ContactFields TAddContactForm::fields() const {
    return {Group->currentText(), EditNameAbonent->text(), EditNumber->text(), SignEdit->text(),
            CheckBox1->isChecked()};
}

void TAddContactForm::confirmed() {
    if (m_mode == Mode::Add)
        ButOKClick();
    else
        ButADDClick();
}

void TAddContactForm::ButOKClick() {
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

void TAddContactForm::ButADDClick() {
    std::optional<BookEdit> edit;
    if (m_mode == Mode::EditContact && ContactBook::isContact(m_selected)) {
        edit = BookEdit::editContact(m_book, m_selected, fields());
        BookEdits::editContact(m_book, m_selected, fields());
    } else if (m_mode == Mode::EditGroup && ContactBook::isGroup(m_selected)) {
        edit = BookEdit::renameGroup(m_book, m_selected, Group->currentText());
        BookEdits::renameGroup(m_book, m_selected, Group->currentText());
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

void TAddContactForm::ButCancelClick() {
    reject();
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
