#include "BookEntries.h"
#include "Screenshots.h"
#include "TestProfile.h"
#include "contacts/ContactBook.h"
#include "platform/Registry.h"
#include "shared/Settings.h"
#include "shell/TrayContactMenu.h"
#include "shell/TrayHide.h"
#include "shell/TrayIcon.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

namespace {

// Every field told apart from the caption, to see which one the tray passes on.
BookEntry contact(const QString& caption, const QString& number) {
    BookEntry entry = BookEntries::contact(
        caption + QStringLiteral(" name"), number, caption + QStringLiteral(" sign"),
        caption + QStringLiteral(" sender"), caption.endsWith(QLatin1Char('2')));
    entry.caption = caption;
    return entry;
}

using BookEntries::group;

// Groups A (two contacts), B (none), C (one).
QList<BookGroup> threeGroups() {
    return {group(QStringLiteral("A"), {contact(QStringLiteral("a1"), QStringLiteral("111")),
                                        contact(QStringLiteral("a2"), QStringLiteral("112"))}),
            group(QStringLiteral("B"), {}),
            group(QStringLiteral("C"), {contact(QStringLiteral("c1"), QStringLiteral("311"))})};
}

QIcon filledIcon(Qt::GlobalColor color) {
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    return QIcon(pixmap);
}

// "-" for a separator, "caption[icon]" with icon g(roup), c(ontact) or none, "{...}" for a
// submenu.
QString describe(const QMenu* menu, const QList<QIcon>& images) {
    QStringList parts;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            parts << QStringLiteral("-");
            continue;
        }
        QString part = action->text();
        if (!action->icon().isNull())
            part += action->icon().cacheKey() == images[0].cacheKey()   ? QStringLiteral("[g]")
                    : action->icon().cacheKey() == images[1].cacheKey() ? QStringLiteral("[c]")
                                                                        : QStringLiteral("[?]");
        if (action->menu())
            part += QLatin1Char('{') + describe(action->menu(), images) + QLatin1Char('}');
        parts << part;
    }
    return parts.join(QLatin1Char(' '));
}

class FakeWindows : public TrayHideTarget {
public:
    QStringList calls;
    bool isHidden = false;

    void SaveWindowPosition() override { calls << QStringLiteral("save"); }
    void hideMainWindow() override { calls << QStringLiteral("hide main"); }
    void hideSendWindow() override {
        calls << QStringLiteral("hide send");
        isHidden = true; // as the send window's own hide does
    }
    bool sendWindowIsHidden() const override { return isHidden; }
    void setSendWindowIsHidden(bool hidden) override { isHidden = hidden; }
};

} // namespace

class TrayTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    Registry m_registry;
    Settings m_settings{m_registry};
    QList<QIcon> m_images{filledIcon(Qt::green), filledIcon(Qt::blue)};

