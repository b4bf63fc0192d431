#include "MySheet.h"

#include "EditTemplateListUnit.h"
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
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kUnknownRecipient = QStringLiteral("Неизвестный");
const QString kGroupPrefix = QStringLiteral("Группы ");
const QString kEditList = QStringLiteral("Редактировать список...");

constexpr int kRecipientLimit = 15;
constexpr int kStripHeight = 20;
constexpr int kStripWidth = 230;
constexpr int kIconSend = 2;
constexpr int kIconClose = 3;
constexpr int kIcon22Templates = 0;
constexpr int kIcon22History = 1;

// The X11 key symbols of the left and right Ctrl keys.
constexpr quint32 kLeftCtrl = 0xffe3;
constexpr quint32 kRightCtrl = 0xffe4;

// A coloured strip behind one of the three top fields.
QWidget* strip(QWidget* parent, QWidget* field) {
    auto* background = new QWidget(parent);
    background->setFixedSize(kStripWidth, kStripHeight);
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
}

void TMySheet::buildControls() {
    setMinimumHeight(kContentHeight);

    RecipientEdit = new TAlignEdit(this);
    RecipientEdit->setFrame(false);
    RecipientEdit->setValidator(new TypingLimit(RecipientEdit, kRecipientLimit));
    SenderEdit = new TAlignEdit(this);
    SenderEdit->setFrame(false);
    m_senderLimit = new TypingLimit(SenderEdit, SenderRule::kNumberLimit);
    SenderEdit->setValidator(m_senderLimit);
    CountLabel = new QLabel(this);
    CountLabel->setAlignment(Qt::AlignCenter);

    MessageMemo = new MessageEdit(this);
    SignEdit = new QLineEdit(this);
    m_signLimit = new TypingLimit(SignEdit, 0);
    SignEdit->setValidator(m_signLimit);
    TranslitBox = new QCheckBox(QStringLiteral("Транслит"), this);

    const SkinSprites& sprites = SkinUnit::active().sprites();
    CloseButton = flatButton(this, m_form.pageIcons().icon(sprites.smallIcon(kIconClose)),
                             QStringLiteral("Закрыть"));
    SendButton = flatButton(this, m_form.pageIcons().icon(sprites.smallIcon(kIconSend)),
                            QStringLiteral("Отправить"));
    SendButton->setEnabled(false);
    SendButton->setContextMenuPolicy(Qt::CustomContextMenu);
    HistoryButton =
        flatButton(this, m_form.pageIcons().icon(sprites.icon22(kIcon22History)), QString());
    HistoryButton->setToolTip(QStringLiteral("История для этого номера"));
    TemplatesButton =
        flatButton(this, m_form.pageIcons().icon(sprites.icon22(kIcon22Templates)), QString());
    TemplatesButton->setToolTip(QStringLiteral("Готовые сообщения"));
    // Buttons with a picture only: screen readers name them by their hints.
    for (QToolButton* button : {HistoryButton, TemplatesButton}) {
        button->setIconSize(QSize(22, 22));
        button->setAccessibleName(button->toolTip());
    }
    TemplatesMenu = new QMenu(this);

    auto* top = new QGridLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setVerticalSpacing(2);
    top->addWidget(new QLabel(QStringLiteral("Отправка SMS сообщения для"), this), 0, 0);
    top->addWidget(strip(this, RecipientEdit), 0, 1);
    top->addWidget(new QLabel(QStringLiteral("Отправитель"), this), 1, 0);
    top->addWidget(strip(this, SenderEdit), 1, 1);
    top->addWidget(new QLabel(QStringLiteral("Количество символов"), this), 2, 0);
    top->addWidget(strip(this, CountLabel), 2, 1);

    auto* side = new QVBoxLayout;
    side->setSpacing(2);
    side->addWidget(HistoryButton);
    side->addWidget(TemplatesButton);
    side->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(MessageMemo, 1);
    middle->addLayout(side);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("Подпись:"), this));
    bottom->addWidget(SignEdit, 1);
    bottom->addWidget(TranslitBox);
    bottom->addWidget(CloseButton);
    bottom->addWidget(SendButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);

    // The message and the signature come first; the rest follow on from there in their
    // on-screen order, round from the top.
    const QList<QWidget*> tabOrder = {MessageMemo, SignEdit,      TranslitBox,
                                      CloseButton, SendButton,    RecipientEdit,
                                      SenderEdit,  HistoryButton, TemplatesButton};
    for (int i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(MessageMemo, &QPlainTextEdit::textChanged, this, &TMySheet::Recount);
    connect(SignEdit, &QLineEdit::textChanged, this, &TMySheet::Recount);
    connect(TranslitBox, &QCheckBox::clicked, this, &TMySheet::TranslitBoxClick);
    connect(SenderEdit, &QLineEdit::textChanged, this,
            [this](const QString& text) { Sender = text; });
    connect(SenderEdit, &QLineEdit::textEdited, this, &TMySheet::senderEdited);
    connect(SendButton, &QToolButton::clicked, this, [this] { StartSend(); });
    connect(SendButton, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_form.delayMenu()->popup(SendButton->mapToGlobal(at)); });
    connect(CloseButton, &QToolButton::clicked, this, &TMySheet::ClosePage);
    connect(HistoryButton, &QToolButton::clicked, this, &TMySheet::HistoryButtonClick);
    connect(TemplatesButton, &QToolButton::clicked, this, &TMySheet::TemplatesButtonClick);
    connect(TemplatesMenu, &QMenu::triggered, this, &TMySheet::chooseTemplate);

    for (QWidget* watched :
         {static_cast<QWidget*>(MessageMemo), static_cast<QWidget*>(SignEdit),
          static_cast<QWidget*>(SenderEdit), static_cast<QWidget*>(RecipientEdit)})
        watched->installEventFilter(this);
}

