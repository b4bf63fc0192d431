#include "Screenshots.h"
#include "TestProfile.h"
#include "account/ui/UnitReg.h"
#include "contacts/ContactBook.h"
#include "contacts/ui/AddContactUnit.h"
#include "contacts/ui/ContactTreeView.h"
#include "history/ui/HistoryUnit.h"
#include "messaging/ui/MySheet.h"
#include "messaging/ui/ScheduleDialog.h"
#include "messaging/ui/SendPages.h"
#include "messaging/ui/SendUnit.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"
#include "shell/MainUnit.h"
#include "shell/StatusLabel.h"
#include "skins/ui/ImageButton3.h"
#include "skins/ui/SkinUnit.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QHash>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyleOptionTab>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

namespace {

const QString kLongName = QStringLiteral("Мария Сидоренко-Преображенская");

// A dark desktop as KDE's Breeze Dark paints it.
QPalette darkPalette() {
    QPalette dark(QColor(0x31, 0x36, 0x3b), QColor(0x2a, 0x2e, 0x32));
    const std::initializer_list<std::pair<QPalette::ColorRole, QRgb>> roles = {
        {QPalette::WindowText, 0xfcfcfc},
        {QPalette::Base, 0x1b1e20},
        {QPalette::Text, 0xfcfcfc},
        {QPalette::ButtonText, 0xfcfcfc}};
    for (const auto& [role, rgb] : roles)
        dark.setColor(role, QColor::fromRgb(rgb));
    return dark;
}

// The colour most of a region is painted in: a text's own pixels are the fewer.
QColor backgroundIn(const QImage& image, const QRect& area) {
    QHash<QRgb, int> counts;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y)];
    const auto most = std::max_element(counts.keyValueBegin(), counts.keyValueEnd(),
                                       [](auto a, auto b) { return a.second < b.second; });
    return QColor::fromRgb(most == counts.keyValueEnd() ? 0 : (*most).first);
}

// Every text of the window, in the colour it is painted in, too close to what is behind it.
QStringList unreadable(QWidget* window) {
    const QImage shot = window->grab().toImage();
    const qreal ratio = shot.devicePixelRatio();
    QStringList found;
    const auto check = [&](QWidget* on, const QRect& place, const QString& text, QColor ink,
                           QColor face = {}) {
        const QRect at(on->mapTo(window, place.topLeft()) * ratio, place.size() * ratio);
        const QColor ground = face.isValid() ? face : backgroundIn(shot, at);
        if (!text.trimmed().isEmpty() && SkinUnit::contrast(ink, ground) < 4.5)
            found << QStringLiteral("\"%1\" %2 on %3").arg(text, ink.name(), ground.name());
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || !w->isEnabled() || w->window() != window)
            continue;
        const QPalette& p = w->palette();
        if (auto* label = qobject_cast<QLabel*>(w))
            check(w, w->rect(), label->text(), p.color(label->foregroundRole()));
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            check(w, w->rect(), edit->text(), p.color(QPalette::Text));
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
            check(w, w->rect(), plain->toPlainText(), p.color(QPalette::Text));
        else if (auto* box = qobject_cast<QCheckBox*>(w))
            check(w, w->rect(), box->text(), p.color(QPalette::WindowText));
        else if (auto* push = qobject_cast<QPushButton*>(w); push && !push->isFlat())
            // A gradient and a frame: the face is painted in the Button colour.
            check(w, w->rect(), push->text(), p.color(QPalette::ButtonText),
                  p.color(QPalette::Button));
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            check(w, w->rect(), button->text(), p.color(QPalette::ButtonText));
    }
    for (ContactTreeView* tree : window->findChildren<ContactTreeView*>()) {
        for (QModelIndex i = tree->model()->index(0, 0); i.isValid(); i = tree->indexBelow(i))
            check(tree->viewport(), tree->visualRect(i), i.data().toString(),
                  tree->palette().color(QPalette::Text));
    }
    return found;
}

