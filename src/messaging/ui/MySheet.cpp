#include "MySheet.h"

#include "EditTemplateListUnit.h"
#include "FieldPreviewDialog.h"
#include "MessageEdit.h"
#include "SendPages.h"
#include "SendUnit.h"
#include "TypingLimit.h"
#include "contacts/ContactBook.h"
#include "messaging/SenderRule.h"
#include "messaging/TemplatesFile.h"
#include "platform/ui/Prompts.h"
#include "skins/ui/AlignEdit.h"
#include "skins/ui/SkinUnit.h"

#include <QAction>
#include <QCheckBox>
#include <QCursor>
#include <QGridLayout>
#include <QHash>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kUnknownRecipient = QStringLiteral("Неизвестный");
const QString kGroupPrefix = QStringLiteral("Группы ");
const QString kEditList = QStringLiteral("Редактировать список...");
const QString kInsertField = QStringLiteral("Вставить поле");

constexpr int kRecipientLimit = 15;
constexpr int kStripHeight = 20;
constexpr int kStripWidth = 230;
// A name of fifteen letters and a number of up to fifteen digits.
constexpr int kStripDigits = 34;
// The signature field shows at least this many letters.
constexpr int kSignDigits = 12;
constexpr int kIconSend = 2;
constexpr int kIconClose = 3;
constexpr int kIcon22Templates = 0;
constexpr int kIcon22History = 1;

// The X11 key symbols of the left and right Ctrl keys.
constexpr quint32 kLeftCtrl = 0xffe3;
constexpr quint32 kRightCtrl = 0xffe4;

// A coloured strip behind one of the three top fields, wide enough for a recipient's name
// and number in the window's font.
QWidget* strip(QWidget* parent, QWidget* field) {
    auto* background = new QWidget(parent);
    const QFontMetrics metrics = field->fontMetrics();
    background->setFixedSize(
        std::max(kStripWidth, metrics.horizontalAdvance(QLatin1Char('0')) * kStripDigits),
        std::max(kStripHeight, metrics.height() + 4));
    SkinUnit::setBackground(background, SkinUnit::active().Main().darker(112));
    auto* layout = new QHBoxLayout(background);
    layout->setContentsMargins(4, 1, 4, 1);
    layout->addWidget(field);
    return background;
}

QToolButton* flatButton(QWidget* parent, const QIcon& icon, const QString& text) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setIcon(icon);
    button->setText(text);
    button->setToolButtonStyle(text.isEmpty() ? Qt::ToolButtonIconOnly
                                              : Qt::ToolButtonTextBesideIcon);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

} // namespace

TMySheet::TMySheet(TSendForm& form, ContactBook* book)
    : m_form(form)
    , m_book(book) {
    setAttribute(Qt::WA_StaticContents);
    buildControls();
    skinControls();
    followBook();
}

bool TMySheet::hasSeveralNumbers() const {
    return RecipientKind == 0 || Number.contains(QLatin1Char('|'));
}

// Any change of the book may change who a group page sends to and what its fields hold;
// the pages read it once the change is complete.
void TMySheet::followBook() {
    if (!m_book)
        return;
    const auto schedule = [this] {
        if (m_refreshPending)
            return;
        m_refreshPending = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_refreshPending = false;
                refreshRecipients();
            },
            Qt::QueuedConnection);
    };
    connect(m_book, &QAbstractItemModel::rowsInserted, this, schedule);
    connect(m_book, &QAbstractItemModel::rowsRemoved, this, schedule);
    connect(m_book, &QAbstractItemModel::rowsMoved, this, schedule);
    connect(m_book, &QAbstractItemModel::modelReset, this, schedule);
    connect(m_book, &QAbstractItemModel::layoutChanged, this, schedule);
    connect(m_book, &QAbstractItemModel::dataChanged, this, schedule);
}

