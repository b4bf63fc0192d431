#pragma once

#include "messaging/SendPlan.h"
#include "platform/ToolkitRussian.h"
#include "widgets/SkinnedHeader.h"

#include <QDialog>
#include <QList>
#include <QLocale>
#include <QStringList>

class PlanLineModel;
class QLabel;
class QPushButton;
class QTableView;

// "Просмотр": what each recipient of a message with fields gets, with its length, parts and
// price; the rows that lost an empty field or are too long are marked. Modal.
class FieldPreviewDialog : public QDialog {
    Q_OBJECT
public:
    static inline const QString kTitle = QStringLiteral("Просмотр");

    // `unknownFields` as SendPlan::unknownFields() gives them, braces and all.
    FieldPreviewDialog(const QList<PlanLine>& lines, const QStringList& unknownFields,
                       QWidget* parent = nullptr,
                       const QLocale& locale = ToolkitRussian::desktopLocale());

    QTableView* table() const { return m_table; }
    PlanLineModel* model() const { return m_model; }
    // Hidden when there is nothing to say.
    QLabel* unknownFieldsLine() const { return m_unknownFieldsLine; }
    QLabel* tooLongLine() const { return m_tooLongLine; }
    QPushButton* closeButton() const { return m_closeButton; }

private:
    SkinnedHeader m_header;
    PlanLineModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_unknownFieldsLine = nullptr;
    QLabel* m_tooLongLine = nullptr;
    QPushButton* m_closeButton = nullptr;
};