// The controls a screen reader user works with that it cannot name.
void collectNameless(QAccessibleInterface* item, QStringList* found) {
    static const QList<QAccessible::Role> interactive = {
        QAccessible::EditableText, QAccessible::Button,   QAccessible::CheckBox,
        QAccessible::RadioButton,  QAccessible::ComboBox, QAccessible::List,
        QAccessible::Tree,         QAccessible::Table,    QAccessible::SpinBox};
    if (item->state().invisible)
        return;
    if (interactive.contains(item->role()) && item->text(QAccessible::Name).trimmed().isEmpty())
        *found << QLatin1String(item->object()->metaObject()->className());
    for (int i = 0; i < item->childCount(); ++i)
        collectNameless(item->child(i), found);
}

// A button that shows its text, not only its picture.
bool shownText(const QAbstractButton* button) {
    const auto* tool = qobject_cast<const QToolButton*>(button);
    return !button->text().isEmpty() &&
           !(tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly && !tool->icon().isNull());
}

// Texts wider or taller than their control leaves them, with its own margins.
QStringList cutTexts(QWidget* window) {
    QStringList found;
    const auto check = [&found](const QString& text, int needed, int room) {
        if (needed > room)
            found << QStringLiteral("\"%1\" needs %2, has %3").arg(text).arg(needed).arg(room);
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->window() != window)
            continue;
        if (auto* status = qobject_cast<StatusLabel*>(w)) {
            check(status->text(),
                  QFontMetrics(status->shownFont()).horizontalAdvance(status->text()),
                  status->contentsRect().width());
        } else if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty()) {
            const QSize needed = label->wordWrap() ? QSize(0, label->heightForWidth(label->width()))
                                                   : label->fontMetrics().size(0, label->text());
            const QRect room = label->contentsRect();
            check(label->text(), needed.width() + 2 * label->margin(), room.width());
            check(label->text(), needed.height(), room.height());
        } else if (auto* button = qobject_cast<QAbstractButton*>(w); button && shownText(button)) {
            check(button->text(), button->sizeHint().width(), button->width());
            check(button->text(), button->fontMetrics().height(), button->height());
        } else if (auto* pages = qobject_cast<SendPages*>(w)) {
            for (int i = 0; i < pages->count(); ++i) {
                QStyleOptionTab tab;
                tab.initFrom(pages->tabRows());
                tab.rect = pages->tabRect(i);
                tab.text = pages->tabText(i);
                tab.iconSize = QSize(16, 16);
                tab.icon = QIcon(QPixmap(16, 16));
                check(
                    tab.text, qCeil(QFontMetricsF(pages->font()).horizontalAdvance(tab.text)),
                    pages->style()->subElementRect(QStyle::SE_TabBarTabText, &tab, pages).width());
            }
        }
    }
    return found;
}

} // namespace