bool TMySheet::followsGroup() const {
    return RecipientKind == 0 && !m_ownNumbers && m_book && ContactNode.isValid() &&
           ContactBook::isGroup(ContactNode);
}

QList<PlanRecipient> TMySheet::currentRecipients(int* withoutNumber) const {
    QList<PlanRecipient> recipients;
    *withoutNumber = 0;
    if (followsGroup()) {
        for (const BookEntry& contact : m_book->group(ContactNode.row()).contacts) {
            if (contact.Number.isEmpty())
                ++*withoutNumber;
            else
                recipients.append({contact.Number, contact.Name, contact.Sign});
        }
        return recipients;
    }
    const QStringList numbers = Number.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QHash<QString, const BookEntry*> contacts;
    for (int row = 0; m_book && row < m_book->groupCount(); ++row) {
        for (const BookEntry& contact : m_book->group(row).contacts)
            contacts.insert(contact.Number, &contact);
    }
    for (const QString& number : numbers) {
        if (number.isEmpty())
            continue;
        const BookEntry* contact = contacts.value(number);
        recipients.append(
            {number, contact ? contact->Name : QString(), contact ? contact->Sign : QString()});
    }
    return recipients;
}

bool TMySheet::refreshRecipients() {
    int without = 0;
    const QList<PlanRecipient> recipients = currentRecipients(&without);
    const auto same = [](const PlanRecipient& a, const PlanRecipient& b) {
        return a.number == b.number && a.name == b.name && a.sign == b.sign;
    };
    const bool changed =
        recipients.size() != m_plan.recipients().size() || without != m_withoutNumber ||
        !std::equal(recipients.begin(), recipients.end(), m_plan.recipients().begin(), same);
    if (!changed)
        return false;
    m_withoutNumber = without;
    m_plan.setRecipients(recipients);
    if (followsGroup()) {
        QStringList numbers;
        for (const PlanRecipient& recipient : recipients)
            numbers.append(recipient.number);
        Number = numbers.join(QLatin1Char('|'));
    }
    Recount();
    return true;
}

void TMySheet::setRecipientNumbers(const QStringList& numbers) {
    m_ownNumbers = true;
    RecipientKind = 0;
    Number = numbers.join(QLatin1Char('|'));
    m_totalsRow->show();
    showRecipient();
    refreshRecipients();
    m_form.UpdateHeight();
}

void TMySheet::showTotals() {
    if (!hasSeveralNumbers())
        return;
    QString text = m_plan.recipientCount() == 0
                       ? kNoNumbers
                       : QStringLiteral("Получателей: %1 · Сумма: %2")
                             .arg(m_plan.recipientCount())
                             .arg(ToolkitRussian::desktopLocale().toCurrencyString(m_plan.total()));
    if (m_withoutNumber > 0)
        text += QStringLiteral(" · без номера: %1").arg(m_withoutNumber);
    if (!m_plan.tooLong().isEmpty())
        text += QStringLiteral(" · длиннее допустимого: %1").arg(m_plan.tooLong().size());
    m_totalLabel->setText(text);
}

