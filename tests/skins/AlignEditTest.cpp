#include "skins/ui/AlignEdit.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr int kWidth = 200;

// Leftmost and rightmost columns holding text ink (dark pixels) in the field's picture.
QPair<int, int> inkColumns(QLineEdit& edit) {
    const QImage image = edit.grab().toImage();
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qGray(image.pixel(x, y)) < 100) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

} // namespace

// The aligned edit: a plain one-line edit whose text sits left, centred or right, centred
// when nobody sets it; a change of placement keeps everything else of the field.
class AlignEditTest : public QObject {
    Q_OBJECT

private slots:
    void placement_data() {
        QTest::addColumn<int>("alignment"); // -1: left as created
        QTest::addColumn<int>("side");      // -1 left, 0 centre, 1 right
        QTest::newRow("as created") << -1 << 0;
        QTest::newRow("eaLeft") << int(TAlignEdit::eaLeft) << -1;
        QTest::newRow("eaCenter") << int(TAlignEdit::eaCenter) << 0;
        QTest::newRow("eaRight") << int(TAlignEdit::eaRight) << 1;
    }
    void placement() {
        QFETCH(int, alignment);
        QFETCH(int, side);
        TAlignEdit edit;
        edit.setFrame(false);
        edit.resize(kWidth, 24);
        edit.setText(QStringLiteral("WWW"));
        if (alignment >= 0)
            edit.setAlignment(TAlignEdit::TAlign(alignment));
        const auto [first, last] = inkColumns(edit);
        QVERIFY(first >= 0);
        const int middle = (first + last) / 2;
        if (side < 0)
            QVERIFY2(last < kWidth / 2, qPrintable(QString::number(middle)));
        else if (side > 0)
            QVERIFY2(first > kWidth / 2, qPrintable(QString::number(middle)));
        else
            QVERIFY2(qAbs(middle - kWidth / 2) <= 6, qPrintable(QString::number(middle)));
    }

    void newFieldIsCentred() {
        TAlignEdit edit;
        QCOMPARE(edit.Alignment(), TAlignEdit::eaCenter);
        QCOMPARE(edit.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    }

    void changeKeepsTheField_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        for (int from = 0; from < 3; ++from)
            for (int to = 0; to < 3; ++to)
                QTest::addRow("%d to %d", from, to) << from << to;
    }
    void changeKeepsTheField() {
        QFETCH(int, from);
        QFETCH(int, to);
        QWidget window;
        auto* edit = new TAlignEdit(&window);
        edit->setAlignment(TAlignEdit::TAlign(from));
        edit->setGeometry(10, 20, 150, 22);
        edit->setMaxLength(30);
        edit->setText(QStringLiteral("текст"));
        edit->insert(QStringLiteral("!"));
        edit->setSelection(1, 2);
        const WId native = edit->winId();
        QSignalSpy changed(edit, &QLineEdit::textChanged);

        edit->setAlignment(TAlignEdit::TAlign(to));
        QCOMPARE(edit->Alignment(), TAlignEdit::TAlign(to));
        QCOMPARE(edit->text(), QStringLiteral("текст!"));
        QCOMPARE(edit->selectionStart(), 1);
        QCOMPARE(edit->selectedText(), QStringLiteral("ек"));
        QCOMPARE(edit->geometry(), QRect(10, 20, 150, 22));
        QCOMPARE(edit->maxLength(), 30);
        // The same field, not a new one: its native window and its undo history stay.
        QCOMPARE(edit->winId(), native);
        QVERIFY(edit->isUndoAvailable());
        QCOMPARE(changed.count(), 0);
    }
};

QTEST_MAIN(AlignEditTest)
#include "AlignEditTest.moc"
