#include "Screenshots.h"
#include "TestProfile.h"
#include "contacts/ContactBook.h"
#include "contacts/ui/ContactTreeView.h"
#include "history/HistoryFilter.h"
#include "messaging/Recount.h"
#include "platform/ToolkitRussian.h"
#include "settings/GeneralNumber.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

// What a message box showed before it was answered.
struct SeenBox {
    QString text;
    QString yes;
    QString no;
    QString defaultButton;
    QImage picture;
};

// Answers the next message box with No once it is up, after noting what it showed.
void answerNextBoxNo(SeenBox& seen) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll->deleteLater();
        seen.text = box->text();
        seen.yes =
            box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes)->text() : QString();
        seen.no = box->button(QMessageBox::No) ? box->button(QMessageBox::No)->text() : QString();
        seen.defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        seen.picture = box->grab().toImage();
        box->button(QMessageBox::No)->click();
    });
    poll->start(20);
}

QStringList withoutMnemonics(const QList<QAction*>& actions) {
    QStringList texts;
    for (const QAction* action : actions) {
        if (!action->isSeparator())
            texts << action->text().remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0);
    }
    return texts;
}

} // namespace

// Qt's own texts and calendars in Russian on a desktop whose locale is C.UTF-8, while the texts
// the program writes in the desktop's own formats stay in them.
class RussianTextsTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

private slots:
    void initTestCase() {
        QCOMPARE(QLocale::system().language(), QLocale::C);
        QVERIFY2(ToolkitRussian::install(*qApp), "Qt's Russian translation is not installed");
    }

    // The contact-delete question as the user sees it: the real box, not the test seam.
    void deleteQuestionAnswersInRussian() {
        ContactBook book;
        const QModelIndex group =
            book.appendGroup({QStringLiteral("Семья"), {}, {}, {}, {}, false, true});
        const QModelIndex contact = book.appendContact(group, {QStringLiteral("Мама"),
                                                               QStringLiteral("Мама"),
                                                               QStringLiteral("+79161234567"),
                                                               {},
                                                               {},
                                                               false,
                                                               false});
        ContactTreeView view;
        int saves = 0;
        view.setBook(&book);
        view.saveContacts = [&saves](const BookEdit&) { ++saves; };
        view.resize(220, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.selectEntry(contact);

        SeenBox seen;
        answerNextBoxNo(seen);
        view.ButDelContactClick();

        QCOMPARE(seen.text, QStringLiteral("Вы действительно хотите удалить абонента \"Мама\"?"));
        QCOMPARE(seen.yes.remove(QLatin1Char('&')), QStringLiteral("Да"));
        QCOMPARE(seen.no.remove(QLatin1Char('&')), QStringLiteral("Нет"));
        QCOMPARE(seen.defaultButton.remove(QLatin1Char('&')), QStringLiteral("Нет"));
        QCOMPARE(book.rowCount(group), 1);
        QCOMPARE(saves, 0);

        QVERIFY(Screenshots::save(seen.picture, QStringLiteral("delete-question")));
    }

    // The calendar of a date field: Russian month and day names, the week from Monday.
    void calendarIsRussian() {
        QDateEdit edit(QDate(2026, 12, 9));
        edit.setCalendarPopup(true);
        QCalendarWidget* calendar = edit.calendarWidget();
        QVERIFY(calendar);
        QCOMPARE(calendar->firstDayOfWeek(), Qt::Monday);
        auto* month = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
        QVERIFY(month);
        QCOMPARE(month->text(), QStringLiteral("декабрь"));
        auto* days = calendar->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
        QVERIFY(days);
        // Row 0 holds the day names, after the week numbers where they are shown.
        const int monday =
            calendar->verticalHeaderFormat() == QCalendarWidget::NoVerticalHeader ? 0 : 1;
        QCOMPARE(days->model()->index(0, monday).data().toString(), QStringLiteral("пн"));
        QCOMPARE(days->model()->index(0, monday + 6).data().toString(), QStringLiteral("вс"));
    }

    // A one-line field's context menu.
    void lineEditMenuIsRussian() {
        QLineEdit edit(QStringLiteral("текст"));
        edit.selectAll();
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        const QStringList texts = withoutMnemonics(menu->actions());
        for (const QString& expected : {QStringLiteral("Отменить действие"),
                                        QStringLiteral("Вырезать"), QStringLiteral("Копировать"),
                                        QStringLiteral("Вставить"), QStringLiteral("Выделить всё")})
            QVERIFY2(texts.contains(expected), qPrintable(texts.join(QLatin1String(", "))));
    }

    // Texts the program writes in the desktop's formats keep them (here the C locale's).
    void desktopFormatsStay_data() {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("expected");
        QTest::newRow("general number") << generalNumberText(2.5) << "2.5";
        Tariff tariff;
        tariff.SmsPrice = 1.5;
        QTest::newRow("price") << Recount(QStringLiteral("Привет"), {}, false, tariff).counterText
                               << QString(QStringLiteral("6 / 70 (") +
                                          QLocale::c().toCurrencyString(1.5) + QLatin1Char(')'));
        TMess record;
        record.setMoment(QDateTime(QDate(2026, 12, 9), QTime(14, 5, 7)));
        QTest::newRow("history moment")
            << HistoryFilter({}, {}, {}).momentText(record) << "9 Dec 2026 14:05:07";
    }
    void desktopFormatsStay() {
        QFETCH(QString, written);
        QFETCH(QString, expected);
        QCOMPARE(written, expected);
    }
};

int main(int argc, char* argv[]) {
    // A desktop whose locale says nothing of Russian.
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("LANG", "C.UTF-8");
    qunsetenv("LANGUAGE");
    QApplication app(argc, argv);
    RussianTextsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "RussianTextsTest.moc"
