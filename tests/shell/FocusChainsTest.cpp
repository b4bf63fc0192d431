#include "BookEntries.h"
#include "TestProfile.h"
#include "account/ui/MakePswUnit.h"
#include "account/ui/PasswordUnit.h"
#include "account/ui/RestoreAccountUnit.h"
#include "account/ui/UnitReg.h"
#include "contacts/ContactBook.h"
#include "contacts/PhoneNumbers.h"
#include "contacts/ui/AddContactUnit.h"
#include "contacts/ui/ImportContactsDialog.h"
#include "history/ui/HistoryUnit.h"
#include "messaging/ui/EditTemplateListUnit.h"
#include "messaging/ui/MessageEdit.h"
#include "messaging/ui/MySheet.h"
#include "messaging/ui/SendUnit.h"
#include "messaging/ui/UnknownOutcomeDialog.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "settings/ui/ChooseTimeInterval.h"
#include "settings/ui/ServerSettingsPage.h"
#include "settings/ui/SettingsUnit.h"
#include "shared/Settings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTcpServer>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

using BookEntries::contact;
BookEntry group(const QString& caption) {
    return BookEntries::groupEntry(caption);
}

// One window as a test opens it, and what its keys should do.
struct Opened {
    QPointer<QWidget> window;
    // Where the Part fixes the first stops of the Tab order; the rest follow the screen.
    QList<QWidget*> pinned;
    // Enter pressed in this field presses `enterPresses`; none: the window has no such key.
    QWidget* enterFrom = nullptr;
    QAbstractButton* enterPresses = nullptr;
};

using Opener = std::function<Opened()>;

// The widget that a Tab stop really focuses (a tab widget's tab bar, a spin box's edit).
// Radio buttons that exclude each other are one stop, as Tab treats them (the arrows move
// within); the first of them stands for the group.
QWidget* focusTarget(QWidget* widget) {
    while (widget->focusProxy())
        widget = widget->focusProxy();
    const auto* radio = qobject_cast<QRadioButton*>(widget);
    if (radio && radio->autoExclusive() && widget->parentWidget()) {
        const QList<QRadioButton*> group = widget->parentWidget()->findChildren<QRadioButton*>(
            QString(), Qt::FindDirectChildrenOnly);
        for (QRadioButton* first : group) {
            if (first->autoExclusive() && first->isVisible() && first->isEnabled())
                return first;
        }
    }
    return widget;
}

QString describe(const QWidget* widget) {
    QString name = widget->objectName();
    if (name.isEmpty()) {
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            name = QStringLiteral("\"%1\"").arg(button->text().isEmpty() ? button->toolTip()
                                                                         : button->text());
    }
    if (name.isEmpty() && widget->parentWidget() && !widget->parentWidget()->isWindow())
        name = describe(widget->parentWidget()) + QLatin1Char('/');
    return name + QLatin1Char('(') + QLatin1String(widget->metaObject()->className()) +
           QLatin1Char(')');
}

QStringList describe(const QList<QWidget*>& widgets) {
    QStringList names;
    for (const QWidget* widget : widgets)
        names << describe(widget);
    return names;
}

// Every widget that Tab may stop at, by the focus chain's own rules.
QList<QWidget*> tabStops(QWidget* window) {
    QList<QWidget*> stops;
    for (QWidget* widget = window->nextInFocusChain(); widget != window;
         widget = widget->nextInFocusChain()) {
        if (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisibleTo(window) ||
            !widget->isEnabled() || widget->window() != window)
            continue;
        QWidget* target = focusTarget(widget);
        if (!stops.contains(target) && target->isVisibleTo(window) && target->isEnabled())
            stops.append(target);
    }
    return stops;
}

