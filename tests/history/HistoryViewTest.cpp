#include "HistoryRecords.h"
#include "SandboxProcess.h"
#include "ServiceFixture.h"
#include "TestProfile.h"
#include "contacts/ContactBook.h"
#include "history/HistoryFile.h"
#include "history/HistoryFilter.h"
#include "history/HistoryLock.h"
#include "history/HistoryRow.h"
#include "history/HistoryStatusQuery.h"
#include "service/ServiceClient.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTest>
#include <QThread>

namespace {

using HistoryRecords::record;

const QDateTime kSentAt(QDate(2026, 12, 8), QTime(10, 15, 30));

QList<qint32> idsOf(const QList<HistoryRow>& rows) {
    QList<qint32> ids;
    for (const HistoryRow& row : rows)
        ids.append(row.record.Id);
    return ids;
}

} // namespace

// The history window's logic without a window: which records it shows, how it orders them,
// and the status queries against the real sandbox service.
class HistoryViewTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    ServiceFixture m_fixture{m_profile.root()};
    SandboxProcess m_sandbox;
    QString m_key;
    QString m_path;

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QVERIFY2(m_sandbox.start({QStringLiteral("--status-step-ms"), QStringLiteral("100000")}),
                 qPrintable(m_sandbox.errorString()));
        m_path = m_profile.root() + QStringLiteral("/History.dat");
    }

    void init() {
        QVERIFY(m_sandbox.reset());
        m_fixture.reset(m_sandbox.port());
        m_key = m_sandbox.createAccount({{QStringLiteral("balance"), QStringLiteral("100000")}});
        QCOMPARE(m_key.size(), 48);
        QFile::remove(m_path);
    }

    void compareItem_data() {
        QTest::addColumn<QString>("numberFilter");
        QTest::addColumn<QString>("filterText");
        QTest::addColumn<bool>("shown");
        // The record: Иван Петров's number, sender "Shop", text "Ёлка в субботу", sign "Маша",
        // sent 08.12.2026 10:15:30.
        QTest::newRow("all, no text") << ""
                                      << "" << true;
        QTest::newRow("its number") << "+79001112233"
                                    << "" << true;
        QTest::newRow("another number") << "+79001112234"
                                        << "" << false;
        QTest::newRow("a group's joined numbers") << "+79001112233|+7900"
                                                  << "" << false;
        QTest::newRow("name in small letters") << ""
                                               << "иван" << true;
        QTest::newRow("name in capitals") << ""
                                          << "ПЕТРОВ" << true;
        QTest::newRow("part of the number") << ""
                                            << "1112233" << true;
        QTest::newRow("sender, other case") << ""
                                            << "sHOP" << true;
        QTest::newRow("text with ё in capitals") << ""
                                                 << "ЁЛКА" << true;
        QTest::newRow("е is not ё") << ""
                                    << "елка" << false;
        QTest::newRow("the date") << ""
                                  << "08.12.2026" << true;
        QTest::newRow("the time") << ""
                                  << "10:15:30" << true;
        QTest::newRow("name runs into the number") << ""
                                                   << "петров+7900" << true;
        QTest::newRow("sender runs into the text") << ""
                                                   << "shopёлка" << true;
        QTest::newRow("text runs into the moment") << ""
                                                   << "субботу08.12" << true;
        QTest::newRow("text before sender only with a number") << ""
                                                               << "субботуshop" << false;
        QTest::newRow("number set: text runs into the sender") << "+79001112233"
                                                               << "субботуshop" << true;
        QTest::newRow("number set: sender before text no more") << "+79001112233"
                                                                << "shopёлка" << false;
        QTest::newRow("number set, text of another record") << "+79001112233"
                                                            << "дом" << false;
        QTest::newRow("the signature is not searched") << ""
                                                       << "маша" << false;
        QTest::newRow("nothing like it") << ""
                                         << "Москва" << false;
    }
    void compareItem() {
        QFETCH(QString, numberFilter);
        QFETCH(QString, filterText);
        QFETCH(bool, shown);
        const QHash<QString, QString> names{
            {QStringLiteral("+79001112233"), QStringLiteral("Иван Петров")}};
        const HistoryFilter filter(numberFilter, filterText, names);
        const TMess sent =
            record(1, QStringLiteral("+79001112233"), QStringLiteral("Ёлка в субботу"),
                   TMess::kStatusSent, QStringLiteral("Shop"), QStringLiteral("Маша"), kSentAt);
        QCOMPARE(filter.CompareItem(sent), shown);
    }

    // The moment is written as the system writes dates and times, letters included.
    void momentInAnotherLocale_data() {
        QTest::addColumn<QString>("filterText");
        QTest::addColumn<bool>("shown");
        QTest::newRow("date and time") << "12/8/26 10:15:30" << true;
        QTest::newRow("half of the day, small letters") << "30 am" << true;
        QTest::newRow("the other half") << "30 pm" << false;
        QTest::newRow("text runs into the date") << "hello12/8" << true;
    }
    void momentInAnotherLocale() {
        QFETCH(QString, filterText);
        QFETCH(bool, shown);
        const HistoryFilter filter({}, filterText, {},
                                   QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(filter.CompareItem(
                     record(1, "+79001112233", "Hello", TMess::kStatusSent, "V", {}, kSentAt)),
                 shown);
    }

    void contactNamesComeFromTheBook() {
        ContactBook book;
        BookEntry group;
        group.caption = QStringLiteral("Друзья");
        const QModelIndex friends = book.appendGroup(group);
        const QModelIndex work = book.appendGroup(group);
        BookEntry contact;
        contact.Name = QStringLiteral("Первый");
        contact.Number = QStringLiteral("+79001112233");
        book.appendContact(friends, contact);
        contact.Name = QStringLiteral("Второй с тем же номером");
        book.appendContact(work, contact);
        contact.Name = QString(40, QChar(u'Щ'));
        contact.Number = QStringLiteral("+7900111223344556");
        book.appendContact(work, contact);

        const QHash<QString, QString> names = HistoryFilter::ContactNamesFrom(&book);
        QCOMPARE(names.value(QStringLiteral("+79001112233")), QStringLiteral("Первый"));
        QCOMPARE(names.value(QStringLiteral("+79001112233445")), QString(30, QChar(u'Щ')));
        QVERIFY(HistoryFilter::ContactNamesFrom(nullptr).isEmpty());
    }

    void rowsNewestFirstWithNames() {
        const HistoryFilter filter({}, QStringLiteral("привет"),
                                   {{QStringLiteral("+79001112233"), QStringLiteral("Иван")}});
        const QList<HistoryRow> rows = rowsFromRecords(
            {record(1, "+79001112233", QStringLiteral("Привет"), TMess::kStatusSent, "V"),
             record(2, "+79004445566", QStringLiteral("Пока"), TMess::kStatusSent, "V"),
             record(3, "+79004445566", QStringLiteral("ПРИВЕТ"), TMess::kStatusSent, "V"),
             record(4, "+79001112233", QStringLiteral("привет"), TMess::kStatusSent, "V")},
            filter);
        QCOMPARE(idsOf(rows), (QList<qint32>{4, 3, 1}));
        QCOMPARE(rows[0].name, QStringLiteral("Иван"));
        QCOMPARE(rows[1].name, QString());
        QCOMPARE(rows[2].name, QStringLiteral("Иван"));
        QCOMPARE(rows[2].record.Number, QStringLiteral("+79001112233"));
    }

    void cellTexts() {
        HistoryRow row{record(77, QStringLiteral("+79001112233"), QStringLiteral("Текст"),
                              TMess::kStatusSent, QStringLiteral("Shop"), QStringLiteral("Маша"),
                              kSentAt),
                       QString()};
        QCOMPARE(HistoryColumn::cellText(row, HistoryColumn::Id), QStringLiteral("77"));
        QCOMPARE(HistoryColumn::cellText(row, HistoryColumn::Moment),
                 QStringLiteral("08.12.2026 10:15:30"));
        QCOMPARE(HistoryColumn::cellText(row, HistoryColumn::Recipient),
                 QStringLiteral("+79001112233"));
        QCOMPARE(HistoryColumn::cellText(row, HistoryColumn::Message),
                 QStringLiteral("Текст Маша"));
        row.name = QStringLiteral("Иван");
        row.record.Sign.clear();
        QCOMPARE(HistoryColumn::cellText(row, HistoryColumn::Recipient), QStringLiteral("Иван"));
        QCOMPARE(HistoryColumn::cellText(row, HistoryColumn::Message), QStringLiteral("Текст"));
        // A moment no calendar holds shows nothing rather than a made-up date.
        row.record.Date = std::numeric_limits<double>::quiet_NaN();
        QCOMPARE(HistoryColumn::cellText(row, HistoryColumn::Moment), QString());
    }

    void sortRows_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QList<qint32>>("order");
        // Ids 1..4 with moments, names, senders and texts in different orders.
        QTest::newRow("ID, largest first") << int(HistoryColumn::Id) << QList<qint32>{4, 3, 2, 1};
        QTest::newRow("moment, newest first")
            << int(HistoryColumn::Moment) << QList<qint32>{2, 4, 1, 3};
        // Code page 1251: Latin, then ё (B8), then Я (DF), then я (FF).
        QTest::newRow("recipient, name or number")
            << int(HistoryColumn::Recipient) << QList<qint32>{3, 2, 1, 4};
        QTest::newRow("sender by code page codes")
            << int(HistoryColumn::Sender) << QList<qint32>{1, 3, 2, 4};
        QTest::newRow("message with its signature")
            << int(HistoryColumn::Message) << QList<qint32>{4, 3, 2, 1};
    }
    void sortRows() {
        QFETCH(int, column);
        QFETCH(QList<qint32>, order);
        QList<HistoryRow> rows{
            {record(3, "+79000000003", QStringLiteral("b"), 10, QStringLiteral("ёж"), {},
                    QDateTime(QDate(2026, 1, 1), QTime(0, 0))),
             QString()},
            {record(1, "+79000000001", QStringLiteral("b"), 10, QStringLiteral("apple"),
                    QStringLiteral("z"), QDateTime(QDate(2026, 3, 1), QTime(0, 0))),
             QStringLiteral("Борис")},
            {record(4, "+79000000004", QStringLiteral("a"), 10, QStringLiteral("яблоко"), {},
                    QDateTime(QDate(2026, 5, 1), QTime(0, 0))),
             QStringLiteral("Вера")},
            {record(2, "+79000000002", QStringLiteral("b"), 10, QStringLiteral("Ягода"),
                    QStringLiteral("a"), QDateTime(QDate(2026, 6, 1), QTime(0, 0))),
             QStringLiteral("ёрш")},
        };
        HistoryColumn::sortRows(rows, column);
        QCOMPARE(idsOf(rows), order);
        // A second click sorts the same way again.
        HistoryColumn::sortRows(rows, column);
        QCOMPARE(idsOf(rows), order);
    }

    void equalKeysKeepTheirOrder() {
        QList<HistoryRow> rows;
        for (qint32 id : {5, 9, 1, 7})
            rows.append(
                {record(id, "+79000000001", "Same", TMess::kStatusSent, "Same"), QString()});
        const QList<qsizetype> from = HistoryColumn::sortRows(rows, HistoryColumn::Sender);
        QCOMPARE(idsOf(rows), (QList<qint32>{5, 9, 1, 7}));
        QCOMPARE(from, (QList<qsizetype>{0, 1, 2, 3}));
    }

    // 3,000 pending records: one request for all of them, the answers applied by Id.
    void queryAllAsksOnceForEveryPendingRecord() {
        QList<TMess> records;
        QHash<qint32, quint8> expected;
        for (int i = 0; i < 3000; ++i) {
            const bool undeliverable = i % 3 == 0;
            // The sandbox fails numbers ending in 00 and delivers the others.
            const QString number = QStringLiteral("+7900%1").arg(i, 5, 10, QLatin1Char('0')) +
                                   (undeliverable ? "00" : "11");
            records.append(record(0, number, "Hello"));
        }
        // Ids from one group send of all the numbers.
        QStringList numbers;
        for (const TMess& made : records)
            numbers << made.Number;
        const QByteArray request = "B" + m_key.toLatin1() + "\x01Hello\x01" +
                                   numbers.join('|').toLatin1() +
                                   "\x01Varnelo\x01"
                                   "0";
        const QList<QByteArray> ids = m_sandbox.ask(request).split('|');
        QCOMPARE(ids.size(), 3000);
        for (int i = 0; i < 3000; ++i) {
            records[i].Id = ids[i].toInt();
            QVERIFY(records[i].Id > 0);
            const bool undeliverable = i % 3 == 0;
            QVERIFY(m_sandbox.setMessageStatus(records[i].Id, undeliverable ? 2 : 11));
            expected.insert(records[i].Id, undeliverable ? 2 : 11);
        }
        // A record that is no longer pending is not asked for.
        records.append(record(999999, "+79001112233", "old", 11));
        const HistoryFile file(m_path);
        QVERIFY(file.rewrite(records).isEmpty());
        const qint64 since = m_sandbox.log().last().toObject().value("sequence").toInteger();

        const HistoryStatusQuery::Outcome outcome =
            HistoryStatusQuery::queryAll(m_fixture.client(), file);
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        QVERIFY(!outcome.anyPending);
        QCOMPARE(outcome.statuses, expected);
        const QJsonArray log = m_sandbox.log(since);
        QCOMPARE(log.size(), 1);
        QCOMPARE(m_sandbox.logCount(QStringLiteral("QueryMessagesStatus"), since), 1);
        const QList<TMess> after = file.readAll();
        QCOMPARE(after.size(), 3001);
        for (const TMess& stored : after)
            QCOMPARE(stored.Status, stored.Id == 999999 ? quint8(11) : expected.value(stored.Id));
    }

    void queryAllWithNothingPendingAsksNothing() {
        const HistoryFile file(m_path);
        QVERIFY(file.rewrite({record(5, "+79001112233", "t", 11, "V")}).isEmpty());
        const QByteArray before = [&] {
            QFile f(m_path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        const qsizetype logBefore = m_sandbox.log().size();
        const HistoryStatusQuery::Outcome outcome =
            HistoryStatusQuery::queryAll(m_fixture.client(), file);
        QVERIFY(outcome.ok);
        QVERIFY(outcome.statuses.isEmpty());
        QCOMPARE(m_sandbox.log().size(), logBefore);
        QFile f(m_path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }

    void failuresLeaveTheFile_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("count");
        QTest::newRow("server answers 500") << "http500" << 1;
        QTest::newRow("connection dropped") << "close" << 2;
        QTest::newRow("reply is no status list") << "garbage" << 1;
    }
    void failuresLeaveTheFile() {
        QFETCH(QString, mode);
        QFETCH(int, count);
        const qint32 id = m_sandbox.sendMessage(m_key, QStringLiteral("+79001112233"));
        QVERIFY(m_sandbox.setMessageStatus(id, 11));
        const HistoryFile file(m_path);
        QVERIFY(file.rewrite({record(id, "+79001112233", "Hello")}).isEmpty());
        QVERIFY(m_sandbox.failNext(count, mode));

        const HistoryStatusQuery::Outcome all =
            HistoryStatusQuery::queryAll(m_fixture.client(), file);
        QVERIFY(!all.ok);
        QCOMPARE(file.readAll().value(0).Status, TMess::kStatusSent);

        QVERIFY(m_sandbox.failNext(count, mode));
        const HistoryStatusQuery::Outcome one =
            HistoryStatusQuery::queryOne(m_fixture.client(), file, id);
        QVERIFY(!one.ok);
        QCOMPARE(file.readAll().value(0).Status, TMess::kStatusSent);
    }

    void queryOneGivesEveryRecordOfTheIdItsStatus() {
        const qint32 id = m_sandbox.sendMessage(m_key, QStringLiteral("+79001112299"));
        QVERIFY(m_sandbox.setMessageStatus(id, 12));
        const HistoryFile file(m_path);
        QVERIFY(file.rewrite({record(id, "+79001112299", "a", TMess::kStatusSent, "V"),
                              record(3, "+7", "b", TMess::kStatusSent, "V"),
                              record(id, "+79001112299", "c", TMess::kStatusSent, "V")})
                    .isEmpty());
        const HistoryStatusQuery::Outcome outcome =
            HistoryStatusQuery::queryOne(m_fixture.client(), file, id);
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        QCOMPARE(outcome.statuses, (QHash<qint32, quint8>{{id, 12}}));
        QVERIFY(outcome.anyPending); // record 3 is still "sent"
        const QList<TMess> after = file.readAll();
        QCOMPARE(after[0].Status, quint8(12));
        QCOMPARE(after[1].Status, TMess::kStatusSent);
        QCOMPARE(after[2].Status, quint8(12));
    }

    // While the service takes its time, the lock is free: a send appends its record, and the
    // answer that comes later is applied to the file with that record in it.
    void aSendDuringTheQueryIsKept() {
        const qint32 first = m_sandbox.sendMessage(m_key, QStringLiteral("+79001112233"));
        QVERIFY(m_sandbox.setMessageStatus(first, 11));
        const HistoryFile file(m_path);
        QVERIFY(file.rewrite({record(first, "+79001112233", "first")}).isEmpty());
        QVERIFY(m_sandbox.failNext(1, QStringLiteral("delay"), 1500));

        HistoryStatusQuery::Outcome outcome;
        std::unique_ptr<QThread> worker(QThread::create(
            [&] { outcome = HistoryStatusQuery::queryAll(m_fixture.client(), file); }));
        worker->start();
        // The request is at the service once the armed delay has been taken.
        QTRY_COMPARE_WITH_TIMEOUT(
            m_sandbox.admin("GET", "/admin/faults").value("remaining").toInt(), 0, 20000);
        QVERIFY(!worker->isFinished());
        QVERIFY(historyLock().tryLock());
        historyLock().unlock();
        QVERIFY(!QFile::exists(FileLock::lockFilePath(m_path)));
        QVERIFY(file.AppendHistory(record(first + 1000, "+79005556677", "second"), 3000).isEmpty());
        QVERIFY(worker->wait(30000));

        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        const QList<TMess> after = file.readAll();
        QCOMPARE(after.size(), 2);
        QCOMPARE(after[0].Status, quint8(11));
        QCOMPARE(after[1].Text, QStringLiteral("second"));
        QCOMPARE(after[1].Status, TMess::kStatusSent);
        QVERIFY(outcome.anyPending);
    }
};

QTEST_GUILESS_MAIN(HistoryViewTest)
#include "HistoryViewTest.moc"
