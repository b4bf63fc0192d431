#include "platform/ui/Prompts.h"
#include "TestProfile.h"

#include <QApplication>
#include <QDir>
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

    // A name typed without an extension gets the chosen filter's first one; a name with one,
    // or a filter without one, stays as typed.
    void saveFileExtension_data() {
        QTest::addColumn<QVariant>("answer");
        QTest::addColumn<QString>("saved");
        const QString xlsx = QStringLiteral("Книга Excel (*.xlsx)");
        const QString csv = QStringLiteral("Файлы CSV (*.csv *.txt)");
        const QString any = QStringLiteral("Все файлы (*)");
        QTest::newRow("bare name, filter it opened with")
            << QVariant(QStringLiteral("/d/gui")) << QStringLiteral("/d/gui.xlsx");
        QTest::newRow("bare name, CSV chosen")
            << QVariant(QStringList{QStringLiteral("/d/gui"), csv}) << QStringLiteral("/d/gui.csv");
        QTest::newRow("own extension kept")
            << QVariant(QStringList{QStringLiteral("/d/gui.ods"), xlsx})
            << QStringLiteral("/d/gui.ods");
        QTest::newRow("all files")
            << QVariant(QStringList{QStringLiteral("/d/gui"), any}) << QStringLiteral("/d/gui");
        QTest::newRow("dot in a folder name")
            << QVariant(QStringList{QStringLiteral("/d/v1.2/gui"), csv})
            << QStringLiteral("/d/v1.2/gui.csv");
        QTest::newRow("cancelled") << QVariant() << QString();
    }
    void saveFileExtension() {
        QFETCH(QVariant, answer);
        QFETCH(QString, saved);
        Prompts::enableTestMode();
        Prompts::queueAnswer(answer);
        QCOMPARE(Prompts::saveFile(nullptr, QStringLiteral("Экспорт"), QStringLiteral("/d/x.xlsx"),
                                   QStringLiteral("Книга Excel (*.xlsx);;Файлы CSV (*.csv "
                                                  "*.txt);;Все файлы (*)")),
                 saved);
        Prompts::takeAsked();
    }

    // Both prompts open where a file was chosen last, as long as that folder is still there.
    void foldersRemembered() {
        Prompts::enableTestMode();
        QString kept;
        Prompts::rememberFoldersWith(
            {[&kept] { return kept; }, [&kept](const QString& folder) { kept = folder; }});
        const QString folder = m_profile.root() + QStringLiteral("/выгрузки");
        QVERIFY(QDir().mkpath(folder));
        Prompts::queueAnswer(folder + QStringLiteral("/Контакты.vcf"));
        Prompts::openFile(nullptr, QStringLiteral("Импорт"), QStringLiteral("vCard (*.vcf)"));
        QCOMPARE(kept, folder);
        Prompts::saveFile(nullptr, QStringLiteral("Экспорт"), QStringLiteral("История.xlsx"),
                          QStringLiteral("Книга Excel (*.xlsx)"));
        QCOMPARE(Prompts::takeAsked().last().initial, folder + QStringLiteral("/История.xlsx"));
        QVERIFY(QDir(folder).removeRecursively());
        Prompts::openFile(nullptr, QStringLiteral("Импорт"), QStringLiteral("vCard (*.vcf)"));
        QCOMPARE(Prompts::takeAsked().last().initial, Prompts::documentsFolder());
        Prompts::rememberFoldersWith({});
    }
};

QTEST_MAIN(PromptsTest)
#include "PromptsTest.moc"