QRect placeOf(QWidget* widget, QWidget* window) {
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

// Top to bottom, then left to right. A widget whose middle lies within the height of a row
// already begun belongs to that row (a tall list with its buttons beside it is one row).
QList<QWidget*> screenOrder(QList<QWidget*> widgets, QWidget* window) {
    std::stable_sort(widgets.begin(), widgets.end(), [window](QWidget* a, QWidget* b) {
        const QRect ra = placeOf(a, window);
        const QRect rb = placeOf(b, window);
        return ra.top() != rb.top() ? ra.top() < rb.top() : ra.left() < rb.left();
    });
    QList<QList<QWidget*>> rows;
    int rowTop = 0;
    int rowBottom = -1;
    for (QWidget* widget : widgets) {
        const QRect place = placeOf(widget, window);
        const int middle = place.center().y();
        if (rows.isEmpty() || middle < rowTop || middle > rowBottom) {
            rows.append(QList<QWidget*>());
            rowTop = place.top();
            rowBottom = place.bottom();
        }
        rows.last().append(widget);
        rowBottom = std::max(rowBottom, place.bottom());
    }
    QList<QWidget*> order;
    for (QList<QWidget*>& row : rows) {
        std::stable_sort(row.begin(), row.end(), [window](QWidget* a, QWidget* b) {
            const QRect ra = placeOf(a, window);
            const QRect rb = placeOf(b, window);
            return ra.left() != rb.left() ? ra.left() < rb.left() : ra.top() < rb.top();
        });
        order += row;
    }
    return order;
}

// The order Tab should take: the pinned stops first, then the others in screen order, going
// on from where the last pinned one stands on the screen and round from the top.
QList<QWidget*> expectedOrder(const QList<QWidget*>& stops, const QList<QWidget*>& pinned,
                              QWidget* window) {
    const QList<QWidget*> screen = screenOrder(stops, window);
    if (pinned.isEmpty())
        return screen;
    QList<QWidget*> order = pinned;
    const qsizetype from = screen.indexOf(pinned.last());
    for (qsizetype i = 1; i <= screen.size(); ++i) {
        QWidget* next = screen[(from + i) % screen.size()];
        if (!pinned.contains(next))
            order.append(next);
    }
    return order;
}

// The stops that Tab really visits, from `start` until it comes round again. A date field
// takes a Tab per section before it lets the focus go.
QList<QWidget*> walkWithTab(QWidget* start, int limit) {
    start->setFocus(Qt::TabFocusReason);
    QList<QWidget*> visited;
    QWidget* last = nullptr;
    for (int press = 0; press < limit; ++press) {
        QWidget* focused = QApplication::focusWidget();
        if (!focused || (press > 0 && focused == start && last != start))
            break;
        if (focused != last && !visited.contains(focusTarget(focused)))
            visited.append(focusTarget(focused));
        last = focused;
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    return visited;
}

bool showActive(QWidget* window) {
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

} // namespace

// Every window and dialog by keyboard alone: Tab walks the fields in their on-screen order
// (top to bottom, left to right) except where the Part fixes the first stops, Enter presses
// the default button, and Escape closes where the Part gives a way to cancel.
class FocusChainsTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    std::shared_ptr<Registry> m_registry;
    std::shared_ptr<ServiceClient> m_client;
    ContactBook m_book;
    std::unique_ptr<TSendForm> m_sendForm;
    std::unique_ptr<THistoryForm> m_historyForm;
    QList<QPointer<QWidget>> m_windows;
    QMap<QString, Opener> m_openers;

    Opened opened(QWidget* window) {
        m_windows.append(window);
        return {window, {}, nullptr, nullptr};
    }

    TSettingsForm* settingsOn(int page) {
        auto* form = new TSettingsForm({m_registry, nullptr, {}, {}});
        form->pages()->setCurrentIndex(page);
        return form;
    }

    void addOpeners() {
        m_openers[QStringLiteral("registration")] = [this] {
            auto* form = new TRegForm(m_client);
            Opened o = opened(form);
            o.enterFrom = form->findChild<QLineEdit*>(QStringLiteral("referrerEdit"));
            o.enterPresses = form->findChild<QPushButton*>(QStringLiteral("okButton"));
            return o;
        };
        m_openers[QStringLiteral("restore, asking for the code")] = [this] {
            auto* form = new TRestoreAccountForm(m_client);
            auto* email = form->findChild<QLineEdit*>(QStringLiteral("emailEdit"));
            email->setText(QStringLiteral("old@example.org"));
            Opened o = opened(form);
            o.enterFrom = email;
            o.enterPresses = form->findChild<QPushButton*>(QStringLiteral("sendCodeButton"));
            return o;
        };
        m_openers[QStringLiteral("restore, the code typed")] = [this] {
            auto* form = new TRestoreAccountForm(m_client);
            form->findChild<QLineEdit*>(QStringLiteral("emailEdit"))
                ->setText(QStringLiteral("old@example.org"));
            auto* code = form->findChild<QLineEdit*>(QStringLiteral("codeEdit"));
            code->setText(QStringLiteral("0123"));
            Opened o = opened(form);
            o.enterFrom = code;
            o.enterPresses = form->findChild<QPushButton*>(QStringLiteral("okButton"));
            return o;
        };
        m_openers[QStringLiteral("access password")] = [this] {
            auto* form = new TPswForm;
            Opened o = opened(form);
            o.enterFrom = form->findChild<QLineEdit*>(QStringLiteral("passwordEdit"));
            o.enterPresses = form->findChild<QPushButton*>(QStringLiteral("okButton"));
            return o;
        };
        // Enter moves from field to field; only the confirmation presses "ОК".
        m_openers[QStringLiteral("make password")] = [this] {
            auto* form = new TMakePswForm;
            Opened o = opened(form);
            o.enterFrom = form->findChild<QLineEdit*>(QStringLiteral("confirmationEdit"));
            o.enterPresses = form->findChild<QPushButton*>(QStringLiteral("okButton"));
            return o;
        };
        m_openers[QStringLiteral("settings, Подключение")] = [this] {
            TSettingsForm* form = settingsOn(0);
            Opened o = opened(form);
            o.enterFrom = form->control<QLineEdit>(Setting::ProxyServer);
            o.enterPresses = form->okButton();
            return o;
        };
        m_openers[QStringLiteral("settings, Интерфейс")] = [this] {
            TSettingsForm* form = settingsOn(1);
            Opened o = opened(form);
            o.enterFrom = form->control<QLineEdit>(Setting::TimeFormat);
            o.enterPresses = form->okButton();
            return o;
        };
        m_openers[QStringLiteral("settings, Звуки")] = [this] {
            TSettingsForm* form = settingsOn(2);
            Opened o = opened(form);
            o.enterFrom = form->control<QLineEdit>(Setting::SoundSentErr);
            o.enterPresses = form->okButton();
            return o;
        };
        m_openers[QStringLiteral("settings, Отправка")] = [this] {
            TSettingsForm* form = settingsOn(3);
            Opened o = opened(form);
            o.enterFrom = form->control<QDoubleSpinBox>(Setting::ConfirmAboveKopecks);
            o.enterPresses = form->okButton();
            return o;
        };
        m_openers[QStringLiteral("settings, Сервер before loading")] = [this] {
            return opened(settingsOn(4));
        };
        m_openers[QStringLiteral("settings, Сервер loaded")] = [this] {
            TSettingsForm* form = settingsOn(4);
            auto* page = form->findChild<ServerSettingsPage*>();
            page->loadButton()->hide();
            page->accountPanel()->show();
            Opened o = opened(form);
            o.enterFrom = page->icq2Edit();
            o.enterPresses = form->okButton();
            return o;
        };
        m_openers[QStringLiteral("contact editor, add")] = [this] {
            auto* form = new TAddContactForm(m_book, m_book.groupIndex(0), {});
            Opened o = opened(form);
            o.enterFrom = form->findChild<QLineEdit*>(QStringLiteral("signEdit"));
            o.enterPresses = form->findChild<QPushButton*>(QStringLiteral("okButton"));
            return o;
        };
        m_openers[QStringLiteral("contact editor, edit a contact")] = [this] {
            auto* form = new TAddContactForm(m_book, m_book.index(0, 0, m_book.groupIndex(0)), {});
            form->prepareEdit();
            Opened o = opened(form);
            o.enterFrom = form->findChild<QLineEdit*>(QStringLiteral("numberEdit"));
            o.enterPresses = form->findChild<QPushButton*>(QStringLiteral("okButton"));
            return o;
        };
        m_openers[QStringLiteral("contact editor, edit a group")] = [this] {
            auto* form = new TAddContactForm(m_book, m_book.groupIndex(1), {});
            form->prepareEdit();
            Opened o = opened(form);
            o.enterFrom = form->findChild<QComboBox*>(QStringLiteral("groupCombo"));
            o.enterPresses = form->findChild<QPushButton*>(QStringLiteral("okButton"));
            return o;
        };
        // A list with its buttons: no default button, Escape closes as the close box does.
        m_openers[QStringLiteral("template list editor")] = [this] {
            const QString path = QDir(m_profile.root()).filePath(QStringLiteral("T.dat"));
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write("Перезвоню\r\nЕду\r\n");
            file.close();
            auto* form = new TEditTemplateListForm(nullptr, path);
            form->selectTemplate(0);
            return opened(form);
        };
        m_openers[QStringLiteral("choose time interval")] = [this] {
            auto* form = new TChooseTimeInterval(1.5);
            Opened o = opened(form);
            o.enterFrom = form->toDate();
            o.enterPresses = form->okButton();
            return o;
        };
        // The page is opened with its message and signature first; Ctrl+Enter sends, which
        // the compose page's own test covers.
        m_openers[QStringLiteral("send window page")] = [this] {
            m_sendForm->CreateNewPage(QStringLiteral("Office"), QStringLiteral("Аня"),
                                      QStringLiteral("+79160000001"), QStringLiteral("Аня"),
                                      QStringLiteral("Привет"), false, nullptr);
            TMySheet* page = m_sendForm->activePage();
            Opened o{m_sendForm.get(), {page->messageEdit(), page->signEdit()}, nullptr, nullptr};
            return o;
        };
        m_openers[QStringLiteral("contact import")] = [this] {
            ImportedContact row;
            row.name = QStringLiteral("Ира");
            row.number = QStringLiteral("8 916 000-00-09");
            row.line = 2;
            auto* dialog = new ImportContactsDialog(QStringLiteral("/tmp/phone.vcf"), {row},
                                                    m_book.groups(), *PhoneNumbers::get());
            Opened o = opened(dialog);
            o.enterFrom = dialog->groupBox();
            o.enterPresses = dialog->importButton();
            return o;
        };
        m_openers[QStringLiteral("unknown outcomes")] = [this] {
            SendJournal::Row row;
            row.numbers = {QStringLiteral("+79160000001")};
            m_sendForm->journal().markUnknown(m_sendForm->journal().begin(row), QString());
            auto* dialog = new UnknownOutcomeDialog(*m_sendForm);
            Opened o = opened(dialog);
            o.enterFrom = dialog->table();
            o.enterPresses = dialog->closeButton();
            return o;
        };
        m_openers[QStringLiteral("history window")] = [this] {
            Opened o{m_historyForm.get(),
                     {},
                     m_historyForm->findChild<QLineEdit*>(QStringLiteral("filterEdit")),
                     m_historyForm->findChild<QToolButton*>(QStringLiteral("applyFilterButton"))};
            return o;
        };
    }

    // One row per window, for each of the checks below.
    void windows_data() {
        QTest::addColumn<QString>("window");
        for (auto it = m_openers.cbegin(); it != m_openers.cend(); ++it)
            QTest::newRow(qPrintable(it.key())) << it.key();
    }

private slots:
    void initTestCase() {
        Prompts::enableTestMode();
        // Nothing listens there: a command that reaches for the service fails at once.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        m_registry = std::make_shared<Registry>();
        m_client = std::make_shared<ServiceClient>(m_registry);
        Settings settings(*m_registry);
        settings.runFirstStart({});
        settings.set(Setting::Host, QStringLiteral("127.0.0.1"));
        settings.set(Setting::Port, qint32(port));
        // Every connection field open to the keyboard.
        settings.set(Setting::UseIESettings, false);
        settings.set(Setting::UseProxy, true);
        TSettingsForm::setServerPageFactory([client = m_client](QWidget* page) -> QWidget* {
            return new ServerSettingsPage(client, page);
        });

        m_book.setGroups({
            {group(QStringLiteral("Друзья")),
             {contact(QStringLiteral("Аня"), QStringLiteral("+79160000001"))}},
            {group(QStringLiteral("Работа")), {}},
        });
        m_sendForm = std::make_unique<TSendForm>(m_client);
        m_sendForm->setContactBook(&m_book);
        m_historyForm = std::make_unique<THistoryForm>(m_client);
        addOpeners();
    }

    void cleanup() {
        for (const QPointer<QWidget>& window : std::as_const(m_windows))
            delete window.data();
        m_windows.clear();
        m_sendForm->hide();
        m_historyForm->hide();
        Prompts::takeAsked();
    }

    void cleanupTestCase() {
        m_sendForm.reset();
        m_historyForm.reset();
        TSettingsForm::setServerPageFactory({});
    }

    void tabFollowsTheScreen_data() { windows_data(); }
    void tabFollowsTheScreen() {
        QFETCH(QString, window);
        const Opened o = m_openers[window]();
        QVERIFY(showActive(o.window));
        const QList<QWidget*> stops = tabStops(o.window);
        QVERIFY(stops.size() >= 2);
        const QList<QWidget*> expected = expectedOrder(stops, o.pinned, o.window);
        const QList<QWidget*> walked = walkWithTab(expected.first(), 4 * int(stops.size()) + 8);
        const QString walkedText = describe(walked).join(QStringLiteral("\n  "));
        const QString expectedText = describe(expected).join(QStringLiteral("\n  "));
        QVERIFY2(walkedText == expectedText,
                 qPrintable(QStringLiteral("Tab walks:\n  %1\nthe screen shows:\n  %2")
                                .arg(walkedText, expectedText)));
    }

    // Shown, the window's focus is in its first stop.
    void firstFocus_data() { windows_data(); }
    void firstFocus() {
        QFETCH(QString, window);
        const Opened o = m_openers[window]();
        QVERIFY(showActive(o.window));
        const QList<QWidget*> expected = expectedOrder(tabStops(o.window), o.pinned, o.window);
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(describe(QApplication::focusWidget()), describe(expected.first()));
    }

    void enterPressesTheDefault_data() { windows_data(); }
    void enterPressesTheDefault() {
        QFETCH(QString, window);
        const Opened o = m_openers[window]();
        if (!o.enterFrom)
            QSKIP("no field here that Enter confirms");
        QVERIFY(showActive(o.window));
        QSignalSpy pressed(o.enterPresses, &QAbstractButton::clicked);
        o.enterFrom->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(pressed.count(), 1);
    }

    void escapeCloses_data() { windows_data(); }
    void escapeCloses() {
        QFETCH(QString, window);
        const Opened o = m_openers[window]();
        QVERIFY(showActive(o.window));
        QWidget* first = expectedOrder(tabStops(o.window), o.pinned, o.window).first();
        first->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!o.window || !o.window->isVisible());
    }
};

QTEST_MAIN(FocusChainsTest)
#include "FocusChainsTest.moc"
