#include "SendUnit.h"

TSendForm::TSendForm(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("SendForm"));
}
