#include "skins/AlignEdit.h"

#include <QTest>

// Run from the image-button test's main: both are the skin's own controls.
void checkAlignEdit() {
    TAlignEdit edit;
    QCOMPARE(edit.Alignment(), TAlignEdit::eaCenter);
    QCOMPARE(edit.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    edit.setText(QStringLiteral("текст"));
    edit.setCursorPosition(2);
    edit.setAlignment(TAlignEdit::eaRight);
    QCOMPARE(edit.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    QCOMPARE(edit.text(), QStringLiteral("текст")); // text and caret survive the change
    QCOMPARE(edit.cursorPosition(), 2);
    edit.setAlignment(TAlignEdit::eaLeft);
    QCOMPARE(edit.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}
