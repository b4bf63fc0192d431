#include "messaging/MessageFields.h"
#include "messaging/SendConfirmation.h"
#include "messaging/SendPlan.h"

#include <QTest>

namespace {

Tariff tariff(qint32 partLength = 70, qint32 maxLength = 140) {
    Tariff result;
    result.SmsPrice = 1.5;
    result.ExtraPartPrice = 1.0;
    result.PartLength = partLength;
    result.MaxMessageLength = maxLength;
    return result;
}

const QList<PlanRecipient> kRecipients = {
    {QStringLiteral("+79160000001"), QStringLiteral("Анна"), QStringLiteral("ООО Ромашка")},
    {QStringLiteral("+79160000002"), QStringLiteral("Константин Константинопольский"), {}},
    {QStringLiteral("+79160000003"), {}, QStringLiteral("Щука")},
};

} // namespace

// Personal texts and what a send to several numbers costs, before anything goes out.
class SendPlanTest : public QObject {
    Q_OBJECT

private slots:
    void fill_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filled");
        QTest::addColumn<bool>("emptied");
        QTest::addColumn<QStringList>("unknown");
        QTest::newRow("no field") << "Привет" << "Анна" << "Привет" << false << QStringList{};
        QTest::newRow("any case") << "{имя}, {ИМЯ} и {Номер}" << "Анна"
                                  << "Анна, Анна и +7900" << false << QStringList{};
        QTest::newRow("empty value goes")
            << "Привет, {Имя}!" << "" << "Привет, !" << true << QStringList{};
        QTest::newRow("unknown stays as typed")
            << "{Фамилия} {Имя}" << "Анна" << "{Фамилия} Анна" << false
            << QStringList{"{Фамилия}"};
        QTest::newRow("braces that are no field")
            << "{ {Имя} }{}" << "Анна" << "{ Анна }{}" << false << QStringList{};
    }
    void fill() {
        QFETCH(QString, message);
        QFETCH(QString, name);
        const MessageFields::Filled filled =
            MessageFields::fill(message, {name, QStringLiteral("+7900"), QString()});
        QTEST(filled.text, "filled");
        QTEST(filled.emptied, "emptied");
        QTEST(MessageFields::unknownFields(message), "unknown");
    }

    // The quick count per keystroke must agree with filling and counting each text in full.
    void totalsMatchEachText_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("sign");
        QTest::addColumn<bool>("translit");
        QTest::addColumn<qint64>("parts");
        QTest::addColumn<double>("total");
        QTest::addColumn<QList<int>>("tooLong");
        QTest::newRow("plain text, three times the one price")
            << "Привет" << "" << false << qint64(3) << 4.5 << QList<int>{};
        QTest::newRow("fields, per contact")
            << QString("Здравствуйте, {Имя}! %1 {Подпись}").arg(QString(40, 'x')) << "" << false
            << qint64(5) << 6.5 << QList<int>{};
        QTest::newRow("fields transliterated, with a signature")
            << "{Имя}: {Подпись} щи" << "Ваш салон" << true << qint64(3) << 4.5 << QList<int>{};
        QTest::newRow("too long for one contact")
            << QString("{Имя} %1").arg(QString(110, 'y')) << "" << false << qint64(7) << 8.5
            << QList<int>{1};
    }
    void totalsMatchEachText() {
        QFETCH(QString, message);
        QFETCH(QString, sign);
        QFETCH(bool, translit);
        SendPlan plan;
        plan.setRecipients(kRecipients);
        plan.setText(message, sign, translit, tariff(), QLocale::c());
        QTEST(plan.parts(), "parts");
        QTEST(plan.total(), "total");
        QTEST(plan.tooLong(), "tooLong");
        qint64 parts = 0;
        double total = 0;
        qint32 longest = 0;
        for (const PlanLine& line : plan.lines()) {
            parts += line.parts;
            total += line.price;
            longest = qMax(longest, line.length);
        }
        QCOMPARE(parts, plan.parts());
        QCOMPARE(total, plan.total());
        QCOMPARE(plan.count().length, longest);
        // The typing limit leaves exactly the room the longest text has.
        QCOMPARE(plan.count().messageLimit - message.size(), plan.count().maxLength - longest);
    }

    void emptiedAndRecipientChanges() {
        SendPlan plan;
        plan.setText(QStringLiteral("{Имя}, {Подпись}"), {}, false, tariff(), QLocale::c());
        QCOMPARE(plan.recipientCount(), 0);
        QCOMPARE(plan.total(), 0.0);
        plan.setRecipients(kRecipients);
        QCOMPARE(plan.emptiedCount(), 2);
        QCOMPARE(plan.textFor(2).full, QStringLiteral(", Щука"));
        plan.setRecipients(kRecipients.mid(0, 1));
        QCOMPARE(plan.total(), 1.5);
        QCOMPARE(plan.emptiedCount(), 0);
    }

    void confirmation_data() {
        QTest::addColumn<int>("messages");
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("balance");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<bool>("needed");
        QTest::addColumn<QString>("question");
        QTest::addColumn<double>("missing");
        QTest::newRow("above") << 50 << 75.0 << 100.0 << 5000 << true
                               << "Отправить 50 сообщений (50 частей) на сумму $75.00? Баланс "
                                  "после отправки: $25.00."
                               << 0.0;
        QTest::newRow("at the threshold") << 21 << 50.0 << 50.0 << 5000 << false
                                          << "Отправить 21 сообщение (21 часть) на сумму $50.00? "
                                             "Баланс после отправки: $0.00."
                                          << 0.0;
        QTest::newRow("zero asks for several")
            << 2 << 3.0 << 100.0 << 0 << true
            << "Отправить 2 сообщения (2 части) на сумму $3.00? Баланс после отправки: $97.00."
            << 0.0;
        QTest::newRow("zero, one number") << 1 << 1.5 << 1.5 << 0 << false
                                          << "Отправить 1 сообщение (1 часть) на сумму $1.50? "
                                             "Баланс после отправки: $0.00."
                                          << 0.0;
        QTest::newRow("eleven to fourteen")
            << 112 << 168.0 << 200.0 << 5000 << true
            << "Отправить 112 сообщений (112 частей) на сумму $168.00? Баланс после отправки: "
               "$32.00."
            << 0.0;
        QTest::newRow("short of money") << 3 << 4.5 << 4.0 << 5000 << false << "" << 0.5;
    }
    void confirmation() {
        QFETCH(int, messages);
        QFETCH(double, total);
        QFETCH(double, balance);
        QFETCH(int, threshold);
        QFETCH(double, missing);
        const SendCost cost{messages, messages, total};
        const QLocale american(QLocale::English, QLocale::UnitedStates);
        QTEST(SendConfirmation::needed(cost, threshold), "needed");
        QFETCH(QString, question);
        if (!question.isEmpty())
            QCOMPARE(SendConfirmation::question(cost, balance, american), question);
        QCOMPARE(SendConfirmation::shortfall(cost, balance).value_or(0), missing);
        QVERIFY(!SendConfirmation::shortfall(cost, std::nullopt));
        QVERIFY(!SendConfirmation::question(cost, std::nullopt, american).contains("Баланс"));
    }
};

QTEST_GUILESS_MAIN(SendPlanTest)
#include "SendPlanTest.moc"
