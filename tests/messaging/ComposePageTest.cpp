#include "BookEntries.h"
#include "Screenshots.h"
#include "TestProfile.h"
#include "contacts/ContactBook.h"
#include "messaging/TemplatesFile.h"
#include "messaging/ui/EditTemplateListUnit.h"
#include "messaging/ui/MessageEdit.h"
#include "messaging/ui/MySheet.h"
#include "messaging/ui/SendPages.h"
#include "messaging/ui/SendUnit.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"
#include "skins/ui/AlignEdit.h"
#include "skins/ui/SkinUnit.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

namespace {

using BookEntries::contact;
BookEntry group(const QString& caption) {
    return BookEntries::groupEntry(caption);
}

const QString kNoConnection = QStringLiteral("Невозможно установить соединение с сервером!");

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A Ctrl key as the X11 keyboard reports it: the left or the right one.
void ctrlKey(QWidget* target, QEvent::Type type, bool right) {
    QKeyEvent event(type, Qt::Key_Control, Qt::ControlModifier, right ? 105 : 37,
                    right ? 0xffe4 : 0xffe3, 0);
    QCoreApplication::sendEvent(target, &event);
}

// Types each character as a key with that text (keyClicks takes ASCII only).
void typeText(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(target, &release);
    }
}

} // namespace

// Compose pages and the send window driven through their controls and handlers: binding to
// the contact book, counting and typing limits, keys, templates, closing pages and tabs.
class ComposePageTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    ContactBook m_book;
    std::unique_ptr<TSendForm> m_form;
    qint64 m_now = 0;

    TMySheet* open(const QString& name, const QString& number, const QString& text = {},
                   const QString& sign = {}, BookEntry* node = nullptr,
                   const QString& sender = {}) {
        m_form->CreateNewPage(sender, name, number, sign, text, false, node);
        return m_form->activePage();
    }
    BookEntry* node(int groupRow, int contactRow = -1) {
        const QModelIndex group = m_book.groupIndex(groupRow);
        return m_form->nodeAt(contactRow < 0 ? group : m_book.index(contactRow, 0, group));
    }
    void waitForSends() { QTRY_COMPARE_WITH_TIMEOUT(m_form->sendsInFlight(), 0, 20000); }

