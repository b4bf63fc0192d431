#include "Screenshots.h"
#include "TestProfile.h"
#include "UrlRecorder.h"
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
        QVERIFY(SkinUnit::active().loadActiveSkin(m_profile.store()));
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
        QCOMPARE(form.fromDate()->date(), QDate::currentDate());
        QCOMPARE(form.toDate()->date(), QDate::currentDate());
        const QDate start(2025, 12, 20);
        form.fromDate()->setDate(start.addDays(from));
        form.toDate()->setDate(start.addDays(to));
        form.show();
        Prompts::queueAnswer(int(QMessageBox::Cancel));
        form.okButton()->click();
        QCOMPARE(askedLines(), QStringList{asked});
        // Cancelled or refused: the window stays open and nothing is confirmed.
        QVERIFY(form.isVisible());
        QVERIFY(!form.confirmed());
    }

    void detailOrderConfirmed() {
        TChooseTimeInterval form(0.5);
        form.show();
        Prompts::queueAnswer(int(QMessageBox::Ok));
        form.okButton()->click();
        QVERIFY(form.confirmed());
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Accepted));
    }

    void detailOrderCancelAndEscape() {
        TChooseTimeInterval form(0.5);
        form.show();
        form.cancelButton()->click();
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
            firstLine = form->costLabel()->text();
            QVERIFY(Screenshots::save(form, QStringLiteral("detailorder")));
            Prompts::queueAnswer(int(QMessageBox::Ok));
            form->okButton()->click();
        });
        orderMessageDetail(nullptr, 1.25);
        QCOMPARE(firstLine, "Стоимость составит 1,25 руб за сутки детализации");
        QCOMPARE(askedLines(), (QStringList{"Подтверждение|Количество заказанных дней: 1\n"
                                            "Стоимость составит 1,25 руб.",
                                            "Varnelo|!!"}));
    }

    void detailOrderStartsUnconfirmed() {
        TChooseTimeInterval form(0.5);
        QCOMPARE(form.costLabel()->text(), "Стоимость составит 0 руб за сутки детализации");
        QVERIFY(form.costLabel()->wordWrap());
        QCOMPARE(form.warningLabel()->text(), "ВНИМАНИЕ!");
        QCOMPARE(form.fromLabel()->text(), "Период С");
        QCOMPARE(form.toLabel()->text(), "ПО");
        QCOMPARE(form.okButton()->text(), "ОК");
        QCOMPARE(form.cancelButton()->text(), "Отмена");
        QVERIFY(!form.okButton()->icon().isNull());
        QVERIFY(!form.confirmed());
    }

    void aboutTexts() {
        QPointer<TAboutForm> form = new TAboutForm;
        QCOMPARE(form->title()->text(), "О программе");
        QCOMPARE(form->versionLabel()->text(), "Varnelo version 3.1.6");
        const QStringList lines = form->aboutLabel()->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines.mid(0, 4), (QStringList{"Программа Varnelo предназначена для отправки СМС",
                                               "с подменой номера.", " ", "Разработчики:"}));
        for (const QString& developer : lines.mid(4, 3)) {
            QVERIFY(developer.startsWith("     "));
            QVERIFY(developer.size() > 8 && developer[5] != QLatin1Char(' '));
        }
        QCOMPARE(lines.mid(7), (QStringList{" ", "Со всеми вопросами, пожеланиями, предложениями, ",
                                            "а также выявленными \"глюками\" ждем писем."}));
        QCOMPARE(form->supportLabel()->text(), "Служба поддержки: " + TAboutForm::supportEmail());
        QCOMPARE(form->siteLabel()->text(), "Официальный сайт: " + TAboutForm::webSite());
        QCOMPARE(form->supportLabel()->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(form->aboutLabel()->palette().color(QPalette::WindowText),
                 SkinUnit::active().InfoText());
        QCOMPARE(form->title()->palette().color(QPalette::WindowText),
                 SkinUnit::active().CaptionText());
        QCOMPARE(form->palette().color(QPalette::Window), SkinUnit::active().Main());
        QVERIFY(!form->banner()->pixmap().isNull());
        QVERIFY(!form->picture()->pixmap().isNull());
        QVERIFY(!form->closeButton()->icon().isNull());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QVERIFY(Screenshots::save(form, QStringLiteral("about")));
        form->closeButton()->click();
        // Freed when it closes.
        QTRY_VERIFY(form.isNull());
    }

    void aboutLinksOpenMailAndSite() {
        TAboutForm* form = new TAboutForm;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QTest::mouseClick(form->supportLabel(), Qt::LeftButton);
        QTest::mouseClick(form->siteLabel(), Qt::LeftButton);
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
        QCOMPARE(form->textView()->toPlainText(), lines.join(QLatin1Char('\n')));
        QCOMPARE(form->textView()->document()->blockCount(), 40);
        QVERIFY(form->textView()->isReadOnly());
        QVERIFY(form->textView()->verticalScrollBar()->maximum() > 0);
        QCOMPARE(form->textView()->palette().color(QPalette::Base), SkinUnit::active().Other());
        QCOMPARE(form->title()->text(), "Информация");
        QCOMPARE(form->subtitle()->text(), "Информация, переданная от сервиса");

        form->textView()->setFocus();
        QTest::keyClicks(form->textView(), "xyz");
        QTest::keyClick(form->textView(), Qt::Key_Backspace);
        QCOMPARE(form->textView()->toPlainText(), lines.join(QLatin1Char('\n')));
        QVERIFY(Screenshots::save(form, QStringLiteral("info")));

        QTest::keyClick(form, Qt::Key_Escape);
        QTRY_VERIFY(form.isNull());
    }

    void infoShortText() {
        QPointer<TInfoForm> form =
            showInfoWindow(nullptr, QStringLiteral("Баланс пополнен.\r\nСпасибо!"));
        QCOMPARE(form->textView()->document()->blockCount(), 2);
        form->close();
        QTRY_VERIFY(form.isNull());
    }
};

QTEST_MAIN(SmallWindowsTest)
#include "SmallWindowsTest.moc"
