#include "AlignEdit.h"

namespace {

Qt::Alignment toQt(TAlignEdit::TAlign alignment) {
    switch (alignment) {
    case TAlignEdit::eaLeft:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case TAlignEdit::eaRight:
        return Qt::AlignRight | Qt::AlignVCenter;
    case TAlignEdit::eaCenter:
        break;
    }
    return Qt::AlignCenter;
}

} // namespace

TAlignEdit::TAlignEdit(QWidget* parent)
    : QLineEdit(parent) {
    QLineEdit::setAlignment(toQt(m_alignment));
}

void TAlignEdit::setAlignment(TAlign alignment) {
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    QLineEdit::setAlignment(toQt(alignment));
}