// Every window readable whatever the desktop's colours, its texts whole at a large font and
// screen scale (QT_SCALE_FACTOR of the run), and its controls named and in the keyboard's reach.
class ReadableWindowsTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    std::shared_ptr<ServiceClient> m_client;
    std::unique_ptr<TMainForm> m_main;
    std::unique_ptr<TSendForm> m_send;
    std::unique_ptr<THistoryForm> m_history;
    QPointer<TAddContactForm> m_editor;
    std::unique_ptr<TRegForm> m_registration;
    QPointer<ScheduleDialog> m_schedule; // a small dialog under the common header
    QPersistentModelIndex m_contact;
    QString m_desktop; // what the windows above were made under

    // The windows as a person meets them, made anew under a palette and font size.
    QWidget* open(const QString& window, bool dark = false, qreal points = 10) {
        const QString desktop = QStringLiteral("%1 %2").arg(dark).arg(points);
        if (m_desktop != desktop) {
            closeAll();
            QApplication::setPalette(dark ? darkPalette()
                                          : QApplication::style()->standardPalette());
            QFont font = QApplication::font();
            font.setPointSizeF(points);
            QApplication::setFont(font);
            m_main = std::make_unique<TMainForm>(TMainForm::Options{
                {}, m_client, [] {}, QStringLiteral("varnelo-readable-test"), {}});
            BookEntry entry;
            entry.caption = QStringLiteral("Работа");
            entry.expanded = true;
            const QModelIndex group = m_main->book().appendGroup(entry);
            for (const QString& name : {QStringLiteral("Анна"), kLongName}) {
                entry.caption = entry.Name = name;
                entry.Number = QStringLiteral("+7916000000%1").arg(name.size());
                m_contact = m_main->book().appendContact(group, entry);
            }
            m_main->contactTree()->expandAll();
            m_main->SetStatusText(QStringLiteral("Баланс: 100.00"));
            m_main->show();
            m_send = std::make_unique<TSendForm>(m_client);
            m_send->setContactBook(&m_main->book());
            m_send->CreateNewPage(QStringLiteral("Office"), QStringLiteral("Анна"),
                                  QStringLiteral("+79160000004"), QStringLiteral("Анна"),
                                  QStringLiteral("Перезвоню"), false, nullptr);
            m_history = std::make_unique<THistoryForm>(m_client);
            m_history->show();
            m_editor = new TAddContactForm(m_main->book(), group, {});
            m_editor->show();
            m_registration = std::make_unique<TRegForm>(m_client);
            m_registration->show();
            m_schedule = new ScheduleDialog(m_send.get());
            m_schedule->show();
            m_desktop = desktop;
        }
        QWidget* shown =
            QMap<QString, QWidget*>{{QStringLiteral("main"), m_main.get()},
                                    {QStringLiteral("send"), m_send.get()},
                                    {QStringLiteral("history"), m_history.get()},
                                    {QStringLiteral("editor"), m_editor.data()},
                                    {QStringLiteral("registration"), m_registration.get()},
                                    {QStringLiteral("schedule"), m_schedule.data()}}
                .value(window);
        // A desktop without a window manager may not activate it; the checks need it shown.
        shown->activateWindow();
        Q_UNUSED(QTest::qWaitForWindowActive(shown, 500));
        return QTest::qWaitForWindowExposed(shown) ? shown : nullptr;
    }

    void closeAll() {
        delete m_editor.data();
        m_registration.reset();
        m_send.reset();
        m_history.reset();
        m_main.reset();
    }

    static void windowRows(const QList<std::pair<const char*, QVariant>>& settings) {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QVariant>("setting");
        for (const auto& [label, setting] : settings)
            for (const char* window :
                 {"main", "send", "history", "editor", "registration", "schedule"})
                QTest::addRow("%s, %s", window, label) << QString::fromLatin1(window) << setting;
    }

