#include "BookLayout.h"
#include "Screenshots.h"
#include "TestProfile.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "contacts/ui/AddContactUnit.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "shared/Settings.h"
#include "skins/ui/SkinUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

const QString kNotInternational =
    QStringLiteral("Введенный номер не соответствует международному стандарту!\r\n"
                   "Возможно, отправка на этот номер будет невозможна! Прочтите подсказку.\r\n"
                   "Продолжить?");

// A book saved to the real settings store by the editor's save hook.
struct EditorUnderTest {
    Registry registry;
    ContactStore store{registry};
    ContactBook book;
    int saves = 0;
    QPointer<TAddContactForm> form;

    explicit EditorUnderTest(const QString& layout) {
        registry.deleteKeyTree(ContactStore::kBookKey);
        book.setGroups(BookLayout::parse(layout));
        store.SaveContacts(book);
    }
    void open(const QString& selectedGroup = {}, int selectedContact = -1, bool edit = false) {
        QModelIndex selected;
        if (!selectedGroup.isEmpty()) {
            selected = book.findGroup(selectedGroup);
            if (selectedContact >= 0)
                selected = book.index(selectedContact, 0, selected);
        }
        form = new TAddContactForm(book, selected, [this](const BookEdit&) {
            ++saves;
            store.SaveContacts(book);
        });
        if (edit)
            form->prepareEdit();
    }
    void type(const QString& group, const QString& name, const QString& number,
              const QString& sign = {}, bool translit = false) {
        form->setFields({group, name, number, sign, translit});
    }
    // What the settings store holds now.
    QString stored() const { return BookLayout::of(ContactStore::readBook(registry)); }
    bool closed() const { return !form || form->result() == QDialog::Accepted; }
};

// A control of the editor, by the object name it is given.
template <class T = QWidget> T* control(const TAddContactForm* form, const char* name) {
    return form->findChild<T*>(QLatin1String(name));
}

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

} // namespace

class AddContactTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

