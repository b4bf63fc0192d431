#pragma once

#include "messaging/SendJournal.h"
#include "widgets/SkinnedHeader.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QSet>

class QLabel;
class QPushButton;
class QTableWidget;
class TSendForm;

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
    QList<SendJournal::Row> rows() const { return m_rows; }
    // The journal id of the selected row, 0 when none.
    qint64 selectedRow() const;
    void selectRow(qint64 journalRow);

    // The buttons, for the selected row.
    void countAsSentClick();
    void sendAgainClick();
    void removeClick();

    SkinnedHeader Header;
    QLabel* Explanation = nullptr;
    QTableWidget* Table = nullptr;
    // How the last send again went, from the send window's status bar.
    QLabel* StatusLine = nullptr;
    QPushButton* CountAsSentButton = nullptr;
    QPushButton* SendAgainButton = nullptr;
    QPushButton* RemoveButton = nullptr;
    QPushButton* CloseButton = nullptr;

signals:
    // Records were written to the history: the history window refills.
    void HistoryChanged();

private:
    const SendJournal::Row* selected() const;
    void fillTable();
    void updateButtons();
    void showStatus(const QString& text);
    void reportFailure(const QString& text);

    QPointer<TSendForm> m_sendForm;
    QList<SendJournal::Row> m_rows;
    // Rows handed to the send window to go again: shown no more, and never sent twice, while
    // the worker has not yet replaced them in the journal.
    QSet<qint64> m_resending;
};
