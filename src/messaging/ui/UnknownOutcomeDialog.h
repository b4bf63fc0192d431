#pragma once

#include "messaging/SendJournal.h"
#include "widgets/SkinnedHeader.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QSet>

class QLabel;
class QPushButton;
class QTableView;
class TSendForm;
class UnknownOutcomeModel;

// "Результат отправки неизвестен": the sends whose reply never came, from the send journal,
// and the three ways to settle the selected one: count it as sent (history records of
// unknown delivery), send it again, or forget it. Modeless; its owner refreshes it when a
// send leaves another such row. It stays open when the last row goes, to show how a send
// again went.
class UnknownOutcomeDialog : public QDialog {
    Q_OBJECT
public:
    static inline const QString kTitle = QStringLiteral("Результат отправки неизвестен");
    static inline const QString kHistoryNotWritten = QStringLiteral("История не записана: %1");

    // The journal, the settings store and the book are the send window's; it sends again.
    explicit UnknownOutcomeDialog(TSendForm& sendForm, QWidget* parent = nullptr);

    // Reads the unknown rows again, keeping the selected one where it is still there; false
    // when none is left.
    bool refresh();
    const QList<SendJournal::Row>& rows() const;
    // The journal id of the selected row, 0 when none.
    qint64 selectedRow() const;
    void selectRow(qint64 journalRow);

    // The buttons, for the selected row.
    void countAsSentClick();
    void sendAgainClick();
    void removeClick();

    QLabel* explanation() const { return m_explanation; }
    QTableView* table() const { return m_table; }
    // How the last send again went, from the send window's status bar.
    QLabel* statusLine() const { return m_statusLine; }
    QPushButton* countAsSentButton() const { return m_countAsSentButton; }
    QPushButton* sendAgainButton() const { return m_sendAgainButton; }
    QPushButton* removeButton() const { return m_removeButton; }
    QPushButton* closeButton() const { return m_closeButton; }

signals:
    // Records were written to the history: the history window refills.
    void HistoryChanged();

private:
    SkinnedHeader m_header;
    QLabel* m_explanation = nullptr;
    QTableView* m_table = nullptr;
    UnknownOutcomeModel* m_model = nullptr;
    QLabel* m_statusLine = nullptr;
    QPushButton* m_countAsSentButton = nullptr;
    QPushButton* m_sendAgainButton = nullptr;
    QPushButton* m_removeButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    const SendJournal::Row* selected() const;
    void updateButtons();
    void showStatus(const QString& text);
    void reportFailure(const QString& text);

    QPointer<TSendForm> m_sendForm;
    // Rows handed to the send window to go again: shown no more, and never sent twice, while
    // the worker has not yet replaced them in the journal.
    QSet<qint64> m_resending;
};
