#pragma once

#include "messaging/Recount.h"
#include "messaging/SendPlan.h"

#include <QPersistentModelIndex>
#include <QString>
#include <QWidget>

#include <set>

class ContactBook;
class MessageEdit;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;
class TAlignEdit;
class TSendForm;
class TypingLimit;

// One page of the send window: one message to one recipient, a number or a whole group.
// It counts the message as the user types, offers the ready-made texts and starts a send.
// Bound to an entry of the contact book, it writes the entry's sender and translit flag.
class TMySheet : public QWidget {
    Q_OBJECT
public:
    // The page's content height, which the send window's height follows; a group page has
    // one row more, for its recipients and total.
    static constexpr int kContentHeight = 196;
    static constexpr int kTotalsHeight = 22;
    // A group page without a number to send to, on the page and in the status bar.
    static inline const QString kNoNumbers = QStringLiteral("В группе нет номеров");

    TMySheet(TSendForm& form, ContactBook* book);

    QString RecipientName;
    QString Number; // a group's numbers joined by "|"
    QString Sign;
    QString Sender;
    int MaxLength = 0;
    int RecipientKind = 1; // 1: one number, 0: a group
    int DelayMinutes = 0;
    // The entry the page is bound to; invalid when none (or when the entry was deleted).
    QPersistentModelIndex ContactNode;

    // The page's controls, for the send window and tests.
    QLabel* countLabel() const { return m_countLabel; }
    MessageEdit* messageEdit() const { return m_messageEdit; }
    QLineEdit* signEdit() const { return m_signEdit; }
    TAlignEdit* senderEdit() const { return m_senderEdit; }
    TAlignEdit* recipientEdit() const { return m_recipientEdit; }
    QToolButton* sendButton() const { return m_sendButton; }
    QToolButton* closeButton() const { return m_closeButton; }
    QToolButton* historyButton() const { return m_historyButton; }
    QToolButton* templatesButton() const { return m_templatesButton; }
    QMenu* templatesMenu() const { return m_templatesMenu; }
    QCheckBox* translitBox() const { return m_translitBox; }
    QLabel* totalLabel() const { return m_totalLabel; }
    QToolButton* fieldsButton() const { return m_fieldsButton; }
    QMenu* fieldsMenu() const { return m_fieldsMenu; }
    QToolButton* previewButton() const { return m_previewButton; }
    int contentHeight() const;
    // A group page, or a page of numbers joined by "|".
    bool hasSeveralNumbers() const;

    // Who the message goes to and what it costs: a group bound to the book as the group is
    // now, or the page's own numbers; each with what its contact gives the fields.
    const SendPlan& plan() const { return m_plan; }
    // The group's contacts without a number, left out of the send.
    int withoutNumber() const { return m_withoutNumber; }
    // True while the page follows its group in the book.
    bool followsGroup() const;
    // Reads the recipients again and counts; true when they changed.
    bool refreshRecipients();
    // The page sends to these numbers from now on, no longer following a group: what a
    // stopped send left, or the numbers a send did not get through to.
    void setRecipientNumbers(const QStringList& numbers);

    void SetNumber(const QString& number);
    void SetSign(const QString& text);
    void SetSender(const QString& text);
    void SetText(const QString& text);
    void Recount();
    void FocusMessage();
    // `origin` is the delay-menu item that asked, or none (delay 0). Returns at once.
    void StartSend(QAction* origin = nullptr);
    void ClosePage();

    const RecountResult& lastCount() const { return m_count; }
    int signTypingLimit() const;
    int senderTypingLimit() const;

    // Handlers.
    void TranslitBoxClick();
    void TemplatesButtonClick();
    void HistoryButtonClick();
    // Fills the templates menu from Templates.dat (TemplatesButtonClick then pops it up).
    void rebuildTemplatesMenu();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void skinControls();
    // Ctrl+Enter, a line feed, or any character while both Ctrl keys are down.
    bool isSendKey(const QKeyEvent& key) const;
    bool handleMessageKey(QObject* watched, QKeyEvent& key);
    void senderKey(const QKeyEvent& key);
    void senderEdited(const QString& text);
    void recipientFocus(bool in);
    void chooseTemplate(QAction* item);
    void showRecipient();
    void showTotals();
    QList<PlanRecipient> currentRecipients(int* withoutNumber) const;
    void followBook();
    void showPreview();

    TSendForm& m_form;
    QLabel* m_countLabel = nullptr;
    MessageEdit* m_messageEdit = nullptr;
    QLineEdit* m_signEdit = nullptr;
    TAlignEdit* m_senderEdit = nullptr;
    TAlignEdit* m_recipientEdit = nullptr;
    QToolButton* m_sendButton = nullptr;
    QToolButton* m_closeButton = nullptr;
    QToolButton* m_historyButton = nullptr;
    QToolButton* m_templatesButton = nullptr;
    QMenu* m_templatesMenu = nullptr;
    QCheckBox* m_translitBox = nullptr;
    QWidget* m_totalsRow = nullptr;
    QLabel* m_totalLabel = nullptr;
    QToolButton* m_fieldsButton = nullptr;
    QMenu* m_fieldsMenu = nullptr;
    QToolButton* m_previewButton = nullptr;
    ContactBook* m_book;
    TypingLimit* m_signLimit = nullptr;
    TypingLimit* m_senderLimit = nullptr;
    QAction* m_editTemplates = nullptr;
    RecountResult m_count;
    SendPlan m_plan;
    int m_withoutNumber = 0;
    bool m_ownNumbers = false; // set: the page keeps its numbers, whatever its group holds
    bool m_refreshPending = false;
    std::set<quint32> m_ctrlKeysDown; // the native codes of the Ctrl keys held
};