private slots:
    void initTestCase() {
        Prompts::enableTestMode();
        Registry registry;
        Settings(registry).runFirstStart({});
        QVERIFY(SkinUnit::active().loadActiveSkin(m_profile.store()));
    }
    void init() { Prompts::takeAsked(); }

    void addModeShowsEveryLabel() {
        EditorUnderTest editor(QStringLiteral("Работа+[Иван] Семья[]"));
        editor.open(QStringLiteral("Работа"), 0);
        TAddContactForm* form = editor.form;
        QCOMPARE(form->windowTitle(), QStringLiteral("Varnelo"));
        QVERIFY(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!form->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(form->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(form->title(), QStringLiteral("Создать контакт"));
        QCOMPARE(control<QLabel>(form, "subtitle")->text(),
                 QStringLiteral("Заполните необходимые поля для создания контакта"));
        QCOMPARE(
            control<QLabel>(form, "instructions")->text().split('\n'),
            QStringList({"Введите имя абонента, его номер телефона и подпись.", "ВНИМАНИЕ!",
                         "1. Номер телефона указывайте в международном стандарте",
                         "(Например +79161234567)", "2. Подпись будет автоматически добавляться ",
                         "к Вашему сообщению."}));
        QCOMPARE(control<QLabel>(form, "groupLabel")->text(), QStringLiteral("Группа:"));
        QCOMPARE(control<QLabel>(form, "nameLabel")->text(), QStringLiteral("Имя абонента:"));
        QCOMPARE(control<QLabel>(form, "numberLabel")->text(), QStringLiteral("Номер телефона:"));
        QCOMPARE(control<QLabel>(form, "signLabel")->text(), QStringLiteral("Подпись:"));
        QCOMPARE(control<QCheckBox>(form, "translitCheck")->text(),
                 QStringLiteral("Отправлять в транслите"));
        QCOMPARE(control<QPushButton>(form, "okButton")->text(), QStringLiteral("ОК"));
        QCOMPARE(control<QPushButton>(form, "cancelButton")->text(), QStringLiteral("Отмена"));
        QVERIFY(control<QComboBox>(form, "groupCombo")->isEditable());
        QCOMPARE(itemsOf(control<QComboBox>(form, "groupCombo")), QStringList({"Работа", "Семья"}));
        QCOMPARE(control<QComboBox>(form, "groupCombo")->currentText(), QStringLiteral("Работа"));
        // Skin: header pictures, the editor's own picture, colours and button images.
        QVERIFY(!control<QLabel>(form, "banner")->pixmap().isNull());
        QVERIFY(!control<QLabel>(form, "picture")->pixmap().isNull());
        QCOMPARE(control<QLabel>(form, "hintIcon")->pixmap().size(), QSize(21, 32));
        QVERIFY(!control<QPushButton>(form, "okButton")->icon().isNull());
        QVERIFY(!control<QPushButton>(form, "cancelButton")->icon().isNull());
        QCOMPARE(control<QLabel>(form, "title")->palette().color(QPalette::WindowText),
                 SkinUnit::active().CaptionText());
        QCOMPARE(control<QLabel>(form, "instructions")->palette().color(QPalette::WindowText),
                 SkinUnit::active().InfoText());
        QCOMPARE(form->palette().color(QPalette::Window), SkinUnit::active().Main());
        // Tab order.
        QWidget* expected[] = {
            control<QComboBox>(form, "groupCombo")->lineEdit(),
            control<QLineEdit>(form, "nameEdit"), control<QLineEdit>(form, "numberEdit"),
            control<QLineEdit>(form, "signEdit"), control<QCheckBox>(form, "translitCheck")};
        for (int i = 0; i + 1 < 5; ++i) {
            QWidget* next = expected[i]->nextInFocusChain();
            while (next->focusProxy() || !(next->focusPolicy() & Qt::TabFocus))
                next = next->nextInFocusChain();
            QCOMPARE(next, expected[i + 1]);
        }
        QVERIFY(Screenshots::save(form, QStringLiteral("editor-add")));
        delete form;
    }

    void preselectedGroup_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("contact");
        QTest::addColumn<QString>("text");
        QTest::newRow("contact of G") << "G" << 1 << "G";
        QTest::newRow("group H") << "H" << -1 << "H";
        QTest::newRow("nothing selected") << "" << -1 << "";
    }
    void preselectedGroup() {
        QFETCH(QString, group);
        QFETCH(int, contact);
        QFETCH(QString, text);
        EditorUnderTest editor(QStringLiteral("F[f] G[a,b] H[]"));
        editor.open(group, contact);
        QCOMPARE(control<QComboBox>(editor.form, "groupCombo")->currentText(), text);
        delete editor.form;
    }

    void addChecks_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QVariantList>("answers");
        QTest::addColumn<QStringList>("asked"); // caption|text of each box
        QTest::addColumn<bool>("added");

        const QString noGroup = QStringLiteral("Ошибка|Не указана группа!");
        const QString noName = QStringLiteral("Ошибка|Не указано имя!");
        const QString warning = QStringLiteral("Warning|") + kNotInternational;
        QTest::newRow("no group") << ""
                                  << "Иван"
                                  << "+7916" << QVariantList{} << QStringList{noGroup} << false;
        QTest::newRow("group of blanks")
            << "   "
            << "Иван"
            << "+7916" << QVariantList{} << QStringList{noGroup} << false;
        QTest::newRow("group checked before name")
            << " "
            << ""
            << "7916" << QVariantList{} << QStringList{noGroup} << false;
        QTest::newRow("name of three blanks")
            << "Работа"
            << "   "
            << "+7916" << QVariantList{} << QStringList{noName} << false;
        QTest::newRow("number without +, No")
            << "Работа"
            << "Иван"
            << "79161234567" << QVariantList{int(QMessageBox::No)} << QStringList{warning} << false;
        QTest::newRow("number without +, Yes")
            << "Работа"
            << "Иван"
            << "79161234567" << QVariantList{int(QMessageBox::Yes)} << QStringList{warning} << true;
        QTest::newRow("empty number asks too")
            << "Работа"
            << "Иван"
            << "" << QVariantList{int(QMessageBox::Yes)} << QStringList{warning} << true;
        QTest::newRow("international number asks nothing")
            << "Работа"
            << "Иван"
            << "+79161234567" << QVariantList{} << QStringList{} << true;
    }
    void addChecks() {
        QFETCH(QString, group);
        QFETCH(QString, name);
        QFETCH(QString, number);
        QFETCH(QVariantList, answers);
        QFETCH(QStringList, asked);
        QFETCH(bool, added);
        EditorUnderTest editor(QStringLiteral("Работа[Петр]"));
        editor.open();
        editor.type(group, name, number, QStringLiteral("подпись"));
        for (const QVariant& answer : answers)
            Prompts::queueAnswer(answer);
        editor.form->confirm();
        QStringList boxes;
        for (const Prompts::Asked& box : Prompts::takeAsked()) {
            boxes << box.caption + QLatin1Char('|') + box.text;
            QCOMPARE(box.buttons, box.caption == QLatin1String("Warning")
                                      ? QMessageBox::Yes | QMessageBox::No
                                      : QMessageBox::StandardButtons(QMessageBox::Ok));
        }
        QCOMPARE(boxes, asked);
        QCOMPARE(editor.closed(), added);
        QCOMPARE(editor.saves, added ? 1 : 0);
        if (added) {
            QCOMPARE(editor.stored(), "Работа[Петр," + name + "]");
            const BookEntry contact = editor.book.group(0).contacts.last();
            QCOMPARE(contact.Number, number); // stored unchanged
            QCOMPARE(contact.Name, name);
            QCOMPARE(contact.Sign, QStringLiteral("подпись"));
            QVERIFY(contact.Sender.isEmpty());
        } else {
            // The dialog stays with the user's input in place.
            QCOMPARE(editor.stored(), QStringLiteral("Работа[Петр]"));
            QCOMPARE(control<QLineEdit>(editor.form, "nameEdit")->text(), name);
            QCOMPARE(control<QLineEdit>(editor.form, "numberEdit")->text(), number);
            delete editor.form;
        }
    }

    void groupLookUp_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("after");
        QTest::newRow("new group at the end") << "A[a] B[b]"
                                              << "Новая"
                                              << "x"
                                              << "A[a] B[b] Новая[x]";
        QTest::newRow("existing group, last contact") << "A[a] B[b]"
                                                      << "A"
                                                      << "x"
                                                      << "A[a,x] B[b]";
        QTest::newRow("two groups share the caption: the later one") << "A[a] B[b] A[c]"
                                                                     << "A"
                                                                     << "x"
                                                                     << "A[a] B[b] A[c,x]";
        QTest::newRow("letter case differs: a second group") << "Работа[a]"
                                                             << "работа"
                                                             << "x"
                                                             << "Работа[a] работа[x]";
        QTest::newRow("blanks count in the look-up") << "A[a]"
                                                     << "A "
                                                     << "x"
                                                     << "A[a] A [x]";
        QTest::newRow("blanks around the name are kept") << "A[a]"
                                                         << "A"
                                                         << " Иван "
                                                         << "A[a, Иван ]";
    }
    void groupLookUp() {
        QFETCH(QString, layout);
        QFETCH(QString, group);
        QFETCH(QString, name);
        QFETCH(QString, after);
        EditorUnderTest editor(layout);
        editor.open();
        editor.type(group, name, QStringLiteral("+7001"), {}, true);
        editor.form->confirm();
        QVERIFY(Prompts::takeAsked().isEmpty());
        QVERIFY(editor.closed());
        QCOMPARE(BookLayout::of(editor.book), after);
        QCOMPARE(editor.saves, 1);
        // Names are unique keys only by caption: the store keeps duplicates apart.
        const QList<BookGroup> stored = ContactStore::readBook(editor.registry);
        QCOMPARE(stored.size(), editor.book.groupCount());
        for (int row = 0; row < stored.size(); ++row) {
            QCOMPARE(stored[row].entry.caption, editor.book.group(row).entry.caption);
            QCOMPARE(stored[row].contacts.size(), editor.book.group(row).contacts.size());
        }
        const QModelIndex target = editor.book.findGroup(group);
        const BookEntry added = editor.book.group(target.row()).contacts.last();
        QCOMPARE(added.caption, name);
        QVERIFY(added.Translit);
        QCOMPARE(stored[target.row()].contacts.last().caption, name);
        QVERIFY(stored[target.row()].contacts.last().Translit);
        if (!layout.contains(group + "["))
            QCOMPARE(editor.book.entry(target).Name, group);
    }

    void editingAContactResetsItsSender() {
        EditorUnderTest editor(QStringLiteral("G+[a,b] H[c]"));
        const QModelIndex b = editor.book.index(1, 0, editor.book.groupIndex(0));
        BookEntry fields = editor.book.entry(b);
        fields.Sender = QStringLiteral("MyShop");
        fields.Sign = QStringLiteral("Б.");
        fields.Translit = true;
        editor.book.setEntry(b, fields);
        editor.open(QStringLiteral("G"), 1, true);
        TAddContactForm* form = editor.form;
        QCOMPARE(form->mode(), TAddContactForm::Mode::EditContact);
        QCOMPARE(form->title(), QStringLiteral("Изменить контакт"));
        QCOMPARE(control<QLabel>(form, "subtitle")->text(),
                 QStringLiteral("Измените необходимые поля"));
        QVERIFY(control<QLabel>(form, "groupLabel")->isHidden());
        QVERIFY(control<QComboBox>(form, "groupCombo")->isHidden());
        QCOMPARE(control<QLineEdit>(form, "nameEdit")->text(), QStringLiteral("b"));
        QCOMPARE(control<QLineEdit>(form, "numberEdit")->text(), QStringLiteral("+7b"));
        QCOMPARE(control<QLineEdit>(form, "signEdit")->text(), QStringLiteral("Б."));
        QVERIFY(control<QCheckBox>(form, "translitCheck")->isChecked());
        QVERIFY(Screenshots::save(form, QStringLiteral("editor-edit-contact")));

        // Editing checks nothing: a number without "+" and a blank name are taken.
        control<QLineEdit>(form, "nameEdit")->setText(QStringLiteral("  "));
        control<QLineEdit>(form, "numberEdit")->setText(QStringLiteral("8916"));
        control<QCheckBox>(form, "translitCheck")->setChecked(false);
        control<QPushButton>(form, "okButton")->click();
        QVERIFY(Prompts::takeAsked().isEmpty());
        QVERIFY(editor.closed());
        QCOMPARE(editor.saves, 1);
        const BookEntry edited = editor.book.entry(b);
        QCOMPARE(edited.caption, QStringLiteral("  "));
        QCOMPARE(edited.Name, QStringLiteral("  "));
        QCOMPARE(edited.Sender, QStringLiteral("varnelo.ru"));
        QCOMPARE(edited.Number, QStringLiteral("8916"));
        QVERIFY(!edited.Translit);
        const BookEntry stored = ContactStore::readBook(editor.registry)[0].contacts[1];
        QCOMPARE(stored.caption, QStringLiteral("  "));
        QCOMPARE(stored.Sender, QStringLiteral("varnelo.ru"));
        QCOMPARE(stored.Number, QStringLiteral("8916"));
    }

    void renamingAGroup_data() {
        QTest::addColumn<QString>("caption");
        QTest::newRow("new caption") << "Коллеги";
        QTest::newRow("empty caption is accepted") << "";
    }
    void renamingAGroup() {
        QFETCH(QString, caption);
        EditorUnderTest editor(QStringLiteral("G+[a] H[c]"));
        const QModelIndex h = editor.book.groupIndex(1);
        editor.book.setData(h, QStringLiteral("Имя группы"), ContactBook::NameRole);
        editor.open(QStringLiteral("H"), -1, true);
        TAddContactForm* form = editor.form;
        QCOMPARE(form->mode(), TAddContactForm::Mode::EditGroup);
        QCOMPARE(form->title(), QStringLiteral("Изменить группу"));
        QCOMPARE(control<QLabel>(form, "subtitle")->text(),
                 QStringLiteral("Измените необходимые поля"));
        for (QWidget* hidden : std::initializer_list<QWidget*>{
                 control<QLabel>(form, "nameLabel"), control<QLabel>(form, "numberLabel"),
                 control<QLabel>(form, "signLabel"), control<QLineEdit>(form, "nameEdit"),
                 control<QLineEdit>(form, "numberEdit"), control<QLineEdit>(form, "signEdit"),
                 control<QCheckBox>(form, "translitCheck")})
            QVERIFY(hidden->isHidden());
        QVERIFY(!control<QComboBox>(form, "groupCombo")->isHidden());
        QCOMPARE(control<QComboBox>(form, "groupCombo")->currentText(), QStringLiteral("H"));
        if (caption.isEmpty())
            QVERIFY(Screenshots::save(form, QStringLiteral("editor-edit-group")));
        control<QComboBox>(form, "groupCombo")->setEditText(caption);
        control<QPushButton>(form, "okButton")->click();
        QVERIFY(editor.closed());
        QCOMPARE(editor.book.entry(h).caption, caption);
        QCOMPARE(editor.book.entry(h).Name, QStringLiteral("Имя группы"));
        QCOMPARE(editor.book.group(1).contacts.size(), 1);
        QCOMPARE(ContactStore::readBook(editor.registry)[1].entry.caption, caption);
        QCOMPARE(ContactStore::readBook(editor.registry)[1].contacts.size(), 1);
    }

    void cancelAndEscapeChangeNothing_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Отмена") << false;
        QTest::newRow("Esc") << true;
    }
    void cancelAndEscapeChangeNothing() {
        QFETCH(bool, escape);
        EditorUnderTest editor(QStringLiteral("G[a]"));
        editor.open(QStringLiteral("G"), 0, true);
        editor.form->show();
        control<QLineEdit>(editor.form, "nameEdit")->setText(QStringLiteral("другое"));
        if (escape)
            QTest::keyClick(control<QLineEdit>(editor.form, "nameEdit"), Qt::Key_Escape);
        else
            control<QPushButton>(editor.form, "cancelButton")->click();
        QCOMPARE(editor.form->result(), int(QDialog::Rejected));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!editor.form); // freed when closed
        QCOMPARE(BookLayout::of(editor.book), QStringLiteral("G[a]"));
        QCOMPARE(editor.saves, 0);
    }

    // A name keeps the nearest letters the book can store; the signature, sent with every
    // message, shows "?" where the code page has nothing.
    void typedTextKeepsToTheCodePage_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("name") << "nameEdit" << QStringLiteral("Ёж€☺ Müßig")
                              << QStringLiteral("Ёж€? Mussig");
        QTest::newRow("signature")
            << "signEdit" << QStringLiteral("Ёж€☺ü") << QStringLiteral("Ёж€??");
    }
    void typedTextKeepsToTheCodePage() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        EditorUnderTest editor(QStringLiteral("G[a]"));
        editor.open();
        auto* edit = control<QLineEdit>(editor.form, field.toLatin1().constData());
        for (const QChar c : typed)
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(edit->text(), kept);
        QCOMPARE(edit->cursorPosition(), kept.size());
        delete editor.form;
    }
};

QTEST_MAIN(AddContactTest)
#include "AddContactTest.moc"
