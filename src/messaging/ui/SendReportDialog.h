#pragma once

#include "messaging/BatchSend.h"
#include "widgets/SkinnedHeader.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;
class QTableWidget;

// "Отчёт об отправке": how a send to several numbers ended, and the numbers that were not
// accepted or stayed open, each with its reason. Modeless; deletes itself when closed.
class SendReportDialog : public QDialog {
    Q_OBJECT
public:
    static inline const QString kTitle = QStringLiteral("Отчёт об отправке");
    static inline const QString kNotSentReason = QStringLiteral("Не отправлено");

    explicit SendReportDialog(const BatchReport& report, QWidget* parent = nullptr);

    // What "Повторить для непринятых" sends again: the refused numbers, then those never
    // sent. Open outcomes are left out: the service may have charged for them.
    QStringList retryNumbers() const { return m_retryNumbers; }
    void retryClick();

    QLabel* summaryLabel() const { return m_summary; }
    QTableWidget* table() const { return m_table; }
    QPushButton* retryButton() const { return m_retryButton; }
    QPushButton* closeButton() const { return m_closeButton; }

signals:
    // The dialog closes right after.
    void retryRequested(const QStringList& numbers);

private:
    void fillTable(const BatchReport& report);

    SkinnedHeader m_header;
    QLabel* m_summary = nullptr;
    QTableWidget* m_table = nullptr;
    QPushButton* m_retryButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    QStringList m_retryNumbers;
};
