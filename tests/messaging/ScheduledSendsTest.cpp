#include "messaging/ScheduledSends.h"
#include "TestProfile.h"
#include "messaging/SendJournal.h"

#include <QTest>

#include <ctime>

namespace {

void useTimeZone(const char* zone) {
    qputenv("TZ", zone);
    tzset();
}

} // namespace

// The moments users type, in a zone whose summer time starts on 2027-03-28 at 02:00.
class ScheduledSendsTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    // Saturday 2027-03-27, 13:00 in Berlin (winter time, UTC+1).
    const QDateTime m_now{QDate(2027, 3, 27), QTime(12, 0), Qt::UTC};

private slots:
    void init() { useTimeZone("Europe/Berlin"); }

    void moments_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("utc");  // invalid: refused
        QTest::addColumn<QString>("answer"); // the moment in words, or the start of the error
        const auto utc = [](int day, int hour, int minute, int second = 0) {
            return QDateTime(QDate(2027, 3, day), QTime(hour, minute, second), Qt::UTC);
        };
        QTest::newRow("tomorrow 09:00, summer time by then")
            << "2027-03-28 09:00" << utc(28, 7, 0) << "завтра в 09:00";
        QTest::newRow("today, winter time")
            << "2027-03-27 18:30" << utc(27, 17, 30) << "сегодня в 18:30";
        QTest::newRow("a minute ahead, with seconds")
            << " 2027-03-27 13:01:00 " << utc(27, 12, 1) << "сегодня в 13:01";
        QTest::newRow("next month")
            << "2027-04-15 09:00" << QDateTime(QDate(2027, 4, 15), QTime(7, 0), Qt::UTC)
            << "15.04.2027 в 09:00";
        QTest::newRow("past") << "2027-03-27 12:59" << QDateTime() << "Это время уже прошло";
        QTest::newRow("under a minute")
            << "2027-03-27 13:00:59" << QDateTime() << "Время должно быть хотя бы на минуту";
        QTest::newRow("over a year")
            << "2028-04-01 12:00" << QDateTime() << "Время не может быть позже чем через год";
        QTest::newRow("words") << "завтра в 9" << QDateTime() << "Неверная дата или время";
        QTest::newRow("no such day")
            << "2027-02-30 09:00" << QDateTime() << "Неверная дата или время";
        QTest::newRow("time only") << "09:00" << QDateTime() << "Неверная дата или время";
    }
    void moments() {
        QFETCH(QString, text);
        QFETCH(QDateTime, utc);
        QFETCH(QString, answer);
        const ScheduledSends::Moment moment = ScheduledSends::parse(text, m_now);
        QCOMPARE(moment.utc, utc);
        if (utc.isValid()) {
            QCOMPARE(moment.error, QString());
            QCOMPARE(ScheduledSends::inWords(moment.utc, m_now), answer);
        } else {
            QVERIFY2(moment.error.startsWith(answer), qPrintable(moment.error));
        }
    }

    // The journal keeps the instant: another zone shows it at another hour, never moves it.
    void journalKeepsTheInstant() {
        const ScheduledSends::Moment moment = ScheduledSends::parse("2027-03-28 09:00", m_now);
        SendJournal journal(m_profile.store());
        SendJournal::Row row;
        row.numbers = QStringList{"+79160000001"};
        row.message = QStringLiteral("Доброе утро");
        const qint64 id = journal.schedule(row, moment.utc);
        useTimeZone("Asia/Vladivostok");
        QCOMPARE(journal.row(id)->due, moment.utc);
        QCOMPARE(ScheduledSends::inWords(journal.row(id)->due, m_now), "завтра в 17:00");
        journal.remove(id);
    }
};

QTEST_GUILESS_MAIN(ScheduledSendsTest)
#include "ScheduledSendsTest.moc"
