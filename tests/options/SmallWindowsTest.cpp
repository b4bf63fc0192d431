#include "Screenshots.h"
#include "TestProfile.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "settings/ui/AboutUnit.h"
#include "settings/ui/ChooseTimeInterval.h"
#include "settings/ui/InfoUnit.h"
#include "shared/Settings.h"
#include "skins/ui/SkinUnit.h"

#include <QApplication>
#include <QDate>
#include <QDateEdit>
#include <QDesktopServices>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace {

// Stands in for the desktop's mail program and browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

QStringList askedLines() {
    QStringList lines;
    for (const Prompts::Asked& asked : Prompts::takeAsked())
        lines << asked.caption + QLatin1Char('|') + asked.text;
    return lines;
}

} // namespace

// The detail-order, About and information windows in the default skin.
class SmallWindowsTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    UrlRecorder m_urls;

private slots:
    void initTestCase() {
        Prompts::enableTestMode();
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        Registry registry;
        Settings(registry).runFirstStart({});
        QVERIFY(SkinUnit::active().loadActiveSkin());
        for (const char* scheme : {"http", "mailto"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_urls, "open");
    }

    void cleanupTestCase() {
        for (const char* scheme : {"http", "mailto"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }

    void init() {
        Prompts::takeAsked();
        m_urls.urls.clear();
    }

    void detailOrderDays_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("asked");
        QTest::newRow("same day") << 0 << 0 << 0.5
                                  << "Подтверждение|Количество заказанных дней: 1\n"
                                     "Стоимость составит 0,5 руб.";
        QTest::newRow("a week") << -6 << 0 << 0.5
                                << "Подтверждение|Количество заказанных дней: 7\n"
                                   "Стоимость составит 3,5 руб.";
        QTest::newRow("across a year end") << 0 << 366 << 2.0
                                           << "Подтверждение|Количество заказанных дней: 367\n"
                                              "Стоимость составит 734 руб.";
        QTest::newRow("free detail") << 0 << 1 << 0.0
                                     << "Подтверждение|Количество заказанных дней: 2\n"
                                        "Стоимость составит 0 руб.";
        QTest::newRow("ends the day before") << 0 << -1 << 0.5 << "Ошибка|Неверно указан период!";
        QTest::newRow("ends a month before") << 0 << -31 << 0.5 << "Ошибка|Неверно указан период!";
    }
    void detailOrderDays() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(double, price);
        QFETCH(QString, asked);
        TChooseTimeInterval form(price);
        QCOMPARE(form.D1->date(), QDate::currentDate());
        QCOMPARE(form.D2->date(), QDate::currentDate());
        const QDate start(2025, 12, 20);
        form.D1->setDate(start.addDays(from));
        form.D2->setDate(start.addDays(to));
        form.show();
        Prompts::queueAnswer(int(QMessageBox::Cancel));
        form.ButOK->click();
        QCOMPARE(askedLines(), QStringList{asked});
        // Cancelled or refused: the window stays open and nothing is confirmed.
        QVERIFY(form.isVisible());
        QVERIFY(!form.confirmed());
    }

    void detailOrderConfirmed() {
        TChooseTimeInterval form(0.5);
        form.show();
        Prompts::queueAnswer(int(QMessageBox::Ok));
        form.ButOK->click();
        QVERIFY(form.confirmed());
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Accepted));
    }

    void detailOrderCancelAndEscape() {
        TChooseTimeInterval form(0.5);
        form.show();
        form.ButCancel->click();
        QVERIFY(!form.isVisible());
        form.show();
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
        QVERIFY(!form.confirmed());
        QVERIFY(Prompts::takeAsked().isEmpty());
    }

    // The settings dialog's detail order: the price per day in the first line, "!!" once
    // confirmed, nothing sent.
    void orderFromTheSettingsDialog() {
        QString firstLine;
        QTimer::singleShot(0, [&firstLine] {
            auto* form = qobject_cast<TChooseTimeInterval*>(QApplication::activeModalWidget());
            QVERIFY(form);
            firstLine = form->Label1->text();
            QVERIFY(Screenshots::save(form, QStringLiteral("detailorder")));
            Prompts::queueAnswer(int(QMessageBox::Ok));
            form->ButOK->click();
        });
        orderMessageDetail(nullptr, 1.25);
        QCOMPARE(firstLine, "Стоимость составит 1,25 руб за сутки детализации");
        QCOMPARE(askedLines(), (QStringList{"Подтверждение|Количество заказанных дней: 1\n"
                                            "Стоимость составит 1,25 руб.",
                                            "Varnelo|!!"}));
    }

    void detailOrderStartsUnconfirmed() {
        TChooseTimeInterval form(0.5);
        QCOMPARE(form.Label1->text(), "Стоимость составит 0 руб за сутки детализации");
        QVERIFY(form.Label1->wordWrap());
        QCOMPARE(form.Label2->text(), "ВНИМАНИЕ!");
        QCOMPARE(form.Label3->text(), "Период С");
        QCOMPARE(form.Label4->text(), "ПО");
        QCOMPARE(form.ButOK->text(), "ОК");
        QCOMPARE(form.ButCancel->text(), "Отмена");
        QVERIFY(!form.ButOK->icon().isNull());
        QVERIFY(!form.confirmed());
    }

    void aboutTexts() {
        QPointer<TAboutForm> form = new TAboutForm;
        QCOMPARE(form->Label6->text(), "О программе");
        QCOMPARE(form->Label2->text(), "Varnelo version 3.1.6");
        const QStringList lines = form->Label1->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines.mid(0, 4), (QStringList{"Программа Varnelo предназначена для отправки СМС",
                                               "с подменой номера.", " ", "Разработчики:"}));
        for (const QString& developer : lines.mid(4, 3)) {
            QVERIFY(developer.startsWith("     "));
            QVERIFY(developer.size() > 8 && developer[5] != QLatin1Char(' '));
        }
        QCOMPARE(lines.mid(7), (QStringList{" ", "Со всеми вопросами, пожеланиями, предложениями, ",
                                            "а также выявленными \"глюками\" ждем писем."}));
        QCOMPARE(form->Label3->text(), "Служба поддержки: " + TAboutForm::supportEmail());
        QCOMPARE(form->Label4->text(), "Официальный сайт: " + TAboutForm::webSite());
        QCOMPARE(form->Label3->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(form->Label1->palette().color(QPalette::WindowText),
                 SkinUnit::active().InfoText());
        QCOMPARE(form->Label6->palette().color(QPalette::WindowText),
                 SkinUnit::active().CaptionText());
        QCOMPARE(form->palette().color(QPalette::Window), SkinUnit::active().Main());
        QVERIFY(!form->Image1->pixmap().isNull());
        QVERIFY(!form->Image2->pixmap().isNull());
        QVERIFY(!form->SpeedButton1->icon().isNull());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QVERIFY(Screenshots::save(form, QStringLiteral("about")));
        form->SpeedButton1->click();
        // Freed when it closes.
        QTRY_VERIFY(form.isNull());
    }

    void aboutLinksOpenMailAndSite() {
        TAboutForm* form = new TAboutForm;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QTest::mouseClick(form->Label3, Qt::LeftButton);
        QTest::mouseClick(form->Label4, Qt::LeftButton);
        QCOMPARE(m_urls.urls, (QList<QUrl>{QUrl("mailto:" + TAboutForm::supportEmail()),
                                           QUrl("http://" + TAboutForm::webSite())}));
        QTest::keyClick(form, Qt::Key_Escape);
    }

    void infoShowsEveryLineReadOnly() {
        QStringList lines;
        for (int i = 1; i <= 40; ++i)
            lines << QStringLiteral("Строка %1 сообщения от сервиса").arg(i);
        QPointer<TInfoForm> form = showInfoWindow(nullptr, lines.join(QStringLiteral("\r\n")));
        QVERIFY(form->isVisible());
        QVERIFY(!form->isModal());
        QCOMPARE(form->Memo->toPlainText(), lines.join(QLatin1Char('\n')));
        QCOMPARE(form->Memo->document()->blockCount(), 40);
        QVERIFY(form->Memo->isReadOnly());
        QVERIFY(form->Memo->verticalScrollBar()->maximum() > 0);
        QCOMPARE(form->Memo->palette().color(QPalette::Base), SkinUnit::active().Other());
        QCOMPARE(form->Label6->text(), "Информация");
        QCOMPARE(form->Label7->text(), "Информация, переданная от сервиса");

        form->Memo->setFocus();
        QTest::keyClicks(form->Memo, "xyz");
        QTest::keyClick(form->Memo, Qt::Key_Backspace);
        QCOMPARE(form->Memo->toPlainText(), lines.join(QLatin1Char('\n')));
        QVERIFY(Screenshots::save(form, QStringLiteral("info")));

        QTest::keyClick(form, Qt::Key_Escape);
        QTRY_VERIFY(form.isNull());
    }

    void infoShortText() {
        QPointer<TInfoForm> form =
            showInfoWindow(nullptr, QStringLiteral("Баланс пополнен.\r\nСпасибо!"));
        QCOMPARE(form->Memo->document()->blockCount(), 2);
        form->close();
        QTRY_VERIFY(form.isNull());
    }
};

QTEST_MAIN(SmallWindowsTest)
#include "SmallWindowsTest.moc"
