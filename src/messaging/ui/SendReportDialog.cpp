#include "SendReportDialog.h"

#include "skins/ui/SkinUnit.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace {

enum Column { NumberColumn, ContactColumn, ReasonColumn };

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setToolTip(text);
    return item;
}

} // namespace

SendReportDialog::SendReportDialog(const BatchReport& report, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("SendReportDialog"));
    setWindowTitle(kTitle);
    setAttribute(Qt::WA_DeleteOnClose);

    m_header = SkinnedHeader::create(this, kTitle, {});

    m_summary = new QLabel(report.summary());
    m_summary->setObjectName(QStringLiteral("Summary"));
    m_summary->setWordWrap(true);
    QFont bold = m_summary->font();
    bold.setBold(true);
    m_summary->setFont(bold);

    m_table = new QTableWidget(0, 3);
    m_table->setObjectName(QStringLiteral("Table"));
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("Номер"), QStringLiteral("Контакт"), QStringLiteral("Причина")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the table for the buttons; the arrows move between the rows.
    m_table->setTabKeyNavigation(false);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->setColumnWidth(NumberColumn, 130);
    m_table->setColumnWidth(ContactColumn, 150);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setAccessibleName(QStringLiteral("Непринятые номера"));
    fillTable(report);

    for (const BatchReport::Line& line : report.refused)
        m_retryNumbers << line.number;
    for (const BatchReport::Line& line : report.unsent)
        m_retryNumbers << line.number;
    m_retryNumbers.removeDuplicates();

    m_retryButton = new QPushButton(QStringLiteral("Повторить для непринятых"), this);
    m_retryButton->setObjectName(QStringLiteral("RetryButton"));
    m_retryButton->setEnabled(!m_retryNumbers.isEmpty());
    m_closeButton = new QPushButton(QStringLiteral("Закрыть"), this);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    // Enter closes: a retry costs money and is never pressed by chance.
    m_retryButton->setAutoDefault(false);
    m_closeButton->setDefault(true);
    connect(m_retryButton, &QPushButton::clicked, this, &SendReportDialog::retryClick);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(m_retryButton);
    buttons->addStretch(1);
    buttons->addWidget(m_closeButton);
    QVBoxLayout* body = m_header.bodyBelow(this, 8);
    body->addWidget(m_summary);
    body->addWidget(m_table, 1);
    body->addLayout(buttons);

    // All accepted: the summary says it, and an empty table would only take room.
    if (m_table->rowCount() == 0) {
        m_table->hide();
        resize(460, 150);
    } else {
        resize(560, 340);
    }

    SkinnedWindow parts;
    parts.banner = m_header.banner;
    parts.picture = m_header.picture;
    // The send window's picture: this is how its send went.
    parts.pictureFile = QStringLiteral("8.bmp");
    parts.captions = {m_header.title};
    parts.infoLabels = {m_summary};
    parts.otherBackground = {m_table};
    SkinUnit::active().dress(this, parts);

    setTabOrder(m_table, m_retryButton);
    setTabOrder(m_retryButton, m_closeButton);
    if (m_table->isVisibleTo(this))
        m_table->setFocus();
    else
        m_closeButton->setFocus();
}

void SendReportDialog::fillTable(const BatchReport& report) {
    const auto add = [this](const QString& number, const QString& contact, const QString& reason) {
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        m_table->setItem(row, NumberColumn, cell(number));
        m_table->setItem(row, ContactColumn, cell(contact));
        m_table->setItem(row, ReasonColumn, cell(reason));
    };
    for (const BatchReport::Line& line : report.refused)
        add(line.number, line.contact, line.reason);
    for (const BatchReport::Line& line : report.unknown)
        add(line.number, line.contact, line.reason);
    for (const BatchReport::Line& line : report.unsent)
        add(line.number, line.contact, line.reason.isEmpty() ? kNotSentReason : line.reason);
}

void SendReportDialog::retryClick() {
    if (m_retryNumbers.isEmpty())
        return;
    emit retryRequested(m_retryNumbers);
    close();
}