void TMySheet::buildControls() {
    setMinimumHeight(kContentHeight);

    m_recipientEdit = new TAlignEdit(this);
    m_recipientEdit->setFrame(false);
    m_recipientEdit->setAccessibleName(QStringLiteral("Получатель"));
    m_recipientEdit->setValidator(new TypingLimit(m_recipientEdit, kRecipientLimit));
    m_senderEdit = new TAlignEdit(this);
    m_senderEdit->setFrame(false);
    m_senderEdit->setAccessibleName(QStringLiteral("Отправитель"));
    m_senderLimit = new TypingLimit(m_senderEdit, SenderRule::kNumberLimit);
    m_senderEdit->setValidator(m_senderLimit);
    m_countLabel = new QLabel(this);
    m_countLabel->setAlignment(Qt::AlignCenter);

    m_messageEdit = new MessageEdit(this);
    m_messageEdit->setAccessibleName(QStringLiteral("Текст сообщения"));
    m_signEdit = new QLineEdit(this);
    m_signEdit->setAccessibleName(QStringLiteral("Подпись"));
    m_signEdit->setMinimumWidth(m_signEdit->fontMetrics().horizontalAdvance(QLatin1Char('0')) *
                                kSignDigits);
    m_signLimit = new TypingLimit(m_signEdit, 0);
    m_signEdit->setValidator(m_signLimit);
    m_translitBox = new QCheckBox(QStringLiteral("Транслит"), this);

    const SkinSprites& sprites = SkinUnit::active().sprites();
    m_closeButton = flatButton(this, m_form.pageIcons().icon(sprites.smallIcon(kIconClose)),
                               QStringLiteral("Закрыть"));
    m_sendButton = flatButton(this, m_form.pageIcons().icon(sprites.smallIcon(kIconSend)),
                              QStringLiteral("Отправить"));
    m_sendButton->setEnabled(false);
    m_sendButton->setContextMenuPolicy(Qt::CustomContextMenu);
    m_historyButton =
        flatButton(this, m_form.pageIcons().icon(sprites.icon22(kIcon22History)), QString());
    m_historyButton->setToolTip(QStringLiteral("История для этого номера"));
    m_templatesButton =
        flatButton(this, m_form.pageIcons().icon(sprites.icon22(kIcon22Templates)), QString());
    m_templatesButton->setToolTip(QStringLiteral("Готовые сообщения"));
    // Buttons with a picture only: screen readers name them by their hints.
    for (QToolButton* button : {m_historyButton, m_templatesButton}) {
        button->setIconSize(QSize(22, 22));
        button->setAccessibleName(button->toolTip());
    }
    m_templatesMenu = new QMenu(this);
    m_fieldsButton = flatButton(this, QIcon(), QStringLiteral("{…}"));
    m_fieldsButton->setToolTip(kInsertField);
    m_fieldsButton->setAccessibleName(m_fieldsButton->toolTip());
    m_fieldsButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_fieldsMenu = new QMenu(kInsertField, this);
    for (const QString& field : MessageFields::names())
        m_fieldsMenu->addAction(field)->setData(field);
    m_fieldsButton->setMenu(m_fieldsMenu);
    m_fieldsButton->setPopupMode(QToolButton::InstantPopup);

    m_totalsRow = new QWidget(this);
    m_totalLabel = new QLabel(m_totalsRow);
    m_totalLabel->setObjectName(QStringLiteral("totalLabel"));
    m_previewButton = new QToolButton(m_totalsRow);
    m_previewButton->setText(QStringLiteral("Просмотр"));
    m_previewButton->setAutoRaise(true);
    m_previewButton->setFocusPolicy(Qt::TabFocus);
    m_totalsRow->setFixedHeight(std::max(int(kTotalsHeight), m_previewButton->sizeHint().height()));
    auto* totals = new QHBoxLayout(m_totalsRow);
    totals->setContentsMargins(0, 0, 0, 0);
    totals->addWidget(m_totalLabel, 1);
    totals->addWidget(m_previewButton);
    m_totalsRow->hide();

    auto* top = new QGridLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setVerticalSpacing(2);
    top->addWidget(new QLabel(QStringLiteral("Отправка SMS сообщения для"), this), 0, 0);
    top->addWidget(strip(this, m_recipientEdit), 0, 1);
    top->addWidget(new QLabel(QStringLiteral("Отправитель"), this), 1, 0);
    top->addWidget(strip(this, m_senderEdit), 1, 1);
    top->addWidget(new QLabel(QStringLiteral("Количество символов"), this), 2, 0);
    top->addWidget(strip(this, m_countLabel), 2, 1);

    auto* side = new QVBoxLayout;
    side->setSpacing(2);
    side->addWidget(m_historyButton);
    side->addWidget(m_templatesButton);
    side->addWidget(m_fieldsButton);
    side->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_messageEdit, 1);
    middle->addLayout(side);

    auto* bottom = new QHBoxLayout;
    auto* signLabel = new QLabel(QStringLiteral("Подпись:"), this);
    signLabel->setBuddy(m_signEdit);
    bottom->addWidget(signLabel);
    bottom->addWidget(m_signEdit, 1);
    bottom->addWidget(m_translitBox);
    bottom->addWidget(m_closeButton);
    bottom->addWidget(m_sendButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    layout->addLayout(top);
    layout->addWidget(m_totalsRow);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);

    // The message and the signature come first; the rest follow on from there in their
    // on-screen order, round from the top.
    const QList<QWidget*> tabOrder = {m_messageEdit, m_signEdit,      m_translitBox,
                                      m_closeButton, m_sendButton,    m_recipientEdit,
                                      m_senderEdit,  m_previewButton, m_historyButton,
                                      m_templatesButton, m_fieldsButton};
    for (int i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(m_messageEdit, &QPlainTextEdit::textChanged, this, &TMySheet::Recount);
    connect(m_signEdit, &QLineEdit::textChanged, this, &TMySheet::Recount);
    connect(m_translitBox, &QCheckBox::clicked, this, &TMySheet::TranslitBoxClick);
    connect(m_senderEdit, &QLineEdit::textChanged, this,
            [this](const QString& text) { Sender = text; });
    connect(m_senderEdit, &QLineEdit::textEdited, this, &TMySheet::senderEdited);
    connect(m_sendButton, &QToolButton::clicked, this, [this] { StartSend(); });
    connect(m_sendButton, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_form.delayMenu()->popup(m_sendButton->mapToGlobal(at)); });
    connect(m_closeButton, &QToolButton::clicked, this, &TMySheet::ClosePage);
    connect(m_historyButton, &QToolButton::clicked, this, &TMySheet::HistoryButtonClick);
    connect(m_templatesButton, &QToolButton::clicked, this, &TMySheet::TemplatesButtonClick);
    connect(m_templatesMenu, &QMenu::triggered, this, &TMySheet::chooseTemplate);
    connect(m_fieldsMenu, &QMenu::triggered, this, [this](QAction* item) {
        m_messageEdit->insertAtCaret(item->data().toString());
        m_messageEdit->setFocus();
    });
    connect(m_previewButton, &QToolButton::clicked, this, &TMySheet::showPreview);

    for (QWidget* watched :
         {static_cast<QWidget*>(m_messageEdit), static_cast<QWidget*>(m_signEdit),
          static_cast<QWidget*>(m_senderEdit), static_cast<QWidget*>(m_recipientEdit)})
        watched->installEventFilter(this);
}

