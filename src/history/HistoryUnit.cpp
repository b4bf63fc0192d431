#include "HistoryUnit.h"

THistoryForm::THistoryForm(QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HistoryForm"));
}
