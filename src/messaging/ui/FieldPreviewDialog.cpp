#include "FieldPreviewDialog.h"

#include "PlanLineModel.h"
#include "messaging/SendConfirmation.h"
#include "skins/ui/SkinUnit.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include <algorithm>

FieldPreviewDialog::FieldPreviewDialog(const QList<PlanLine>& lines,
                                       const QStringList& unknownFields, QWidget* parent,
                                       const QLocale& locale)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FieldPreviewDialog"));
    setWindowTitle(kTitle);
    setModal(true);

    m_header = SkinnedHeader::create(this, kTitle, {});

    m_unknownFieldsLine = new QLabel(
        QStringLiteral("Неизвестные поля: %1").arg(unknownFields.join(QStringLiteral(", "))));
    m_unknownFieldsLine->setObjectName(QStringLiteral("UnknownFields"));
    m_unknownFieldsLine->setWordWrap(true);
    m_unknownFieldsLine->setToolTip(
        QStringLiteral("Эти поля ничем не заменяются и уходят в тексте как написаны"));
    m_unknownFieldsLine->setVisible(!unknownFields.isEmpty());

    const auto tooLong = std::count_if(lines.cbegin(), lines.cend(),
                                       [](const PlanLine& line) { return line.tooLong; });
    m_tooLongLine = new QLabel(QStringLiteral("%1 %2 длиннее допустимого")
                                   .arg(tooLong)
                                   .arg(SendConfirmation::countedNoun(
                                       tooLong, QStringLiteral("сообщение"),
                                       QStringLiteral("сообщения"), QStringLiteral("сообщений"))));
    m_tooLongLine->setObjectName(QStringLiteral("TooLong"));
    m_tooLongLine->setVisible(tooLong > 0);

    m_model = new PlanLineModel(lines, locale, this);
    m_table = new QTableView;
    m_table->setObjectName(QStringLiteral("Table"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // Fixed sizes: measuring thousands of rows would keep the window from opening.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 8);
    QHeaderView* header = m_table->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionResizeMode(PlanLineModel::TextColumn, QHeaderView::Stretch);
    m_table->setColumnWidth(PlanLineModel::NumberColumn, 115);
    m_table->setColumnWidth(PlanLineModel::ContactColumn, 130);
    m_table->setColumnWidth(PlanLineModel::LengthColumn, 55);
    m_table->setColumnWidth(PlanLineModel::PartsColumn, 55);
    m_table->setColumnWidth(PlanLineModel::PriceColumn, 80);
    m_table->setAccessibleName(QStringLiteral("Тексты получателей"));

    m_closeButton = new QPushButton(QStringLiteral("Закрыть"), this);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    m_closeButton->setDefault(true);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_closeButton);
    QVBoxLayout* body = m_header.bodyBelow(this, 8);
    body->addWidget(m_unknownFieldsLine);
    body->addWidget(m_tooLongLine);
    body->addWidget(m_table, 1);
    body->addLayout(buttons);
    resize(760, 460);

    SkinnedWindow parts;
    parts.banner = m_header.banner;
    parts.picture = m_header.picture;
    parts.pictureFile = QStringLiteral("8.bmp");
    parts.captions = {m_header.title};
    parts.infoLabels = {m_unknownFieldsLine};
    parts.otherBackground = {m_table};
    SkinUnit::active().dress(this, parts);
    // Red over the skin's info colour: these rows will not go as they are.
    QPalette red = m_tooLongLine->palette();
    red.setColor(QPalette::WindowText, PlanLineModel::tooLongText());
    m_tooLongLine->setPalette(red);

    m_table->setFocus();
}