void TMySheet::skinControls() {
    const QColor other = SkinUnit::active().Other();
    for (QWidget* field : {static_cast<QWidget*>(RecipientEdit), static_cast<QWidget*>(SenderEdit),
                           static_cast<QWidget*>(MessageMemo), static_cast<QWidget*>(SignEdit)})
        SkinUnit::setBackground(field, other);
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
    m_form.Pages->setTabText(m_form.Pages->indexOf(this), RecipientName);
    showRecipient();
}

void TMySheet::showRecipient() {
    if (RecipientKind == 0) {
        RecipientEdit->setText(kGroupPrefix + RecipientName);
        RecipientEdit->setEnabled(false);
    } else {
        RecipientEdit->setText(RecipientName + QStringLiteral(" (") + Number + QLatin1Char(')'));
        RecipientEdit->setEnabled(true);
    }
}

void TMySheet::SetSign(const QString& text) {
    Sign = text;
    SignEdit->setText(text);
}

void TMySheet::SetSender(const QString& text) {
    SenderEdit->setText(text);
    Sender = text;
}

void TMySheet::SetText(const QString& text) {
    MessageMemo->setText(text);
    Recount();
}

void TMySheet::Recount() {
    m_count = ::Recount(MessageMemo->text(), SignEdit->text(), TranslitBox->isChecked(),
                        m_form.serviceClient().tariff());
    if (!m_count.signEnabled && !SignEdit->text().isEmpty()) {
        // No room for a signature: emptying the field counts again without it.
        SignEdit->clear();
        return;
    }
    SendButton->setEnabled(m_count.canSend);
    MaxLength = m_count.maxLength;
    SignEdit->setEnabled(m_count.signEnabled);
    m_signLimit->setLimit(m_count.signLimit);
    MessageMemo->setTypingLimit(m_count.messageLimit);
    CountLabel->setText(m_count.counterText);
}

int TMySheet::signTypingLimit() const {
    return m_signLimit->limit();
}

int TMySheet::senderTypingLimit() const {
    return m_senderLimit->limit();
}

void TMySheet::FocusMessage() {
    MessageMemo->setFocus();
}

void TMySheet::StartSend(QAction* origin) {
    DelayMinutes =
        origin && m_form.delayMenu()->actions().contains(origin) ? origin->data().toInt() : 0;
    m_form.SendWorker(this);
}

void TMySheet::ClosePage() {
    SendPages* pages = m_form.Pages;
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
        m_book->setData(ContactNode, TranslitBox->isChecked(), ContactBook::TranslitRole);
    Recount();
}

void TMySheet::HistoryButtonClick() {
    emit m_form.ShowHistoryFor(Number);
}

void TMySheet::rebuildTemplatesMenu() {
    TemplatesMenu->clear();
    QString error;
    const QStringList lines = TemplatesFile().read(&error);
    if (!error.isEmpty())
        Prompts::error(this, error);
    for (const QString& line : lines) {
        if (line == QLatin1String("-")) {
            TemplatesMenu->addSeparator();
            continue;
        }
        // Shown as written: "&" marks no accelerator here.
        QAction* item =
            TemplatesMenu->addAction(QString(line).replace(QLatin1Char('&'), QStringLiteral("&&")));
        item->setData(line);
    }
    if (!lines.isEmpty())
        TemplatesMenu->addSeparator();
    m_editTemplates = TemplatesMenu->addAction(kEditList);
}

void TMySheet::TemplatesButtonClick() {
    rebuildTemplatesMenu();
    TemplatesMenu->popup(QCursor::pos());
}

void TMySheet::chooseTemplate(QAction* item) {
    if (item == m_editTemplates) {
        TEditTemplateListForm editor(this);
        editor.exec();
        return;
    }
    MessageMemo->insertAtCaret(TemplatesFile::toMessage(item->data().toString()));
}

void TMySheet::senderEdited(const QString& text) {
    if (m_book && ContactNode.isValid())
        m_book->setData(ContactNode, text, ContactBook::SenderRole);
}

void TMySheet::senderKey(const QKeyEvent& key) {
    QChar typed = key.text().isEmpty() ? QChar() : key.text().at(0);
    if (!typed.isNull() && !typed.isPrint())
        typed = QChar();
    m_senderLimit->setLimit(SenderRule::limitAfter(SenderEdit->text(), typed));
}

void TMySheet::recipientFocus(bool in) {
    if (RecipientKind == 0)
        return;
    if (in)
        RecipientEdit->setText(Number);
    else
        SetNumber(RecipientEdit->text());
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
    if (watched == MessageMemo && key.matches(QKeySequence::SelectAll)) {
        MessageMemo->selectAll();
        return true;
    }
    if (!isSendKey(key))
        return false;
    if (SendButton->isEnabled())
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
        if (watched == MessageMemo || watched == SignEdit)
            return handleMessageKey(watched, key);
        if (watched == SenderEdit) {
            senderKey(key);
            return !key.text().isEmpty() && SenderRule::discards(key.text().at(0));
        }
        return false;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        if (watched == RecipientEdit)
            recipientFocus(event->type() == QEvent::FocusIn);
        return false;
    case QEvent::WindowDeactivate:
        m_ctrlKeysDown.clear();
        return false;
    default:
        return false;
    }
}