void TMySheet::skinControls() {
    const SkinUnit& skin = SkinUnit::active();
    for (QWidget* field :
         {static_cast<QWidget*>(m_recipientEdit), static_cast<QWidget*>(m_senderEdit),
          static_cast<QWidget*>(m_messageEdit), static_cast<QWidget*>(m_signEdit)})
        SkinUnit::setBackground(field, skin.Other());
    // The page comes after its window was dressed.
    skin.dressFlatControls(this);
}

int TMySheet::contentHeight() const {
    const int fixed = kContentHeight + (hasSeveralNumbers() ? kTotalsHeight : 0);
    return std::max(fixed, layout() ? layout()->minimumSize().height() : 0);
}

void TMySheet::SetNumber(const QString& number) {
    Number = number;
    if (RecipientKind == 1) {
        RecipientName = kUnknownRecipient;
        ContactNode = QPersistentModelIndex();
        for (int row = 0; m_book && row < m_book->groupCount() && !ContactNode.isValid(); ++row) {
            const QList<BookEntry>& contacts = m_book->group(row).contacts;
            for (int child = 0; child < contacts.size(); ++child) {
                if (contacts[child].Number == number) {
                    RecipientName = contacts[child].Name;
                    ContactNode = m_book->index(child, 0, m_book->groupIndex(row));
                    break;
                }
            }
        }
    } else {
        RecipientName = ContactNode.data(Qt::DisplayRole).toString();
    }
    m_form.pages()->setTabText(m_form.pages()->indexOf(this), RecipientName);
    if (m_form.activePage() == this)
        m_form.showTitle();
    m_totalsRow->setVisible(hasSeveralNumbers());
    showRecipient();
    refreshRecipients();
}

