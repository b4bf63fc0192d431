#include "TestProfile.h"
#include "skins/ui/ImageButton3.h"

#include <QAccessible>
#include <QDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

// 22×22: a red (transparent) frame two pixels wide around a solid square of the colour.
QImage framedSquare(QColor color) {
    QImage image(22, 22, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int y = 2; y < 20; ++y)
        for (int x = 2; x < 20; ++x)
            image.setPixelColor(x, y, color);
    return image;
}

TImageButton* makeButton(QWidget* parent, int group = 0) {
    auto* button = new TImageButton(parent);
    button->resize(22, 22);
    button->setNoneBitmap(framedSquare(Qt::gray));
    button->setOverBitmap(framedSquare(Qt::blue));
    button->setDownBitmap(framedSquare(Qt::darkBlue));
    button->setGroupIndex(group);
    return button;
}

} // namespace

class ImageButtonTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

private slots:

    void transparentPixelsAreHoles() {
        QWidget window;
        TImageButton* button = makeButton(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(button->TransparentMode(), TImageButton::tmAuto);
        QCOMPARE(button->TransparentColor(), QColor(Qt::red));
        QVERIFY(!button->mask().contains(QPoint(0, 0)));
        QVERIFY(!button->mask().contains(QPoint(21, 10)));
        QVERIFY(button->mask().contains(QPoint(10, 10)));
    }

    void fixedColourAndBackToAuto() {
        QWidget window;
        TImageButton* button = makeButton(&window);
        button->setTransparentColor(Qt::gray);
        QCOMPARE(button->TransparentMode(), TImageButton::tmFixed);
        QCOMPARE(button->TransparentColor(), QColor(Qt::gray));
        // Now the red frame is solid and the grey middle is a hole.
        QVERIFY(button->mask().contains(QPoint(0, 0)));
        QVERIFY(!button->mask().contains(QPoint(10, 10)));
        button->setTransparentMode(TImageButton::tmAuto);
        QCOMPARE(button->TransparentColor(), QColor(Qt::red));
    }

    void visualStatesFollowTheMouse() {
        QWidget window;
        TImageButton* button = makeButton(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy clicks(button, &TImageButton::clicked);
        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
        QApplication::sendEvent(button, &enter);
        QCOMPARE(button->visualState(), TImageButton::MouseOver);
        QCOMPARE(button->composed().pixelColor(10, 10), QColor(Qt::blue));
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(button->visualState(), TImageButton::Pressed);
        QCOMPARE(button->composed().pixelColor(10, 10), QColor(Qt::darkBlue));
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(button->visualState(), TImageButton::Normal); // a push button settles
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button, &leave);
        QCOMPARE(button->visualState(), TImageButton::Normal);
        QCOMPARE(button->composed().pixelColor(10, 10), QColor(Qt::gray));
    }

    void shapeIsRebuiltOnlyOnStateChange() {
        QWidget window;
        TImageButton* button = makeButton(&window);
        auto* edit = new QLineEdit(&window); // holds the focus, so disabling is the only change
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        edit->setFocus();
        const int before = button->shapeUpdates();
        button->update();
        button->setUpBitmap(framedSquare(Qt::green)); // a redraw in the same state
        QCOMPARE(button->shapeUpdates(), before);
        button->setEnabled(false); // marks the shape stale
        QCOMPARE(button->shapeUpdates(), before + 1);
    }

    void groupWithoutAllowAllUp() {
        QWidget window;
        TImageButton* first = makeButton(&window, 1);
        TImageButton* second = makeButton(&window, 1);
        TImageButton* other = makeButton(&window, 2);
        window.show();
        first->Click();
        QVERIFY(first->Down());
        other->Click();
        QVERIFY(first->Down()); // another group does not touch it
        second->Click();
        QVERIFY(second->Down());
        QVERIFY(!first->Down());
        QCOMPARE(first->visualState(), TImageButton::Normal);
        second->Click();
        QVERIFY(second->Down()); // clicking the down one leaves it down
        second->setDown(false);
        QVERIFY(second->Down());
    }

    void groupWithAllowAllUp() {
        QWidget window;
        TImageButton* first = makeButton(&window, 1);
        TImageButton* second = makeButton(&window, 1);
        first->setAllowAllUp(true);
        QVERIFY(second->AllowAllUp()); // the whole group takes the value
        first->Click();
        QVERIFY(first->Down());
        first->Click();
        QVERIFY(!first->Down());
        QVERIFY(!second->Down());
    }

    void downWithoutGroupStaysUp() {
        QWidget window;
        TImageButton* button = makeButton(&window);
        button->setDown(true);
        QVERIFY(!button->Down());
        QCOMPARE(button->visualState(), TImageButton::Normal);
        TImageButton* grouped = makeButton(&window, 3);
        grouped->setDown(true);
        grouped->setGroupIndex(0);
        QVERIFY(!grouped->Down());
    }

    void keyboard() {
        QDialog dialog;
        auto* edit = new QLineEdit(&dialog);
        TImageButton* ok = makeButton(&dialog);
        TImageButton* cancel = makeButton(&dialog);
        ok->setDefault(true);
        ok->setModalResult(QDialog::Accepted);
        cancel->setCancel(true);
        QSignalSpy okClicks(ok, &TImageButton::clicked);
        QSignalSpy cancelClicks(cancel, &TImageButton::clicked);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(okClicks.count(), 1);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        dialog.show();
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(cancelClicks.count(), 1);
        dialog.show();
        cancel->setFocus();
        QTest::keyPress(cancel, Qt::Key_Space);
        QCOMPARE(cancel->visualState(), TImageButton::Pressed);
        QTest::keyRelease(cancel, Qt::Key_Space);
        QCOMPARE(cancelClicks.count(), 2);
    }

    // A screen reader reads a button by its hint, hears when the hint changes, and can press it;
    // a name given on purpose wins over the hint.
    void screenReaderReadsTheHint() {
        QWidget window;
        TImageButton* button = makeButton(&window, 1);
        QSignalSpy clicks(button, &TImageButton::clicked);
        button->setToolTip(QStringLiteral("История"));
        QAccessibleInterface* readable = QAccessible::queryAccessibleInterface(button);
        QVERIFY(readable);
        QCOMPARE(readable->role(), QAccessible::Button);
        QCOMPARE(readable->text(QAccessible::Name), QStringLiteral("История"));
        QVERIFY(readable->text(QAccessible::Description).isEmpty());
        QVERIFY(readable->state().checkable);
        QVERIFY(!readable->state().checked);

        button->setToolTip(QStringLiteral("Оплата"));
        QCOMPARE(readable->text(QAccessible::Name), QStringLiteral("Оплата"));
        button->setAccessibleName(QStringLiteral("Пополнить счёт"));
        QCOMPARE(readable->text(QAccessible::Name), QStringLiteral("Пополнить счёт"));

        readable->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(clicks.size(), 1);
        QVERIFY(readable->state().checked);
        button->setEnabled(false);
        QVERIFY(!readable->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
        readable->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(clicks.size(), 1);
    }
};

QTEST_MAIN(ImageButtonTest)
#include "ImageButtonTest.moc"
