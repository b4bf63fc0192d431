#include "Screenshots.h"
#include "TestProfile.h"
#include "messaging/ui/FieldPreviewDialog.h"
#include "messaging/ui/PlanLineModel.h"
#include "messaging/ui/SendReportDialog.h"
#include "platform/ui/Prompts.h"
#include "skins/ui/SkinUnit.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

const QString kCancel = QStringLiteral("Отмена");

QMessageBox::StandardButton choose(const QString& label) {
    return Prompts::choose(
        nullptr, QStringLiteral("Отправить 50 сообщений?"), {}, QMessageBox::Question,
        {{QMessageBox::Ok, label}, {QMessageBox::Cancel, kCancel}}, QMessageBox::Cancel);
}

PlanLine planLine(int index, bool emptied, bool tooLong) {
    PlanLine line;
    line.recipient = {QStringLiteral("+7916%1").arg(index, 7, 10, QLatin1Char('0')),
                      QStringLiteral("Контакт %1").arg(index),
                      {}};
    line.text = QStringLiteral("Здравствуйте!\nВстреча в 10:00");
    line.length = 29;
    line.parts = tooLong ? 11 : 1;
    line.price = 1.5;
    line.emptied = emptied;
    line.tooLong = tooLong;
    return line;
}

} // namespace

// The send report, the preview of a message with fields, and the boxes with our own button
// labels that ask before a send.
class SendDialogsTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