void TMySheet::showRecipient() {
    if (RecipientKind == 0 && m_ownNumbers) {
        m_recipientEdit->setText(
            QStringLiteral("%1 — номеров: %2")
                .arg(RecipientName)
                .arg(Number.split(QLatin1Char('|'), Qt::SkipEmptyParts).size()));
        m_recipientEdit->setEnabled(false);
    } else if (RecipientKind == 0) {
        m_recipientEdit->setText(kGroupPrefix + RecipientName);
        m_recipientEdit->setEnabled(false);
    } else {
        m_recipientEdit->setText(RecipientName + QStringLiteral(" (") + Number + QLatin1Char(')'));
        m_recipientEdit->setEnabled(true);
    }
}

void TMySheet::SetSign(const QString& text) {
    Sign = text;
    m_signEdit->setText(text);
}

void TMySheet::SetSender(const QString& text) {
    m_senderEdit->setText(text);
    Sender = text;
}

void TMySheet::SetText(const QString& text) {
    m_messageEdit->setText(text);
    Recount();
}

void TMySheet::Recount() {
    m_plan.setText(m_messageEdit->text(), m_signEdit->text(), m_translitBox->isChecked(),
                   m_form.serviceClient().tariff());
    m_count = m_plan.count();
    if (!m_count.signEnabled && !m_signEdit->text().isEmpty()) {
        // No room for a signature: emptying the field counts again without it.
        m_signEdit->clear();
        return;
    }
    // A text with fields may come out too long for some contacts: nothing goes until fixed.
    const bool fits = !m_plan.personal() || m_plan.tooLong().isEmpty();
    m_sendButton->setEnabled(m_count.canSend && fits &&
                             (!hasSeveralNumbers() || m_plan.recipientCount() > 0));
    MaxLength = m_count.maxLength;
    m_signEdit->setEnabled(m_count.signEnabled);
    m_signLimit->setLimit(m_count.signLimit);
    m_messageEdit->setTypingLimit(m_count.messageLimit);
    m_countLabel->setText(m_count.counterText);
    showTotals();
}

int TMySheet::signTypingLimit() const {
    return m_signLimit->limit();
}

int TMySheet::senderTypingLimit() const {
    return m_senderLimit->limit();
}

void TMySheet::FocusMessage() {
    m_messageEdit->setFocus();
}

void TMySheet::StartSend(QAction* origin) {
    DelayMinutes =
        origin && m_form.delayMenu()->actions().contains(origin) ? origin->data().toInt() : 0;
    m_form.SendWorker(this);
}

void TMySheet::ClosePage() {
    SendPages* pages = m_form.pages();
    int index = pages->currentIndex();
    const bool tabsFocused = pages->tabRows()->hasFocus();
    // Taken out at once, destroyed once the handler that asked has returned.
    pages->takePage(this);
    deleteLater();
    if (index >= pages->count())
        --index;
    pages->setCurrentIndex(index);
    if (tabsFocused) {
        if (auto* page = qobject_cast<TMySheet*>(pages->currentPage()))
            page->FocusMessage();
    }
    if (pages->count() == 0)
        m_form.close();
    else
        m_form.UpdateHeight();
}

void TMySheet::TranslitBoxClick() {
    if (m_book && ContactNode.isValid())
        m_book->setData(ContactNode, m_translitBox->isChecked(), ContactBook::TranslitRole);
    Recount();
}