private slots:
    void initTestCase() { Prompts::enableTestMode(); }

    void init() {
        m_book.setGroups({
            {group(QStringLiteral("Друзья")),
             {contact(QStringLiteral("Аня"), QStringLiteral("+79160000001")),
              contact(QStringLiteral("Боря"), QStringLiteral("+79160000002"))}},
            {group(QStringLiteral("Работа")),
             {contact(QStringLiteral("Вера"), QStringLiteral("+79160000001"), {},
                      QStringLiteral("Office"))}},
        });
        m_form = std::make_unique<TSendForm>(std::make_shared<ServiceClient>(
            std::make_shared<Registry>(QStringLiteral(":memory:"))));
        m_form->setContactBook(&m_book);
        m_form->setClockForTests([this] { return m_now; });
        QFile::remove(TemplatesFile::defaultPath());
        Prompts::takeAsked();
    }

    void cleanup() {
        waitForSends();
        m_form.reset();
    }

    void newPageWithoutContact() {
        TMySheet* page = open(QStringLiteral("Кто-то"), QStringLiteral("+79990000000"));
        QVERIFY(m_form->isVisible());
        QVERIFY(!m_form->IsHidden);
        QCOMPARE(page->RecipientName, QStringLiteral("Неизвестный"));
        QCOMPARE(m_form->pages()->tabText(0), QStringLiteral("Неизвестный"));
        QCOMPARE(page->recipientEdit()->text(), QStringLiteral("Неизвестный (+79990000000)"));
        QVERIFY(!page->ContactNode.isValid());
        QCOMPARE(page->senderEdit()->text(), QStringLiteral("varnelo.ru"));
        QVERIFY(!page->sendButton()->isEnabled());
        QVERIFY(page->countLabel()->text().startsWith(QStringLiteral("0 / 70 (")));
        QCOMPARE(page->senderEdit()->Alignment(), TAlignEdit::eaCenter);
        QVERIFY(page->messageEdit()->hasFocus() || !QApplication::focusWidget());
        // Nothing to write to: the sender and translit box change no contact.
        QTest::keyClicks(page->senderEdit(), QStringLiteral("X"));
        page->translitBox()->click();
        QCOMPARE(m_book.group(0).contacts[0].Sender, QString());
        QVERIFY(!m_book.group(0).contacts[0].Translit);
    }

    // The buttons with a picture only are read by their hints.
    void pictureButtonsAreReadByTheirHints() {
        TMySheet* page = open(QStringLiteral("x"), QStringLiteral("1"));
        const auto nameOf = [](QWidget* button) {
            return QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name);
        };
        QCOMPARE(nameOf(page->historyButton()), QStringLiteral("История для этого номера"));
        QCOMPARE(nameOf(page->templatesButton()), QStringLiteral("Готовые сообщения"));
    }

    void sendFollowsTheMessage_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("translit");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("empty") << QString() << false << false;
        QTest::newRow("one line break") << QStringLiteral("\r\n") << false << false;
        QTest::newRow("line breaks") << QStringLiteral("\r\n\r\n\r\n") << true << false;
        QTest::newRow("a blank") << QStringLiteral(" ") << false << true;
        QTest::newRow("text after a break") << QStringLiteral("\r\nа") << true << true;
    }
    void sendFollowsTheMessage() {
        QFETCH(QString, text);
        QFETCH(bool, translit);
        QFETCH(bool, enabled);
        TMySheet* page = open(QStringLiteral("x"), QStringLiteral("1"));
        page->translitBox()->setChecked(translit);
        page->SetText(text);
        QCOMPARE(page->sendButton()->isEnabled(), enabled);
        QCOMPARE(page->messageEdit()->text(), text);
    }

    void contactBindingFirstInTreeOrder() {
        // Вера has the same number as Аня, who comes first in the tree.
        TMySheet* page = open(QStringLiteral("Вера"), QStringLiteral("+79160000001"), {}, {},
                              node(1, 0), QStringLiteral("Office"));
        QCOMPARE(page->RecipientName, QStringLiteral("Аня"));
        QCOMPARE(page->ContactNode,
                 QPersistentModelIndex(m_book.index(0, 0, m_book.groupIndex(0))));
        QCOMPARE(page->RecipientKind, 1);
        QCOMPARE(page->recipientEdit()->text(), QStringLiteral("Аня (+79160000001)"));
        // Setting the sender from the program changes no contact; typing does.
        QCOMPARE(m_book.group(0).contacts[0].Sender, QString());
        page->senderEdit()->clear();
        QTest::keyClicks(page->senderEdit(), QStringLiteral("Home"));
        QCOMPARE(page->Sender, QStringLiteral("Home"));
        QCOMPARE(m_book.group(0).contacts[0].Sender, QStringLiteral("Home"));
        QCOMPARE(m_book.group(1).contacts[0].Sender, QStringLiteral("Office"));
        page->translitBox()->click();
        QVERIFY(m_book.group(0).contacts[0].Translit);
        // The page never writes the name, number or signature of its contact.
        page->SetSign(QStringLiteral("подпись"));
        QCOMPARE(m_book.group(0).contacts[0].Sign, QString());
    }

    void openingWithTranslitWritesTheContact() {
        m_form->CreateNewPage({}, QStringLiteral("Боря"), QStringLiteral("+79160000002"), {}, {},
                              true, node(0, 1));
        QVERIFY(m_form->activePage()->translitBox()->isChecked());
        QVERIFY(m_book.group(0).contacts[1].Translit);
    }

    void recipientFieldRebinds_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("bound");
        QTest::newRow("another contact")
            << QStringLiteral("+79160000002") << QStringLiteral("Боря") << true;
        QTest::newRow("nobody") << QStringLiteral("+7000") << QStringLiteral("Неизвестный")
                                << false;
    }
    void recipientFieldRebinds() {
        QFETCH(QString, typed);
        QFETCH(QString, name);
        QFETCH(bool, bound);
        TMySheet* page =
            open(QStringLiteral("Аня"), QStringLiteral("+79160000001"), {}, {}, node(0, 0));
        m_form->activateWindow();
        page->recipientEdit()->setFocus();
        QTRY_VERIFY(page->recipientEdit()->hasFocus());
        QCOMPARE(page->recipientEdit()->text(), QStringLiteral("+79160000001"));
        page->recipientEdit()->selectAll();
        QTest::keyClicks(page->recipientEdit(), typed);
        page->messageEdit()->setFocus();
        QTRY_VERIFY(page->messageEdit()->hasFocus());
        QCOMPARE(page->Number, typed);
        QCOMPARE(page->RecipientName, name);
        QCOMPARE(m_form->pages()->tabText(0), name);
        QCOMPARE(page->ContactNode.isValid(), bound);
        QCOMPARE(page->recipientEdit()->text(), name + QStringLiteral(" (") + typed + ')');
    }

    void nodeOutsideTheBookBindsNothing() {
        BookEntry stray = contact(QStringLiteral("Боря"), QStringLiteral("+79160000002"));
        BookEntry group = m_book.group(0).entry; // a copy, not the book's own
        TMySheet* page = open(QStringLiteral("Друзья"), QStringLiteral("1|2"), {}, {}, &group);
        QCOMPARE(page->RecipientKind, 1);
        QVERIFY(!page->ContactNode.isValid());
        QCOMPARE(m_form->nodeAt(QModelIndex()), nullptr);
        // A contact found by its number is bound whatever node came along.
        page = open(QStringLiteral("Боря"), QStringLiteral("+79160000002"), {}, {}, &stray);
        QCOMPARE(page->RecipientName, QStringLiteral("Боря"));
        QVERIFY(page->ContactNode.isValid());
    }

    void groupPage() {
        QSignalSpy history(m_form.get(), &TSendForm::ShowHistoryFor);
        const QString numbers = QStringLiteral("+79160000001|+79160000002");
        TMySheet* page = open(QStringLiteral("Друзья"), numbers, {}, {}, node(0));
        QCOMPARE(page->RecipientKind, 0);
        QCOMPARE(page->RecipientName, QStringLiteral("Друзья"));
        QCOMPARE(page->recipientEdit()->text(), QStringLiteral("Группы Друзья"));
        QVERIFY(!page->recipientEdit()->isEnabled());
        page->historyButton()->click();
        QCOMPARE(history.count(), 1);
        QCOMPARE(history.first().first().toString(), numbers);
    }

    void openAgainKeepsOrReplacesText() {
        TMySheet* page = open(QStringLiteral("Аня"), QStringLiteral("+79160000001"));
        page->SetText(QStringLiteral("черновик"));
        QCOMPARE(open(QStringLiteral("Аня"), QStringLiteral("+79160000001")), page);
        QCOMPARE(m_form->pageCount(), 1);
        QCOMPARE(page->messageEdit()->text(), QStringLiteral("черновик"));
        // A repeat from the history brings its text and signature.
        open(QStringLiteral("Аня"), QStringLiteral("+79160000001"), QStringLiteral("повтор"),
             QStringLiteral("Аня"));
        QCOMPARE(page->messageEdit()->text(), QStringLiteral("повтор"));
        QCOMPARE(page->signEdit()->text(), QStringLiteral("Аня"));
        // Same number, another name: another page.
        TMySheet* other = open(QStringLiteral("Анна"), QStringLiteral("+79160000001"));
        QVERIFY(other != page);
        QCOMPARE(m_form->pageCount(), 2);
    }

    void senderTyping_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("digits up to 15")
            << QStringLiteral("12345678901234567") << QStringLiteral("123456789012345");
        QTest::newRow("letters up to 11")
            << QStringLiteral("abcdefghijklmn") << QStringLiteral("abcdefghijk");
        QTest::newRow("digits then a letter")
            << QStringLiteral("1234567890123x") << QStringLiteral("1234567890123");
        QTest::newRow("a letter first")
            << QStringLiteral("x12345678901234") << QStringLiteral("x1234567890");
        QTest::newRow("cyrillic dropped") << QStringLiteral("АбвZ") << QStringLiteral("Z");
        QTest::newRow("yo passes") << QStringLiteral("Ёё") << QStringLiteral("Ёё");
        QTest::newRow("outside the code page") << QStringLiteral("a€☺") << QStringLiteral("a€?");
    }
    void senderTyping() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        TMySheet* page = open(QStringLiteral("x"), QStringLiteral("1"));
        page->senderEdit()->clear();
        typeText(page->senderEdit(), typed);
        QCOMPARE(page->senderEdit()->text(), shown);
        QCOMPARE(page->Sender, shown);
    }

    void senderLimitAfterBackspace() {
        TMySheet* page = open(QStringLiteral("x"), QStringLiteral("1"));
        page->senderEdit()->clear();
        QTest::keyClicks(page->senderEdit(), QStringLiteral("123"));
        QCOMPARE(page->senderTypingLimit(), 15);
        QTest::keyClick(page->senderEdit(), Qt::Key_Backspace);
        QCOMPARE(page->senderTypingLimit(), 11);
    }

    void messageTypingLimit() {
        TMySheet* page = open(QStringLiteral("x"), QStringLiteral("1"), {}, QStringLiteral("Вася"));
        // A signature of four takes five with its blank.
        QCOMPARE(page->messageEdit()->typingLimit(), 65);
        QTest::keyClicks(page->messageEdit(), QString(80, QLatin1Char('a')));
        QCOMPARE(page->messageEdit()->text().size(), 65);
        QVERIFY(page->countLabel()->text().startsWith(QStringLiteral("70 / 70 (")));
        // A line break counts two: no room for it in the last place.
        page->SetText(QString(64, QLatin1Char('a')));
        QTest::keyClick(page->messageEdit(), Qt::Key_Return);
        QCOMPARE(page->messageEdit()->text().size(), 64);
    }

    void programTextIsNeverCut() {
        TMySheet* page = open(QStringLiteral("x"), QStringLiteral("1"));
        page->SetText(QString(100, QLatin1Char('b')));
        QCOMPARE(page->messageEdit()->text().size(), 100);
        QVERIFY(page->countLabel()->text().startsWith(QStringLiteral("100 / 70 (")));
        // Too long to type into, but it can be shortened.
        QTest::keyClick(page->messageEdit(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(page->messageEdit(), QStringLiteral("c"));
        QCOMPARE(page->messageEdit()->text().size(), 100);
        QTest::keyClick(page->messageEdit(), Qt::Key_Backspace);
        QCOMPARE(page->messageEdit()->text().size(), 99);
    }

    void pasteIsCutToTheRoom() {
        TMySheet* page = open(QStringLiteral("x"), QStringLiteral("1"));
        page->SetText(QString(60, QLatin1Char('a')));
        QTest::keyClick(page->messageEdit(), Qt::Key_End, Qt::ControlModifier);
        QGuiApplication::clipboard()->setText(QStringLiteral("0123456789abcdef"));
        QTest::keyClick(page->messageEdit(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(page->messageEdit()->text(), QString(60, QLatin1Char('a')) + "0123456789");
    }

    // The one-line fields take of a paste the part that fits, as the message field does.
    void lineFieldPasteIsCutToTheRoom_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("from");   // the caret, or the selection's start
        QTest::addColumn<int>("length"); // of the selection; 0 for none
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("expected");
        const QString digits = QStringLiteral("12345678901234567890");
        QTest::newRow("recipient, empty")
            << "recipient" << QString() << 0 << 0 << digits << digits.left(15);
        QTest::newRow("recipient, at the end")
            << "recipient"
            << "7916" << 4 << 0 << digits << QStringLiteral("791612345678901");
        QTest::newRow("recipient, in the middle")
            << "recipient"
            << "7916" << 2 << 0 << digits << QStringLiteral("791234567890116");
        QTest::newRow("recipient, over a selection")
            << "recipient"
            << "791600000011234" << 4 << 4 << "abcdefgh" << QStringLiteral("7916abcd0011234");
        QTest::newRow("recipient, full")
            << "recipient"
            << "791600000011234" << 5 << 0 << "xyz" << QStringLiteral("791600000011234");
        QTest::newRow("recipient, the program's longer text kept")
            << "recipient"
            << "Неизвестный (123)" << 17 << 0 << "x" << QStringLiteral("Неизвестный (123)");
        QTest::newRow("recipient, the program's longer text shortened by a paste")
            << "recipient"
            << "Неизвестный (123)" << 0 << 11 << "Аня Петрова"
            << QStringLiteral("Аня Петрова (123)");
        QTest::newRow("sender, a name")
            << "sender"
            << "Office" << 6 << 0 << "Moscow2024" << QStringLiteral("OfficeMosco");
        QTest::newRow("sender, outside the code page")
            << "sender" << QString() << 0 << 0 << "ab☺€cdefghijkl" << QStringLiteral("ab?€cdefghi");
        QTest::newRow("signature")
            << "sign"
            << "Вася" << 4 << 0 << " Пупкин из Москвы" << QStringLiteral("Вася Пупки");
    }
    void lineFieldPasteIsCutToTheRoom() {
        QFETCH(QString, field);
        QFETCH(QString, start);
        QFETCH(int, from);
        QFETCH(int, length);
        QFETCH(QString, clip);
        QFETCH(QString, expected);
        TMySheet* page = open(QStringLiteral("x"), QStringLiteral("1"));
        // A message of 59 leaves 11 for a signature and its blank.
        page->SetText(QString(59, QLatin1Char('a')));
        QCOMPARE(page->signTypingLimit(), 11);
        QLineEdit* edit = field == QLatin1String("recipient") ? page->recipientEdit()
                          : field == QLatin1String("sender")  ? page->senderEdit()
                                                              : page->signEdit();
        edit->setText(start);
        if (length > 0)
            edit->setSelection(from, length);
        else
            edit->setCursorPosition(from);
        QGuiApplication::clipboard()->setText(clip);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), expected);
        // Typing on stays stopped at the limit.
        if (expected.size() >= 10) {
            QTest::keyClick(edit, Qt::Key_End);
            QTest::keyClicks(edit, QStringLiteral("z"));
            QCOMPARE(edit->text(), expected);
        }
    }

    void signatureWithoutRoom() {
        TMySheet* page = open(QStringLiteral("x"), QStringLiteral("1"));
        page->SetText(QString(70, QLatin1Char('a')));
        page->SetSign(QStringLiteral("Вася"));
        QCOMPARE(page->signEdit()->text(), QString());
        QVERIFY(!page->signEdit()->isEnabled());
        QVERIFY(page->countLabel()->text().startsWith(QStringLiteral("70 / 70 (")));
        page->SetText(QStringLiteral("коротко"));
        QVERIFY(page->signEdit()->isEnabled());
        QCOMPARE(page->signTypingLimit(), 70 - 7);
    }

    void translitCountsWhatIsSent() {
        TMySheet* page = open(QStringLiteral("x"), QStringLiteral("1"));
        page->SetText(QStringLiteral("щука"));
        QVERIFY(page->countLabel()->text().startsWith(QStringLiteral("4 / 70")));
        page->translitBox()->click();
        QVERIFY(page->countLabel()->text().startsWith(QStringLiteral("6 / 70")));
        QCOMPARE(page->messageEdit()->typingLimit(), 70 - 2);
    }

    void ctrlASelectsAll() {
        TMySheet* page = open(QStringLiteral("x"), QStringLiteral("1"), QStringLiteral("abc"));
        QTest::keyClick(page->messageEdit(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(page->messageEdit()->textCursor().selectedText(), QStringLiteral("abc"));
    }

    void sendKeys_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("inSign");
        QTest::newRow("ctrl+enter") << QStringLiteral("ctrl+enter") << false;
        QTest::newRow("ctrl+enter in the signature") << QStringLiteral("ctrl+enter") << true;
        QTest::newRow("line feed") << QStringLiteral("lf") << false;
        QTest::newRow("both ctrl keys") << QStringLiteral("both") << false;
        QTest::newRow("both ctrl keys in the signature") << QStringLiteral("both") << true;
    }
    void sendKeys() {
        QFETCH(QString, how);
        QFETCH(bool, inSign);
        TMySheet* page = open(QStringLiteral("x"), QStringLiteral("1"));
        QWidget* target = inSign ? static_cast<QWidget*>(page->signEdit())
                                 : static_cast<QWidget*>(page->messageEdit());
        const auto press = [&] {
            if (how == QLatin1String("ctrl+enter")) {
                QTest::keyClick(target, Qt::Key_Return, Qt::ControlModifier);
            } else if (how == QLatin1String("lf")) {
                QKeyEvent event(QEvent::KeyPress, Qt::Key_J, Qt::ControlModifier,
                                QStringLiteral("\n"));
                QCoreApplication::sendEvent(target, &event);
            } else {
                ctrlKey(target, QEvent::KeyPress, false);
                ctrlKey(target, QEvent::KeyPress, true);
                QTest::keyClick(target, Qt::Key_S, Qt::ControlModifier);
                ctrlKey(target, QEvent::KeyRelease, true);
                ctrlKey(target, QEvent::KeyRelease, false);
            }
        };
        // Nothing to send: the key is swallowed and nothing starts.
        press();
        QCOMPARE(m_form->statusText(), QString());
        QCOMPARE(page->signEdit()->text(), QString());
        page->SetText(QStringLiteral("привет"));
        press();
        QCOMPARE(page->messageEdit()->text(), QStringLiteral("привет"));
        QCOMPARE(page->signEdit()->text(), QString());
        QVERIFY(!page->sendButton()->isEnabled());
        waitForSends();
        // Without an account the run ends at once as a failed connection.
        QCOMPARE(m_form->statusText(), kNoConnection);
        QVERIFY(page->sendButton()->isEnabled());
    }

    void oneCtrlKeyIsNoSend() {
        TMySheet* page = open(QStringLiteral("x"), QStringLiteral("1"), QStringLiteral("a"));
        ctrlKey(page->messageEdit(), QEvent::KeyPress, true);
        QTest::keyClick(page->messageEdit(), Qt::Key_S, Qt::ControlModifier);
        ctrlKey(page->messageEdit(), QEvent::KeyRelease, true);
        QCOMPARE(m_form->sendsInFlight(), 0);
        QCOMPARE(m_form->statusText(), QString());
    }

    void delayMenu() {
        const QList<QAction*> items = m_form->delayMenu()->actions();
        QStringList captions;
        QList<int> minutes;
        for (QAction* item : items) {
            captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
            if (item->data().isValid())
                minutes << item->data().toInt();
        }
        QCOMPARE(captions, QStringList({"Доставить немедленно", "-", "...через 5 мин",
                                        "...через 10 мин", "...через 15 мин", "...через 30 мин",
                                        "...через 45 мин", "...через час", "-",
                                        "В указанное время..."}));
        QCOMPARE(minutes, QList<int>({0, 5, 10, 15, 30, 45, 60}));
        QCOMPARE(m_form->delayMenu()->defaultAction(), items[0]);
        QVERIFY(items[0]->font().bold());

        TMySheet* page = open(QStringLiteral("x"), QStringLiteral("1"), QStringLiteral("a"));
        m_form->sendActiveWithDelay(items[6]); // "...через 45 мин"
        QCOMPARE(page->DelayMinutes, 45);
        waitForSends();
        page->StartSend();
        QCOMPARE(page->DelayMinutes, 0);
    }

    void templatesMenu_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("no file") << QByteArray() << QStringList{"Редактировать список..."};
        QTest::newRow("templates and a separator line")
            << QByteArray("Привет\r\n-\r\nРаз||Два\r\nA & B\r\n")
            << QStringList{"Привет", "-", "Раз||Два", "A && B", "-", "Редактировать список..."};
        QTest::newRow("lf and an empty line")
            << QByteArray("a\n\nb") << QStringList{"a", "", "b", "-", "Редактировать список..."};
    }
    void templatesMenu() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, items);
        if (!file.isNull())
            writeAll(TemplatesFile::defaultPath(), Ansi::fromUnicode(QString::fromUtf8(file)));
        TMySheet* page = open(QStringLiteral("x"), QStringLiteral("1"));
        page->rebuildTemplatesMenu();
        QStringList shown;
        for (QAction* item : page->templatesMenu()->actions())
            shown << (item->isSeparator() ? QStringLiteral("-") : item->text());
        QCOMPARE(shown, items);
        // Built afresh each time.
        page->rebuildTemplatesMenu();
        QCOMPARE(page->templatesMenu()->actions().size(), items.size());
    }

    void templateGoesToTheCaret() {
        writeAll(TemplatesFile::defaultPath(), Ansi::fromUnicode(QStringLiteral("Раз||Два\r\n")));
        TMySheet* page = open(QStringLiteral("x"), QStringLiteral("1"), QStringLiteral("[xx]"));
        QTextCursor cursor = page->messageEdit()->textCursor();
        cursor.setPosition(1);
        cursor.setPosition(3, QTextCursor::KeepAnchor);
        page->messageEdit()->setTextCursor(cursor);
        page->rebuildTemplatesMenu();
        page->templatesMenu()->actions().first()->trigger();
        QCOMPARE(page->messageEdit()->text(), QStringLiteral("[Раз\r\nДва]"));
        QVERIFY(page->countLabel()->text().startsWith(QStringLiteral("10 / 70")));
    }

    void editorStartsEmptyAndSavesOnClose() {
        const QString path = TemplatesFile::defaultPath();
        {
            TEditTemplateListForm editor(nullptr, path);
            QCOMPARE(editor.windowTitle(), QStringLiteral("Заготовленные сообщения"));
            QCOMPARE(editor.templates().size(), 0);
            QVERIFY(!editor.canChange());
            QVERIFY(!editor.canDelete());
            editor.show();
            editor.findChild<QToolButton*>(QStringLiteral("closeButton"))->click();
            QVERIFY(!editor.isVisible());
        }
        QVERIFY(QFile::exists(path));
        QCOMPARE(readAll(path), QByteArray());
    }

    void editorAddChangeDelete() {
        const QString path = TemplatesFile::defaultPath();
        writeAll(path, Ansi::fromUnicode(QStringLiteral("Первый\r\nВторой\r\n")));
        TEditTemplateListForm editor(nullptr, path);
        QCOMPARE(editor.templates(), QStringList({"Первый", "Второй"}));

        Prompts::queueAnswer(QStringLiteral("Третий"));
        editor.addTemplate();
        Prompts::queueAnswer(QVariant()); // cancelled
        editor.addTemplate();
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].kind, QStringLiteral("input"));
        QCOMPARE(asked[0].caption, QStringLiteral("Заготовки сообщений"));
        QCOMPARE(asked[0].text, QStringLiteral("Введите текст нового шаблона"));
        QCOMPARE(editor.templates(), QStringList({"Первый", "Второй", "Третий"}));

        // Changing needs a selection; an empty or cancelled answer keeps the template.
        editor.changeTemplate();
        QCOMPARE(Prompts::takeAsked().size(), 0);
        editor.selectTemplate(1);
        QVERIFY(editor.canChange());
        QVERIFY(editor.canDelete());
        Prompts::queueAnswer(QString());
        editor.changeTemplate();
        Prompts::queueAnswer(QVariant());
        editor.changeTemplate();
        QCOMPARE(editor.templates()[1], QStringLiteral("Второй"));
        Prompts::queueAnswer(QString(300, QLatin1Char('x')));
        editor.changeTemplate();
        QCOMPARE(editor.templates()[1], QString(255, QLatin1Char('x')));
        Prompts::takeAsked();

        // Deleting asks, naming the template; No keeps it.
        editor.selectTemplate(0);
        Prompts::queueAnswer(int(QMessageBox::No));
        editor.deleteTemplate();
        const QList<Prompts::Asked> confirm = Prompts::takeAsked();
        QCOMPARE(confirm.size(), 1);
        QCOMPARE(confirm[0].text, QStringLiteral("Вы действительно хотите удалить шаблон\n"
                                                 "\"Первый\" ?"));
        QCOMPARE(confirm[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(confirm[0].icon, QMessageBox::Warning);
        QCOMPARE(editor.templates().size(), 3);
        Prompts::queueAnswer(int(QMessageBox::Yes));
        editor.deleteTemplate();
        QCOMPARE(editor.templates(), QStringList({QString(255, QLatin1Char('x')), "Третий"}));

        editor.show();
        QTest::keyClick(editor.findChild<QListWidget*>(QStringLiteral("templateList")),
                        Qt::Key_Escape);
        QCOMPARE(readAll(path), QByteArray(255, 'x') + "\r\n" + Ansi::fromUnicode("Третий\r\n"));
    }

    // The input box takes at most 255 characters; a longer template, from a file written
    // elsewhere, is kept as it is unless the user changes it.
    void editorLongTemplate_data() {
        QTest::addColumn<bool>("change");
        QTest::addColumn<QVariant>("answer");
        QTest::addColumn<QString>("kept");
        const QString template300(300, QLatin1Char('t'));
        QTest::newRow("change, cancelled") << true << QVariant() << template300;
        QTest::newRow("change, OK as shown") << true << QVariant(template300) << template300;
        QTest::newRow("change, shortened")
            << true << QVariant(QString(200, QLatin1Char('s'))) << QString(200, QLatin1Char('s'));
        QTest::newRow("change, typed past the end")
            << true << QVariant(template300 + QStringLiteral("more")) << template300;
        QTest::newRow("add, typed past the limit")
            << false << QVariant(QString(300, QLatin1Char('a'))) << QString(255, QLatin1Char('a'));
    }
    void editorLongTemplate() {
        QFETCH(bool, change);
        QFETCH(QVariant, answer);
        QFETCH(QString, kept);
        const QString path = TemplatesFile::defaultPath();
        const QString long300(300, QLatin1Char('t'));
        writeAll(path, Ansi::fromUnicode(long300 + QStringLiteral("\r\nКороткий\r\n")));
        {
            TEditTemplateListForm editor(nullptr, path);
            Prompts::takeAsked();
            Prompts::queueAnswer(answer);
            if (change) {
                editor.selectTemplate(0);
                editor.changeTemplate();
            } else {
                editor.addTemplate();
            }
            const QList<Prompts::Asked> asked = Prompts::takeAsked();
            QCOMPARE(asked.size(), 1);
            QCOMPARE(asked[0].maxLength, 255);
            QCOMPARE(asked[0].initial, change ? long300 : QString());
            const QStringList expected =
                change ? QStringList{kept, QStringLiteral("Короткий")}
                       : QStringList{long300, QStringLiteral("Короткий"), kept};
            QCOMPARE(editor.templates(), expected);
            editor.show();
            editor.close();
        }
        const QStringList saved = TemplatesFile(path).read();
        QCOMPARE(saved.size(), change ? 2 : 3);
        QCOMPARE(saved[change ? 0 : 2], kept);
        QCOMPARE(saved[change ? 1 : 0], change ? QStringLiteral("Короткий") : long300);
    }

    void editorReportsAFailedSave() {
        // The data folder's place is taken by a file: nothing can be written there.
        const QString blocked = m_profile.root() + QStringLiteral("/blocked");
        writeAll(blocked, "x");
        const QString path = blocked + QStringLiteral("/Templates.dat");
        TEditTemplateListForm editor(nullptr, path);
        Prompts::takeAsked();
        Prompts::queueAnswer(int(QMessageBox::Retry));
        Prompts::queueAnswer(int(QMessageBox::Cancel));
        editor.show();
        editor.close();
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 2);
        QVERIFY(asked[0].text.startsWith(QStringLiteral("Список заготовок не сохранён")));
        QCOMPARE(asked[0].caption, QStringLiteral("Ошибка"));
    }

    void closingPages_data() {
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("active");
        QTest::addColumn<QString>("nowActive");
        QTest::newRow("the last of three") << 3 << 2 << QStringLiteral("p1");
        QTest::newRow("the first of three") << 3 << 0 << QStringLiteral("p1");
        QTest::newRow("the middle one") << 3 << 1 << QStringLiteral("p2");
        QTest::newRow("the only one") << 1 << 0 << QString();
    }
    void closingPages() {
        QFETCH(int, pages);
        QFETCH(int, active);
        QFETCH(QString, nowActive);
        for (int i = 0; i < pages; ++i)
            open(QStringLiteral("p%1").arg(i), QStringLiteral("n%1").arg(i));
        for (int i = 0; i < pages; ++i)
            m_form->page(i)->RecipientName = QStringLiteral("p%1").arg(i);
        m_form->pages()->setCurrentIndex(active);
        m_form->activePage()->closeButton()->click();
        QCOMPARE(m_form->pageCount(), pages - 1);
        if (nowActive.isEmpty()) {
            QVERIFY(!m_form->isVisible());
            QVERIFY(m_form->IsHidden);
            return;
        }
        QCOMPARE(m_form->activePage()->RecipientName, nowActive);
        QVERIFY(m_form->isVisible());
    }

    void tabDoubleRelease_data() {
        QTest::addColumn<qint64>("gapMs");
        QTest::addColumn<QPoint>("second");
        QTest::addColumn<bool>("closes");
        QTest::newRow("same place, quickly") << qint64(300) << QPoint(10, 5) << true;
        QTest::newRow("same place, at 500 ms") << qint64(500) << QPoint(10, 5) << true;
        QTest::newRow("same place, too late") << qint64(501) << QPoint(10, 5) << false;
        QTest::newRow("another place") << qint64(100) << QPoint(11, 5) << false;
    }
    void tabDoubleRelease() {
        QFETCH(qint64, gapMs);
        QFETCH(QPoint, second);
        QFETCH(bool, closes);
        open(QStringLiteral("a"), QStringLiteral("1"));
        open(QStringLiteral("b"), QStringLiteral("2"));
        m_now = 10000;
        m_form->PagesMouseUp(Qt::LeftButton, {}, 10, 5);
        m_now += gapMs;
        m_form->PagesMouseUp(Qt::RightButton, {}, second.x(), second.y());
        QCOMPARE(m_form->pageCount(), closes ? 1 : 2);
    }

    void thirdReleaseIsNoSecondDoubleClick() {
        for (const char* name : {"a", "b", "c"})
            open(QString::fromLatin1(name), QString::fromLatin1(name));
        m_now = 10000;
        for (int i = 0; i < 3; ++i) {
            m_form->PagesMouseUp(Qt::LeftButton, {}, 10, 5);
            m_now += 100;
        }
        QCOMPARE(m_form->pageCount(), 2);
    }

    void releasesOnTheTabsReachTheHandler() {
        open(QStringLiteral("a"), QStringLiteral("1"));
        open(QStringLiteral("b"), QStringLiteral("2"));
        const QPoint onTab = m_form->pages()->tabRect(1).center();
        QWidget* rows = m_form->pages()->tabRows();
        m_now = 10000;
        QTest::mouseClick(rows, Qt::LeftButton, {}, rows->mapFrom(m_form->pages(), onTab));
        QCOMPARE(m_form->pages()->currentIndex(), 1);
        QTest::mouseClick(rows, Qt::LeftButton, {}, rows->mapFrom(m_form->pages(), onTab));
        QCOMPARE(m_form->pageCount(), 1);
        QCOMPARE(m_form->activePage()->RecipientName, QStringLiteral("Неизвестный"));
    }

    void heightFollowsTheTabRows() {
        open(QStringLiteral("a"), QStringLiteral("1"));
        const int oneRow = m_form->height();
        QCOMPARE(m_form->pages()->rowCount(), 1);
        QCOMPARE(oneRow, 50 + m_form->pages()->pageTop() + TMySheet::kContentHeight +
                             m_form->statusBar()->sizeHint().height() + 4);
        for (int i = 0; i < 12; ++i)
            open(QStringLiteral("p%1").arg(i), QStringLiteral("+7916000%1").arg(i));
        QVERIFY(m_form->pages()->rowCount() > 1);
        QCOMPARE(m_form->height(),
                 oneRow + (m_form->pages()->rowCount() - 1) *
                              (m_form->pages()->pageTop() / m_form->pages()->rowCount()));
        QCOMPARE(m_form->activePage()->height(), TMySheet::kContentHeight);
    }

    void escapeHidesAndPagesSurvive() {
        TMySheet* page = open(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("текст"));
        QTest::keyClick(page->messageEdit(), Qt::Key_Escape);
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_form->IsHidden);
        QCOMPARE(m_form->pageCount(), 1);
        QCOMPARE(page->messageEdit()->text(), QStringLiteral("текст"));
    }

    // Last: the skin stays loaded for the rest of the run.
    void skinnedWindowWithTwoPages() {
        Registry registry;
        Settings(registry).runFirstStart({});
        QVERIFY(SkinUnit::active().loadActiveSkin(m_profile.store()));
        m_form = std::make_unique<TSendForm>(std::make_shared<ServiceClient>(
            std::make_shared<Registry>(QStringLiteral(":memory:"))));
        m_form->setContactBook(&m_book);
        open(QStringLiteral("Вера"), QStringLiteral("+79160000001"), {}, {}, node(1, 0),
             QStringLiteral("Office"));
        TMySheet* page = open(QStringLiteral("Друзья"), QStringLiteral("+79160000001|+79160000002"),
                              QStringLiteral("Встречаемся в субботу в 12:00 у входа в парк."),
                              QStringLiteral("Аня"), node(0));
        page->translitBox()->click();
        m_form->statusBar()->showMessage(
            QStringLiteral("Сообщение с идентификатором 1024 отправлено"));
        QVERIFY(!m_form->findChild<QLabel*>(QStringLiteral("banner"))->pixmap().isNull());
        QVERIFY(!m_form->findChild<QLabel*>(QStringLiteral("picture"))->pixmap().isNull());
        QCOMPARE(m_form->palette().color(QPalette::Window), SkinUnit::active().Main());
        const QImage shot = m_form->grab().toImage();
        QCOMPARE(shot.height(), m_form->height());
        QVERIFY(Screenshots::save(shot, QStringLiteral("sendform")));
    }
};

QTEST_MAIN(ComposePageTest)
#include "ComposePageTest.moc"