private slots:
    void initTestCase() { QVERIFY(SkinUnit::active().loadActiveSkin(m_profile.store())); }

    // A real box first, before test mode takes the boxes away: our labels, Cancel the default,
    // Escape answers Cancel. Then the seam records the labels.
    void chooseLabels_data() {
        QTest::addColumn<QString>("label");
        QTest::newRow("send") << QStringLiteral("Отправить");
        QTest::newRow("top up") << QStringLiteral("Пополнить баланс");
    }
    void chooseLabels() {
        QFETCH(QString, label);
        QStringList shown;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            poll.stop();
            Screenshots::save(box, QStringLiteral("choose-") + QTest::currentDataTag());
            shown << box->button(QMessageBox::Ok)->text() << box->defaultButton()->text();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        poll.start(10);
        QCOMPARE(choose(label), QMessageBox::Cancel);
        QCOMPARE(shown, (QStringList{label, kCancel}));
    }
    void chooseLabelsRecorded_data() { chooseLabels_data(); }
    void chooseLabelsRecorded() {
        QFETCH(QString, label);
        Prompts::enableTestMode();
        QCOMPARE(choose(label), QMessageBox::Cancel);
        QCOMPARE(Prompts::takeAsked().value(0).labels, (QStringList{label, kCancel}));
    }

    // Rows for the refused, the open and the unsent numbers. Tab goes from the table to the
    // retry when there is one to make; it goes to the refused and the unsent numbers and
    // closes the report. Enter and Escape close it and retry nothing.
    void reportRetry_data() {
        QTest::addColumn<int>("refused");
        QTest::addColumn<int>("unknown");
        QTest::addColumn<QStringList>("notSent");
        QTest::addColumn<int>("key");
        QTest::addColumn<QStringList>("retried");
        const QStringList unsent{"+79160000009"};
        QTest::newRow("all three, retried")
            << 2 << 1 << unsent << int(Qt::Key_Space)
            << QStringList{"+79160000000", "+79160000001", unsent[0]};
        QTest::newRow("unsent, Enter") << 0 << 0 << unsent << int(Qt::Key_Return) << QStringList{};
        QTest::newRow("open only")
            << 0 << 1 << QStringList{} << int(Qt::Key_Escape) << QStringList{};
        QTest::newRow("all accepted")
            << 0 << 0 << QStringList{} << int(Qt::Key_Return) << QStringList{};
    }
    void reportRetry() {
        QFETCH(int, refused);
        QFETCH(int, unknown);
        QFETCH(QStringList, notSent);
        QFETCH(int, key);
        QFETCH(QStringList, retried);
        const int rows = refused + unknown + int(notSent.size());
        BatchReport report;
        report.recipients = 50;
        report.accepted = 50 - rows;
        for (int i = 0; i < refused + unknown; ++i)
            (i < refused ? report.refused : report.unknown) << BatchReport::Line{
                QStringLiteral("+7916000000%1").arg(i), QStringLiteral("Контакт %1").arg(i),
                QStringLiteral("Причина %1").arg(i)};
        for (const QString& number : notSent)
            report.unsent << BatchReport::Line{number, {}, {}};
        QPointer dialog = new SendReportDialog(report);
        QSignalSpy retry(dialog.data(), &SendReportDialog::retryRequested);
        QVERIFY(Screenshots::save(dialog, QStringLiteral("report-") + QTest::currentDataTag()));
        dialog->show();
        QCOMPARE(dialog->summaryLabel()->text(), report.summary());
        QCOMPARE(dialog->table()->rowCount(), rows);
        if (!notSent.isEmpty())
            QCOMPARE(dialog->table()->item(rows - 1, 2)->text(), SendReportDialog::kNotSentReason);
        QWidget* table = dialog->table();
        QTRY_COMPARE(QApplication::focusWidget(), rows ? table : dialog->closeButton());
        if (rows)
            QTest::keyClick(table, Qt::Key_Tab);
        QWidget* retryButton = dialog->retryButton();
        QCOMPARE(QApplication::focusWidget(),
                 refused + notSent.size() ? retryButton : dialog->closeButton());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(retry.value(0).value(0).toStringList(), retried);
    }

    // 5,000 recipients open at once: the lines above the table, the marks (row 0 too long when
    // any is, row 1 lost a field, row 2 plain), one line of text per row, the price as money.
    void previewLines_data() {
        QTest::addColumn<QStringList>("unknownFields");
        QTest::addColumn<int>("tooLongEvery");
        QTest::addColumn<QString>("unknownText");
        QTest::addColumn<QString>("tooLongText");
        QTest::newRow("clean") << QStringList{} << 0 << QString() << QString();
        QTest::newRow("one too long")
            << QStringList{"{Фамилия}"} << 5000 << QStringLiteral("Неизвестные поля: {Фамилия}")
            << QStringLiteral("1 сообщение длиннее допустимого");
        QTest::newRow("many too long") << QStringList{"{Фамилия}", "{Отчество}"} << 250
                                       << QStringLiteral("Неизвестные поля: {Фамилия}, {Отчество}")
                                       << QStringLiteral("20 сообщений длиннее допустимого");
    }
    void previewLines() {
        QFETCH(QStringList, unknownFields);
        QFETCH(int, tooLongEvery);
        QFETCH(QString, unknownText);
        QFETCH(QString, tooLongText);
        QList<PlanLine> lines;
        for (int i = 0; i < 5000; ++i)
            lines << planLine(i, i % 3 == 1, tooLongEvery && i % tooLongEvery == 0);
        FieldPreviewDialog dialog(lines, unknownFields, nullptr, QLocale(QLocale::English));
        QVERIFY(Screenshots::save(&dialog, QStringLiteral("preview-") + QTest::currentDataTag()));
        dialog.show();
        QCOMPARE(dialog.table()->model()->rowCount(), 5000);
        dialog.table()->scrollToBottom();
        QTRY_COMPARE(dialog.table()->rowAt(dialog.table()->viewport()->height() - 2), 4999);
        const auto shown = [](QLabel* line) {
            return line->isVisible() ? line->text() : QString();
        };
        QCOMPARE(shown(dialog.unknownFieldsLine()), unknownText);
        QCOMPARE(shown(dialog.tooLongLine()), tooLongText);

        const auto cell = [&](int row, int column, int role) {
            return dialog.model()->index(row, column).data(role);
        };
        const QVariant red = tooLongEvery ? PlanLineModel::tooLongTint() : QVariant();
        QCOMPARE(cell(0, PlanLineModel::PriceColumn, Qt::BackgroundRole), red);
        QCOMPARE(cell(0, 0, Qt::ToolTipRole).toString(),
                 tooLongEvery ? QStringLiteral("Длиннее допустимого") : QString());
        QCOMPARE(cell(1, PlanLineModel::TextColumn, Qt::BackgroundRole),
                 QVariant(PlanLineModel::emptiedTint()));
        QCOMPARE(cell(1, 0, Qt::ToolTipRole).toString(), QStringLiteral("Пустое поле убрано"));
        QCOMPARE(cell(2, 0, Qt::BackgroundRole), QVariant());
        QCOMPARE(cell(2, PlanLineModel::TextColumn, Qt::DisplayRole).toString(),
                 QStringLiteral("Здравствуйте! Встреча в 10:00"));
        QCOMPARE(cell(2, PlanLineModel::PriceColumn, Qt::DisplayRole).toString(),
                 QStringLiteral("$1.50"));
    }
};

QTEST_MAIN(SendDialogsTest)
#include "SendDialogsTest.moc"