void TMySheet::HistoryButtonClick() {
    emit m_form.ShowHistoryFor(Number);
}

void TMySheet::rebuildTemplatesMenu() {
    m_templatesMenu->clear();
    QString error;
    const QStringList lines = TemplatesFile().read(&error);
    if (!error.isEmpty())
        Prompts::error(this, error);
    for (const QString& line : lines) {
        if (line == QLatin1String("-")) {
            m_templatesMenu->addSeparator();
            continue;
        }
        // Shown as written: "&" marks no accelerator here.
        QAction* item = m_templatesMenu->addAction(
            QString(line).replace(QLatin1Char('&'), QStringLiteral("&&")));
        item->setData(line);
    }
    if (!lines.isEmpty())
        m_templatesMenu->addSeparator();
    m_editTemplates = m_templatesMenu->addAction(kEditList);
}

void TMySheet::TemplatesButtonClick() {
    rebuildTemplatesMenu();
    m_templatesMenu->popup(QCursor::pos());
}

void TMySheet::chooseTemplate(QAction* item) {
    if (item == m_editTemplates) {
        TEditTemplateListForm editor(this);
        editor.exec();
        return;
    }
    m_messageEdit->insertAtCaret(TemplatesFile::toMessage(item->data().toString()));
}

void TMySheet::senderEdited(const QString& text) {
    if (m_book && ContactNode.isValid())
        m_book->setData(ContactNode, text, ContactBook::SenderRole);
}

void TMySheet::senderKey(const QKeyEvent& key) {
    QChar typed = key.text().isEmpty() ? QChar() : key.text().at(0);
    if (!typed.isNull() && !typed.isPrint())
        typed = QChar();
    m_senderLimit->setLimit(SenderRule::limitAfter(m_senderEdit->text(), typed));
}

void TMySheet::recipientFocus(bool in) {
    if (RecipientKind == 0)
        return;
    if (in)
        m_recipientEdit->setText(Number);
    else
        SetNumber(m_recipientEdit->text());
}

bool TMySheet::isSendKey(const QKeyEvent& key) const {
    const bool ctrlEnter = (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
                           (key.modifiers() & Qt::ControlModifier);
    const bool lineFeed = key.text() == QLatin1String("\n");
    const bool bothCtrl = m_ctrlKeysDown.count(kLeftCtrl) && m_ctrlKeysDown.count(kRightCtrl) &&
                          !key.text().isEmpty();
    return ctrlEnter || lineFeed || bothCtrl;
}

bool TMySheet::handleMessageKey(QObject* watched, QKeyEvent& key) {
    if (watched == m_messageEdit && key.matches(QKeySequence::SelectAll)) {
        m_messageEdit->selectAll();
        return true;
    }
    if (!isSendKey(key))
        return false;
    if (m_sendButton->isEnabled())
        StartSend();
    return true;
}

bool TMySheet::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto& key = static_cast<QKeyEvent&>(*event);
        if (key.key() == Qt::Key_Control) {
            if (event->type() == QEvent::KeyPress)
                m_ctrlKeysDown.insert(key.nativeVirtualKey());
            else
                m_ctrlKeysDown.erase(key.nativeVirtualKey());
            return false;
        }
        if (event->type() == QEvent::KeyRelease)
            return false;
        if (watched == m_messageEdit || watched == m_signEdit)
            return handleMessageKey(watched, key);
        if (watched == m_senderEdit) {
            senderKey(key);
            return !key.text().isEmpty() && SenderRule::discards(key.text().at(0));
        }
        return false;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        if (watched == m_recipientEdit)
            recipientFocus(event->type() == QEvent::FocusIn);
        return false;
    case QEvent::WindowDeactivate:
        m_ctrlKeysDown.clear();
        return false;
    default:
        return false;
    }
}

void TMySheet::showPreview() {
    refreshRecipients();
    FieldPreviewDialog(m_plan.lines(), m_plan.unknownFields(), this).exec();
}
