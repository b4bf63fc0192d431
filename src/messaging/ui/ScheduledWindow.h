#pragma once

#include "messaging/SendJournal.h"
#include "shared/Tariff.h"
#include "widgets/SkinnedHeader.h"

#include <QDateTime>
#include <QDialog>
#include <QList>
#include <QPointer>

#include <functional>

class ContactBook;
class MessageEdit;
class QDateTimeEdit;
class QLabel;
class QPushButton;
class QTableWidget;
class TSendForm;

// "Запланированные": the messages that wait in the send journal for their moment. The selected
// one's text and moment can be changed, sent at once or deleted. Modeless, one at a time; it
// refills whenever the store's file changes, so rows that another program schedules, sends or
// deletes come and go while it is open.
class ScheduledWindow : public QDialog {
    Q_OBJECT
public:
    static inline const QString kTitle = QStringLiteral("Запланированные");
    static inline const QString kMenuItem = QStringLiteral("Запланированные...");

    struct Hooks {
        // Watched for other programs' writes; empty watches nothing.
        QString storeFile;
        // Names for the numbers; may be none.
        const ContactBook* book = nullptr;
        // The client's tariff, for parts and price.
        std::function<Tariff()> tariff;
        // Claims the row and sends it now through the send window; false when it waits no
        // more.
        std::function<bool(qint64)> sendNow;
        // The present moment, UTC; unset takes the clock.
        std::function<QDateTime()> clock;
    };

    ScheduledWindow(SendJournal& journal, Hooks hooks, QWidget* parent = nullptr);

    // Opens the window held in `window`, making it first when there is none, and brings it
    // forward; the hooks reach the send window.
    static ScheduledWindow* open(QPointer<ScheduledWindow>& window, TSendForm& sendForm,
                                 QWidget* parent);

    // Reads the scheduled rows again, keeping the selection (or its place when it went).
    void refresh();
    QList<SendJournal::Row> rows() const { return m_rows; }
    qint64 selectedRow() const;
    void selectRow(qint64 journalRow);

    // The handlers, for the selected row. The savers return whether the journal took it;
    // a text has CR LF breaks, a moment is local time, as typed.
    bool saveText(const QString& message);
    bool saveMoment(const QDateTime& local);
    void saveClick();
    void sendNowClick();
    void removeClick();
    // Enter: into the text editor.
    void editClick();

    QTableWidget* table() const { return m_table; }
    MessageEdit* textEditor() const { return m_textEdit; }
    QDateTimeEdit* momentEditor() const { return m_momentEdit; }
    // The moment being edited, in words, or why it cannot be taken.
    QLabel* momentLabel() const { return m_momentLabel; }
    QLabel* statusLine() const { return m_statusLine; }
    QPushButton* saveButton() const { return m_saveButton; }
    QPushButton* sendNowButton() const { return m_sendNowButton; }
    QPushButton* removeButton() const { return m_removeButton; }
    QPushButton* closeButton() const { return m_closeButton; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QDateTime now() const;
    const SendJournal::Row* selected() const;
    void fillTable();
    void loadEditors();
    void showMomentInWords();
    void updateButtons();
    void showStatus(const QString& text);
    void reportFailure();

    SendJournal& m_journal;
    Hooks m_hooks;
    SkinnedHeader m_header;
    QTableWidget* m_table = nullptr;
    MessageEdit* m_textEdit = nullptr;
    QDateTimeEdit* m_momentEdit = nullptr;
    QLabel* m_momentLabel = nullptr;
    QLabel* m_statusLine = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_sendNowButton = nullptr;
    QPushButton* m_removeButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    QList<SendJournal::Row> m_rows;
    // What the editors were filled with: a refill leaves the user's typing alone unless the
    // row itself changed.
    qint64 m_loadedId = 0;
    QString m_loadedMessage;
    QDateTime m_loadedDue;
    // The moment editor as filled: it holds minutes, the journal may hold seconds.
    QDateTime m_loadedLocal;
};
