#include "platform/ui/Prompts.h"
#include "TestProfile.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>

// Real message boxes (no test answers): where they appear.
class PromptsTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

private slots:
    // A box for a window not shown yet (the main window at start) goes to the screen's
    // centre, not around where that window would be; a shown window keeps its boxes.
    void boxIsCentred_data() {
        QTest::addColumn<bool>("parentShown");
        QTest::newRow("parent not shown yet") << false;
        QTest::newRow("parent shown") << true;
    }
    void boxIsCentred() {
        QFETCH(bool, parentShown);
        QWidget parent;
        parent.setGeometry(300, 150, 204, 387);
        if (parentShown) {
            parent.show();
            QVERIFY(QTest::qWaitForWindowExposed(&parent));
        }
        QRect box;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&box, &poll] {
            auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!shown || !shown->isVisible())
                return;
            box = shown->geometry();
            poll.stop();
            shown->done(QMessageBox::Retry);
        });
        poll.start(10);
        const auto answer =
            Prompts::message(&parent, QStringLiteral("Неверный пароль!"), QStringLiteral("Error"),
                             QMessageBox::Critical, QMessageBox::Retry | QMessageBox::Cancel);
        QCOMPARE(answer, QMessageBox::Retry);
        QVERIFY(!box.isEmpty());
        const QPoint expected =
            parentShown ? parent.geometry().center()
                        : QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY2((box.center() - expected).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("box at %1,%2 %3x%4")
                                .arg(box.x())
                                .arg(box.y())
                                .arg(box.width())
                                .arg(box.height())));
    }
};

QTEST_MAIN(PromptsTest)
#include "PromptsTest.moc"