private slots:
    void initTestCase() {
        Prompts::enableTestMode();
        QApplication::setStyle(QStringLiteral("Fusion"));
        Settings(m_profile.store()).runFirstStart({});
        Settings(m_profile.store()).setStoredUserKey(QString(48, QLatin1Char('A')));
        m_client = std::make_shared<ServiceClient>(m_profile.sharedStore());
        QVERIFY(SkinUnit::active().loadActiveSkin(m_profile.store()));
    }
    void cleanupTestCase() { closeAll(); }

    void readableOnEveryPalette_data() { windowRows({{"dark", true}, {"default", false}}); }
    void readableOnEveryPalette() {
        QFETCH(QString, window);
        QFETCH(QVariant, setting);
        QWidget* shown = open(window, setting.toBool());
        QVERIFY(shown);
        QVERIFY(Screenshots::save(
            shown, QStringLiteral("readable.%1.%2").arg(window, QTest::currentDataTag())));
        const QStringList found = unreadable(shown);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("\n"))));
    }

    void textsFit_data() { windowRows({{"10 pt", 10.0}, {"15 pt", 15.0}}); }
    void textsFit() {
        QFETCH(QString, window);
        QFETCH(QVariant, setting);
        QWidget* shown = open(window, false, setting.toReal());
        QVERIFY(shown);
        QVERIFY(Screenshots::save(
            shown, QStringLiteral("fit.%1.x%2")
                       .arg(QTest::currentDataTag(), qEnvironmentVariable("QT_SCALE_FACTOR"))));
        const QStringList found = cutTexts(shown);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("\n"))));
    }

    // The skinned window keeps its width: a name cut short shows whole in its tooltip.
    void longNameInItsTooltip() {
        QVERIFY(open(QStringLiteral("main"), false, 15));
        QWidget* viewport = m_main->contactTree()->viewport();
        const QPoint at = m_main->contactTree()->visualRect(m_contact).center();
        QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &help);
        QTRY_COMPARE(QToolTip::text(), kLongName);
    }

    void everyControlNamed_data() { windowRows({{"", {}}}); }
    void everyControlNamed() {
        QFETCH(QString, window);
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(open(window));
        QStringList found;
        collectNameless(root, &found);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral(", "))));
        if (QStringList{QStringLiteral("main"), QStringLiteral("send"), QStringLiteral("history")}
                .contains(window))
            QCOMPARE(root->role(), QAccessible::Window);
        if (window == QLatin1String("send"))
            QCOMPARE(root->text(QAccessible::Name), QStringLiteral("Отправка сообщения — Анна"));
    }

    void menuKeyOpensTheMenu_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        for (const char* focus : {"tree", "tool button", "send button", "history table"}) {
            QTest::addRow("%s, Menu", focus)
                << QString::fromLatin1(focus) << int(Qt::Key_Menu) << int(Qt::NoModifier);
            QTest::addRow("%s, Shift+F10", focus)
                << QString::fromLatin1(focus) << int(Qt::Key_F10) << int(Qt::ShiftModifier);
        }
    }
    void menuKeyOpensTheMenu() {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QVERIFY(open(focus == QLatin1String("send button")     ? QStringLiteral("send")
                     : focus == QLatin1String("history table") ? QStringLiteral("history")
                                                               : QStringLiteral("main")));
        m_main->contactTree()->selectEntry(m_contact);
        const QMap<QString, std::pair<QWidget*, QMenu*>> places = {
            {QStringLiteral("tree"), {m_main->contactTree(), m_main->treeMenu()}},
            {QStringLiteral("tool button"), {m_main->settingsButton(), m_main->trayMenu()}},
            {QStringLiteral("send button"),
             {m_send->activePage()->sendButton(), m_send->delayMenu()}},
            {QStringLiteral("history table"),
             {m_history->findChild<QTableView*>(),
              m_history->findChild<QMenu*>(QStringLiteral("rowMenu"))}}};
        const auto [target, menu] = places.value(focus);
        target->setFocus(Qt::TabFocusReason);
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_VERIFY(menu->isVisible());
        menu->hide();
    }

    void insertAndDeleteInTheTree() {
        QVERIFY(open(QStringLiteral("main")));
        ContactTreeView* tree = m_main->contactTree();
        tree->selectEntry(m_contact);
        tree->setFocus();
        QString opened;
        QTimer::singleShot(0, this, [&opened] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                opened = QLatin1String(modal->metaObject()->className());
                modal->close();
            }
        });
        QTest::keyClick(tree, Qt::Key_Insert);
        QCOMPARE(opened, QStringLiteral("TAddContactForm"));
        Prompts::takeAsked();
        Prompts::queueAnswer(int(QMessageBox::No));
        QVERIFY(open(QStringLiteral("main")));
        tree->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), tree);
        QTest::keyClick(tree, Qt::Key_Delete);
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked.first().text.contains(kLongName));
    }

    // Reached by Tab, an image button shows where the focus is; clicked, it looks as before.
    void toolButtonShowsFocus() {
        QVERIFY(open(QStringLiteral("main")));
        TImageButton* button = m_main->settingsButton();
        button->setFocus(Qt::OtherFocusReason);
        const QImage clicked = button->composed();
        m_main->contactTree()->setFocus();
        for (int press = 0; press < 20 && QApplication::focusWidget() != button; ++press)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), button);
        QVERIFY(button->composed() != clicked);
    }
};

QTEST_MAIN(ReadableWindowsTest)
#include "ReadableWindowsTest.moc"