private slots:
    void init() { m_registry.deleteKeyTree(QString()); }

    void menuLayouts_data() {
        QTest::addColumn<QList<BookGroup>>("groups");
        QTest::addColumn<bool>("withGroups");
        QTest::addColumn<QString>("expected");
        QTest::newRow("flat") << threeGroups() << false << QStringLiteral("a1[c] a2[c] - - c1[c]");
        QTest::newRow("grouped") << threeGroups() << true
                                 << QStringLiteral("A[g]{a1[c] a2[c]} B C[g]{c1[c]}");
        QTest::newRow("flat, empty book") << QList<BookGroup>{} << false << QString();
        QTest::newRow("grouped, empty book") << QList<BookGroup>{} << true << QString();
        QTest::newRow("flat, empty groups only")
            << QList<BookGroup>{group(QStringLiteral("X"), {}), group(QStringLiteral("Y"), {})}
            << false << QStringLiteral("-");
        QTest::newRow("ampersand shown as written")
            << QList<BookGroup>{group(QStringLiteral("R&D"),
                                      {contact(QStringLiteral("Tom & Co"), QStringLiteral("1"))})}
            << true << QStringLiteral("R&&D[g]{Tom && Co[c]}");
    }
    void menuLayouts() {
        QFETCH(QList<BookGroup>, groups);
        QFETCH(bool, withGroups);
        QFETCH(QString, expected);
        ContactBook book;
        book.setGroups(groups);
        QMenu trayMenu;
        QMenu* sendSms = trayMenu.addMenu(QStringLiteral("Отправить СМС"));
        m_settings.set(Setting::MenuWithGroup, withGroups);
        TrayIcon tray(m_settings, book);
        tray.setMenu(&trayMenu, sendSms, m_images);

        emit trayMenu.aboutToShow();
        QCOMPARE(describe(sendSms, m_images), expected);
        // The next opening starts afresh: nothing twice, the old items freed.
        QList<QPointer<QAction>> previous;
        for (QAction* item : tray.contactMenu()->TrayContactItems())
            previous << item;
        emit trayMenu.aboutToShow();
        QCOMPARE(describe(sendSms, m_images), expected);
        for (const QPointer<QAction>& item : previous)
            QVERIFY(item.isNull());
        QCOMPARE(trayMenu.actions().size(), 1);
    }

    // What the open menu shows, not only what it holds: separators that follow each other
    // each keep their line.
    void flatMenuShowsEverySeparator_data() {
        QTest::addColumn<QList<BookGroup>>("groups");
        QTest::addColumn<int>("separators");
        QTest::newRow("A, empty B, C") << threeGroups() << 2;
        QTest::newRow("two empty groups")
            << QList<BookGroup>{group(QStringLiteral("X"), {}), group(QStringLiteral("Y"), {})}
            << 1;
        QTest::newRow("three empty groups")
            << QList<BookGroup>{group(QStringLiteral("X"), {}), group(QStringLiteral("Y"), {}),
                                group(QStringLiteral("Z"), {})}
            << 2;
    }
    void flatMenuShowsEverySeparator() {
        QFETCH(QList<BookGroup>, groups);
        QFETCH(int, separators);
        ContactBook book;
        book.setGroups(groups);
        QMenu trayMenu;
        QMenu* sendSms = trayMenu.addMenu(QStringLiteral("Отправить СМС"));
        m_settings.set(Setting::MenuWithGroup, false);
        TrayIcon tray(m_settings, book);
        tray.setMenu(&trayMenu, sendSms, m_images);
        emit trayMenu.aboutToShow();
        sendSms->popup(QPoint(10, 10));
        QVERIFY(QTest::qWaitForWindowExposed(sendSms));
        int shown = 0;
        int lastBottom = -1;
        for (QAction* action : sendSms->actions()) {
            const QRect place = sendSms->actionGeometry(action);
            if (action->isSeparator() && !place.isEmpty())
                ++shown;
            // Nothing drawn over another.
            if (!place.isEmpty()) {
                QVERIFY(place.top() >= lastBottom);
                lastBottom = place.bottom();
            }
        }
        QCOMPARE(shown, separators);
        QVERIFY(Screenshots::save(sendSms, QStringLiteral("tray.") + QTest::currentDataTag()));
        sendSms->close();
    }

    void layoutFollowsTheSettingAtEachOpening() {
        ContactBook book;
        book.setGroups(threeGroups());
        QMenu trayMenu;
        QMenu* sendSms = trayMenu.addMenu(QStringLiteral("Отправить СМС"));
        TrayIcon tray(m_settings, book);
        tray.setMenu(&trayMenu, sendSms, m_images);
        emit trayMenu.aboutToShow(); // missing value: grouped
        QCOMPARE(tray.contactMenu()->TrayGroupItems().size(), 3);
        m_settings.set(Setting::MenuWithGroup, false);
        book.appendContact(book.groupIndex(1), contact(QStringLiteral("b1"), QStringLiteral("2")));
        emit trayMenu.aboutToShow();
        QCOMPARE(describe(sendSms, m_images), QStringLiteral("a1[c] a2[c] - b1[c] - c1[c]"));
        QVERIFY(tray.contactMenu()->TrayGroupItems().isEmpty());
    }

    void contactItemCarriesACopy() {
        ContactBook book;
        book.setGroups(threeGroups());
        QMenu menu;
        TrayContactMenu contacts(&menu, m_images);
        QSignalSpy chosen(&contacts, &TrayContactMenu::contactChosen);
        contacts.rebuild(book, false);
        QAction* a2 = contacts.TrayContactItems().at(1);
        book.clear(); // the item needs nothing from the book any more
        a2->trigger();
        QCOMPARE(chosen.size(), 1);
        const TrayContact expected{QStringLiteral("a2 sender"), QStringLiteral("a2 name"),
                                   QStringLiteral("112"), QStringLiteral("a2 sign"), true};
        QCOMPARE(chosen.at(0).at(0).value<TrayContact>(), expected);
    }

    void contactWithoutNumberOpensNothing() {
        ContactBook book;
        book.setGroups({group(QStringLiteral("A"), {contact(QStringLiteral("x"), QString())})});
        QMenu trayMenu;
        QMenu* sendSms = trayMenu.addMenu(QStringLiteral("Отправить СМС"));
        TrayIcon tray(m_settings, book);
        tray.setMenu(&trayMenu, sendSms, m_images);
        QSignalSpy chosen(&tray, &TrayIcon::contactChosen);
        emit trayMenu.aboutToShow();
        tray.contactMenu()->TrayContactItems().at(0)->trigger();
        QCOMPARE(chosen.size(), 0);
    }

    void balloon_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("expectedIcon");
        // Before each row an information balloon was shown.
        QTest::newRow("information") << 1 << int(QSystemTrayIcon::Information);
        QTest::newRow("warning") << 2 << int(QSystemTrayIcon::Warning);
        QTest::newRow("error") << 4 << int(QSystemTrayIcon::Critical);
        QTest::newRow("3 keeps the previous") << 3 << int(QSystemTrayIcon::Information);
        QTest::newRow("0 keeps the previous") << 0 << int(QSystemTrayIcon::Information);
    }
    void balloon() {
        QFETCH(int, kind);
        QFETCH(int, expectedIcon);
        ContactBook book;
        TrayIcon tray(m_settings, book);
        tray.add();
        tray.ShowBalloon(QStringLiteral("Varnelo"), QStringLiteral("first"), 1, 10000);
        const QString text = QString(254, QChar(u'ж')) + QStringLiteral("XYZ") + QString(43, u'a');
        const QString title = QString(62, QChar(u'т')) + QStringLiteral("XYZ");
        tray.ShowBalloon(title, text, kind, 5000);
        const std::optional<TrayBalloon> shown = tray.lastBalloon();
        QVERIFY(shown);
        QCOMPARE(shown->text, QString(254, QChar(u'ж')) + QStringLiteral("X"));
        QCOMPARE(shown->title, QString(62, QChar(u'т')) + QStringLiteral("X"));
        QCOMPARE(int(shown->icon), expectedIcon);
        QCOMPARE(shown->timeoutMs, 5000);
    }

    void balloonTipsOff() {
        ContactBook book;
        TrayIcon tray(m_settings, book);
        tray.add();
        m_settings.set(Setting::UseBalloonTips, false);
        tray.ShowBalloon(QStringLiteral("Varnelo"), QStringLiteral("text"), 1, 10000);
        QVERIFY(!tray.lastBalloon());
        m_settings.set(Setting::UseBalloonTips, true);
        tray.ShowBalloon(QStringLiteral("Varnelo"), QStringLiteral("text"), 1, 10000);
        QVERIFY(tray.lastBalloon());
    }

    void balloonFromAnotherThread() {
        ContactBook book;
        TrayIcon tray(m_settings, book);
        tray.add();
        QThread* worker = QThread::create([&tray] {
            tray.ShowBalloon(QStringLiteral("Varnelo"), QStringLiteral("from the login"), 4, 10000);
        });
        worker->start();
        QVERIFY(worker->wait(5000));
        delete worker;
        QTRY_VERIFY(tray.lastBalloon());
        QCOMPARE(tray.lastBalloon()->text, QStringLiteral("from the login"));
        QCOMPARE(tray.lastBalloon()->icon, QSystemTrayIcon::Critical);
    }

    // The program's own icon, not a picture drawn in its place.
    void iconIsTheProgramIcon() {
        ContactBook book;
        TrayIcon tray(m_settings, book);
        tray.add();
        const QImage shown =
            tray.icon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage program = QPixmap(QStringLiteral(VARNELO_ICONS_DIR "/varnelo-32.png"))
                                   .toImage()
                                   .convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!program.isNull());
        QCOMPARE(shown, program);
    }

    void addAndRemove() {
        ContactBook book;
        TrayIcon tray(m_settings, book);
        QVERIFY(!tray.TrayIconAdded());
        tray.add();
        QVERIFY(tray.TrayIconAdded());
        QCOMPARE(tray.isShownInTray(), QSystemTrayIcon::isSystemTrayAvailable());
        tray.remove();
        QVERIFY(!tray.TrayIconAdded());
        QVERIFY(!tray.isShownInTray());
    }

    void hideToTray_data() {
        QTest::addColumn<bool>("minimizeSendWindow");
        QTest::addColumn<bool>("sendHidden");
        QTest::addColumn<QStringList>("calls");
        const QStringList mainOnly{QStringLiteral("save"), QStringLiteral("hide main")};
        const QStringList both = mainOnly + QStringList{QStringLiteral("hide send")};
        QTest::newRow("send window stays") << false << false << mainOnly;
        QTest::newRow("open send window goes, comes back") << true << false << both;
        QTest::newRow("hidden send window stays hidden") << true << true << both;
    }
    void hideToTray() {
        QFETCH(bool, minimizeSendWindow);
        QFETCH(bool, sendHidden);
        QFETCH(QStringList, calls);
        FakeWindows windows;
        windows.isHidden = sendHidden;
        ::hideToTray(windows, minimizeSendWindow);
        QCOMPARE(windows.calls, calls);
        QCOMPARE(windows.isHidden, sendHidden);
    }
};

QTEST_MAIN(TrayTest)
#include "TrayTest.moc"
