#include "HistoryRecords.h"
#include "SandboxProcess.h"
#include "Screenshots.h"
#include "ServiceFixture.h"
#include "StoreDamage.h"
#include "TestProfile.h"
#include "XlsxSheet.h"
#include "contacts/ContactBook.h"
#include "history/HistoryFile.h"
#include "history/ui/HistoryColors.h"
#include "history/ui/HistoryListModel.h"
#include "history/ui/HistoryUnit.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"
#include "skins/ui/SkinUnit.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

using HistoryRecords::record;

const QString kAnna = QStringLiteral("+79001110011");
const QString kBoris = QStringLiteral("+79002220022");
const QString kTotal = QStringLiteral("Всего сообщений: ");
// Room for a slow, shared machine; a reply normally takes milliseconds.
constexpr int kReplyWaitMs = 20000;

const QColor kDelivered(170, 255, 170);
const QColor kFailed(255, 204, 204);
const QColor kExpired(225, 154, 255);
const QColor kQueued(195, 195, 195);

struct Repeated {
    QString sender, name, number, sign, text;
};

QList<qint32> shownIds(const THistoryForm& form) {
    QList<qint32> ids;
    for (const HistoryRow& row : form.model()->rows())
        ids.append(row.record.Id);
    return ids;
}

QList<qint32> storedIds() {
    QList<qint32> ids;
    for (const TMess& record : HistoryFile().readAll())
        ids.append(record.Id);
    return ids;
}

QVariant background(const THistoryForm& form, int row) {
    return form.model()->index(row, 0).data(Qt::BackgroundRole);
}

// A control of the window, by the object name it is given.
template <class T> T* control(const THistoryForm& form, const char* name) {
    return form.findChild<T*>(QLatin1String(name));
}

QLineEdit* filterEdit(const THistoryForm& form) {
    return control<QLineEdit>(form, "filterEdit");
}

QTableView* messageList(const THistoryForm& form) {
    return control<QTableView>(form, "messageList");
}

// The list's context menu: "Повторить сообщение", -, "Запросить статус", -, "Удалить",
// "Удалить все".
QList<QAction*> menuItems(const THistoryForm& form) {
    return control<QMenu>(form, "rowMenu")->actions();
}
enum MenuItem { Repeat = 0, QueryOne = 2, QueryOneSeparator = 3, Delete = 4, DeleteAll = 5 };

} // namespace

// The history window against the real sandbox service, with a real History.dat and settings
// store in a private profile.
class HistoryWindowTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    ServiceFixture m_fixture{m_profile.root()};
    SandboxProcess m_sandbox;
    QString m_key;
    ContactBook m_book;

    int statusRequests(const QString& command = QStringLiteral("QueryMessagesStatus")) const {
        return m_sandbox.logCount(command);
    }

    static void store(const QList<TMess>& records) {
        QVERIFY(HistoryFile().rewrite(records).isEmpty());
    }

    // A window as the program makes it, with the contact book wired in.
    std::unique_ptr<THistoryForm> makeForm() {
        auto form = std::make_unique<THistoryForm>(m_fixture.sharedClient());
        form->setContactBook(&m_book);
        return form;
    }

    static void selectRows(THistoryForm& form, const QList<int>& rows) {
        messageList(form)->clearSelection();
        for (const int row : rows)
            messageList(form)->selectionModel()->select(form.model()->index(row, 0),
                                                        QItemSelectionModel::Select |
                                                            QItemSelectionModel::Rows);
    }

    void setCanUseStatus(const QVariant& value) {
        Registry& registry = m_fixture.registry();
        registry.deleteValue(QString(), QStringLiteral("CanUseStatus"));
        if (value.typeId() == QMetaType::Bool)
            registry.writeBool(QString(), QStringLiteral("CanUseStatus"), value.toBool());
        else if (value.isValid())
            registry.writeString(QString(), QStringLiteral("CanUseStatus"), value.toString());
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        Prompts::enableTestMode();
        {
            Registry registry;
            Settings(registry).runFirstStart({});
        }
        QVERIFY(SkinUnit::active().loadActiveSkin(m_profile.store()));
        QVERIFY2(m_sandbox.start({QStringLiteral("--status-step-ms"), QStringLiteral("100000")}),
                 qPrintable(m_sandbox.errorString()));

        BookEntry group;
        group.caption = QStringLiteral("Друзья");
        const QModelIndex friends = m_book.appendGroup(group);
        BookEntry anna;
        anna.caption = anna.Name = QStringLiteral("Анна Ёлкина");
        anna.Number = kAnna;
        m_book.appendContact(friends, anna);
    }

    void init() {
        QVERIFY(m_sandbox.reset());
        m_fixture.reset(m_sandbox.port());
        m_key = m_sandbox.createAccount({{QStringLiteral("balance"), QStringLiteral("1000")}});
        QCOMPARE(m_key.size(), 48);
        QFile::remove(HistoryFile::defaultPath());
        Prompts::takeAsked();
    }

    void controlsAndColours() {
        auto form = makeForm();
        QCOMPARE(form->minimumSize(), QSize(688, 150));
        QVERIFY(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(control<QLabel>(*form, "title")->text(), QStringLiteral("История сообщений"));
        QVERIFY(control<QLabel>(*form, "title")->font().bold());
        QCOMPARE(control<QLabel>(*form, "subtitle")->text(),
                 QStringLiteral("Посмотреть отправленные сообщения и их статус"));
        QCOMPARE(control<QLabel>(*form, "filterLabel")->text(), QStringLiteral("Фильтр"));
        QCOMPARE(control<QToolButton>(*form, "applyFilterButton")->text(),
                 QStringLiteral("Отобрать"));
        QCOMPARE(control<QToolButton>(*form, "refreshStatusesButton")->text(),
                 QStringLiteral("Обновить статус сообщений"));
        QCOMPARE(control<QToolButton>(*form, "closeButton")->text(), QStringLiteral("Закрыть"));
        QVERIFY(!form->canRefreshStatuses());
        QCOMPARE(control<QLabel>(*form, "loadingLabel")->text(), QStringLiteral("Загрузка..."));
        QCOMPARE(control<QTimer>(*form, "autoQueryTimer")->interval(), 100);
        QVERIFY(!form->autoQueryScheduled());
        QStringList headers;
        for (int column = 0; column < form->model()->columnCount(); ++column)
            headers << form->model()->headerData(column, Qt::Horizontal).toString();
        QCOMPARE(headers, (QStringList{"ID", "Дата / Время", "Кому", "Отправитель", "Сообщение"}));
        QVERIFY(messageList(*form)->showGrid());
        QCOMPARE(messageList(*form)->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(messageList(*form)->selectionBehavior(), QAbstractItemView::SelectRows);

        QStringList menu;
        for (QAction* action : menuItems(*form))
            menu << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(menu, (QStringList{"Повторить сообщение", "-", "Запросить статус", "-", "Удалить",
                                    "Удалить все"}));
        QCOMPARE(control<QMenu>(*form, "rowMenu")->defaultAction(), menuItems(*form)[Repeat]);

        const SkinUnit& skin = SkinUnit::active();
        QStringList legend;
        for (QLabel* label : form->findChildren<QLabel*>(QStringLiteral("legendText")))
            legend << label->text();
        QCOMPARE(legend, (QStringList{"Отправлено", "Доставлено", "Ошибка при отправке",
                                      "Не отправлено (кончились СМС)", "Истекло время ожидания",
                                      "В очереди", "Результат отправки неизвестен"}));
        const QList<QColor> boxes{skin.Other(),          kDelivered, kFailed,
                                  QColor(156, 156, 255), kExpired,   kQueued};
        const QList<QLabel*> boxLabels = form->findChildren<QLabel*>(QStringLiteral("legendBox"));
        for (int i = 0; i < boxes.size(); ++i)
            QCOMPARE(boxLabels[i]->palette().color(QPalette::Window), boxes[i]);
        QCOMPARE(messageList(*form)->palette().color(QPalette::Base), skin.Other());
        QCOMPARE(filterEdit(*form)->palette().color(QPalette::Base), skin.Other());
        QCOMPARE(form->palette().color(QPalette::Window), skin.Main());
        QCOMPARE(control<QStatusBar>(*form, "statusBar")->palette().color(QPalette::Window),
                 skin.Main());
        QCOMPARE(control<QLabel>(*form, "title")->palette().color(QPalette::WindowText),
                 skin.CaptionText());
    }

    void rowsCellsAndCaption() {
        const QDateTime early(QDate(2026, 1, 2), QTime(3, 4, 5));
        store(
            {record(11, kAnna, QStringLiteral("Первое"), 10, "Shop", QStringLiteral("Ваш"), early),
             record(12, kBoris, QStringLiteral("Второе"), 11)});
        auto form = makeForm();
        form->showForNumber(QString());
        QCOMPARE(form->windowTitle(), QStringLiteral("История"));
        QCOMPARE(shownIds(*form), (QList<qint32>{12, 11})); // newest first
        QCOMPARE(form->statusText(), kTotal + "2");
        QVERIFY(messageList(*form)->isVisible());
        const QAbstractItemModel* model = form->model();
        QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("11"));
        QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("02.01.2026 03:04:05"));
        QCOMPARE(model->index(1, 2).data().toString(), QStringLiteral("Анна Ёлкина"));
        QCOMPARE(model->index(0, 2).data().toString(), kBoris);
        QCOMPARE(model->index(1, 3).data().toString(), QStringLiteral("Shop"));
        QCOMPARE(model->index(1, 4).data().toString(), QStringLiteral("Первое Ваш"));
        QCOMPARE(model->index(0, 4).data().toString(), QStringLiteral("Второе"));
        // "Сообщение" takes what the other four columns leave of the list.
        form->resize(900, 400);
        QApplication::processEvents();
        const QHeaderView* header = messageList(*form)->horizontalHeader();
        QVERIFY(header->isVisible());
        QVERIFY(header->height() > 0);
        int others = 0;
        for (int column = 0; column < 4; ++column)
            others += header->sectionSize(column);
        QCOMPARE(header->sectionSize(4), messageList(*form)->viewport()->width() - others);
    }

    // Opened from a compose page whose number has no messages.
    void emptyNumber() {
        store({record(1, kAnna, "a"), record(2, kBoris, "b")});
        auto form = makeForm();
        form->showForNumber(QStringLiteral("+79009998877"));
        QCOMPARE(form->windowTitle(), QStringLiteral("История для номера +79009998877"));
        QCOMPARE(form->model()->rowCount(), 0);
        QCOMPARE(form->statusText(), kTotal + "0");
        QVERIFY(!form->canRefreshStatuses());
        QVERIFY(!form->autoQueryScheduled());
        QVERIFY(!form->statusQueryRunning());
        QCOMPARE(statusRequests(), 0);
    }

    void oneAutomaticQueryPerShowNoneOnRefill() {
        const qint32 delivered = m_sandbox.sendMessage(m_key, kAnna);
        const qint32 stillSent = m_sandbox.sendMessage(m_key, kBoris);
        QVERIFY(m_sandbox.setMessageStatus(delivered, 11));
        store({record(delivered, kAnna, "a"), record(stillSent, kBoris, "b")});
        auto form = makeForm();
        QSignalSpy finished(form.get(), &THistoryForm::statusQueryFinished);

        form->show();
        QVERIFY(form->canRefreshStatuses());
        QVERIFY(form->autoQueryScheduled());
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kReplyWaitMs);
        QCOMPARE(finished.at(0).at(0).toBool(), true);
        QVERIFY(!form->autoQueryScheduled());
        QCOMPARE(statusRequests(), 1);
        QCOMPARE(background(*form, 1), QVariant(kDelivered));
        QVERIFY(!background(*form, 0).isValid());
        QVERIFY(form->canRefreshStatuses()); // one is still pending

        form->Refill();
        QVERIFY(!form->autoQueryScheduled());
        QVERIFY(!form->statusQueryRunning());
        // Opened again for another number while visible: a refill too.
        form->showForNumber(kBoris);
        QVERIFY(!form->autoQueryScheduled());
        QCOMPARE(shownIds(*form), QList<qint32>{stillSent});
        QCOMPARE(statusRequests(), 1);

        form->close();
        form->showForNumber(kBoris);
        QVERIFY(form->autoQueryScheduled());
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, kReplyWaitMs);
        QCOMPARE(statusRequests(), 2);
    }

    // The sandbox moves the statuses on; the query brings them into the file and the rows.
    void statusesArriveAndRecolourRows() {
        QVERIFY(m_sandbox.changeSettings({{QStringLiteral("statusStepMs"), 1}}));
        const qint32 delivered = m_sandbox.sendMessage(m_key, QStringLiteral("+79001234511"));
        const qint32 failed = m_sandbox.sendMessage(m_key, QStringLiteral("+79001234500"));
        const qint32 expired = m_sandbox.sendMessage(m_key, QStringLiteral("+79001234599"));
        const qint32 queued = m_sandbox.sendMessage(m_key, QStringLiteral("+79001234522"));
        QVERIFY(m_sandbox.setMessageStatus(queued, 1));
        const qint32 sent = m_sandbox.sendMessage(m_key, kAnna);
        QVERIFY(m_sandbox.setMessageStatus(sent, 10));
        for (const qint32 id : {delivered, failed, expired})
            QTRY_VERIFY(m_sandbox.admin("GET", QStringLiteral("/admin/messages/%1").arg(id))
                                .value("status")
                                .toInt() != 10 &&
                        m_sandbox.admin("GET", QStringLiteral("/admin/messages/%1").arg(id))
                                .value("status")
                                .toInt() != 1);
        // Not asked again: the service's last word on it.
        const TMess noMessagesLeft = record(sent + 100, kBoris, QStringLiteral("Акция"), 3);
        store({noMessagesLeft,
               record(queued, "+79001234522", QStringLiteral("Встреча в 10:00"), 10, "Office"),
               record(expired, "+79001234599", QStringLiteral("Код подтверждения 4711")),
               record(failed, "+79001234500", QStringLiteral("Заказ готов к выдаче")),
               record(delivered, "+79001234511", QStringLiteral("Счёт оплачен"), 10, "Shop",
                      QStringLiteral("Ваш магазин")),
               record(sent, kAnna, QStringLiteral("Привет! Как дела?"), 10, "Varnelo",
                      QStringLiteral("Маша"))});
        auto form = makeForm();
        QSignalSpy finished(form.get(), &THistoryForm::statusQueryFinished);
        form->show();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kReplyWaitMs);

        QCOMPARE(shownIds(*form),
                 (QList<qint32>{sent, delivered, failed, expired, queued, noMessagesLeft.Id}));
        QVERIFY(!background(*form, 0).isValid());
        QCOMPARE(background(*form, 1), QVariant(kDelivered));
        QCOMPARE(background(*form, 2), QVariant(kFailed));
        QCOMPARE(background(*form, 3), QVariant(kExpired));
        QCOMPARE(background(*form, 4), QVariant(kQueued));
        QCOMPARE(background(*form, 5), QVariant(QColor(156, 156, 255)));
        QCOMPARE(form->statusText(), kTotal + "6");
        QVERIFY(form->canRefreshStatuses()); // "В очереди" is asked again
        QList<quint8> statuses;
        for (const TMess& stored : HistoryFile().readAll())
            statuses << stored.Status;
        QCOMPARE(statuses, (QList<quint8>{3, 1, 12, 2, 11, 10}));

        if (Screenshots::wanted()) {
            form->resize(form->minimumWidth(), 360);
            QApplication::processEvents();
            QVERIFY(Screenshots::save(form.get(), QStringLiteral("history")));
        }
    }

    void failedQuery_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("count");
        QTest::newRow("server answers 500") << "http500" << 1;
        QTest::newRow("connection dropped") << "close" << 2;
        QTest::newRow("garbage reply") << "garbage" << 1;
    }
    void failedQuery() {
        QFETCH(QString, mode);
        QFETCH(int, count);
        const qint32 id = m_sandbox.sendMessage(m_key, kAnna);
        QVERIFY(m_sandbox.setMessageStatus(id, 11));
        store({record(id, kAnna, "a")});
        auto form = makeForm();
        QSignalSpy finished(form.get(), &THistoryForm::statusQueryFinished);
        QVERIFY(m_sandbox.failNext(count, mode));
        form->show();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kReplyWaitMs);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QCOMPARE(form->statusText(), QStringLiteral("Ошибка при подключении!"));
        QVERIFY(!background(*form, 0).isValid());
        QCOMPARE(HistoryFile().readAll().value(0).Status, TMess::kStatusSent);
        QVERIFY(form->canRefreshStatuses()); // the user may try again

        m_sandbox.admin("DELETE", QStringLiteral("/admin/faults"));
        form->refreshStatuses();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, kReplyWaitMs);
        QCOMPARE(background(*form, 0), QVariant(kDelivered));
        QCOMPARE(form->statusText(), kTotal + "1");
        QVERIFY(!form->canRefreshStatuses());
    }

    // A settings store that fails under the query's worker is named in the status bar, not
    // taken for a connection failure; the window stays in use.
    void storeFailureUnderTheWorker_data() {
        QTest::addColumn<int>("damage");
        for (const auto damage : StoreDamage::kAllKinds)
            QTest::newRow(qPrintable(StoreDamage::name(damage))) << int(damage);
    }
    void storeFailureUnderTheWorker() {
        QFETCH(int, damage);
        const qint32 id = m_sandbox.sendMessage(m_key, kAnna);
        store({record(id, kAnna, "a")});
        auto form = makeForm();
        QSignalSpy finished(form.get(), &THistoryForm::statusQueryFinished);
        const int requests = int(m_sandbox.log().size());
        QVERIFY(StoreDamage::apply(StoreDamage::Kind(damage), m_fixture.registry().filePath()));
        form->show();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kReplyWaitMs);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QVERIFY2(StoreDamage::isReported(form->statusText(), m_fixture.registry().filePath()),
                 qPrintable(form->statusText()));
        QCOMPARE(int(m_sandbox.log().size()), requests);
        QCOMPARE(form->model()->rowCount(), 1);
        QVERIFY(form->canRefreshStatuses());
        form->updateRowMenu();
    }

    // While the service is slow to answer, the window fills without waiting for it.
    void fillDuringAQueryDoesNotWait() {
        const qint32 id = m_sandbox.sendMessage(m_key, kAnna);
        QVERIFY(m_sandbox.setMessageStatus(id, 11));
        store({record(id, kAnna, "a")});
        auto form = makeForm();
        QSignalSpy finished(form.get(), &THistoryForm::statusQueryFinished);
        QVERIFY(m_sandbox.failNext(1, QStringLiteral("delay"), 1500));
        form->show();
        QTRY_COMPARE(m_sandbox.admin("GET", "/admin/faults").value("remaining").toInt(), 0);
        QVERIFY(HistoryFile().AppendHistory(record(id + 1, kBoris, "new"), 3000).isEmpty());
        form->Refill();
        QVERIFY(form->statusQueryRunning());
        QCOMPARE(shownIds(*form), (QList<qint32>{id + 1, id}));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kReplyWaitMs);
        QCOMPARE(background(*form, 1), QVariant(kDelivered));
        const QList<TMess> stored = HistoryFile().readAll();
        QCOMPARE(stored.size(), 2);
        QCOMPARE(stored[0].Status, quint8(11));
        QCOMPARE(stored[1].Status, TMess::kStatusSent);
    }

    void freeTextFilter_data() {
        QTest::addColumn<QString>("numberFilter");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enterKey");
        QTest::addColumn<QList<qint32>>("shown");
        QTest::newRow("contact name, small letters") << ""
                                                     << "ёлкина" << false << QList<qint32>{2, 1};
        QTest::newRow("contact name by Enter") << ""
                                               << "АННА" << true << QList<qint32>{2, 1};
        QTest::newRow("number") << ""
                                << "2220022" << false << QList<qint32>{3};
        QTest::newRow("sender in another case") << ""
                                                << "магазин" << false << QList<qint32>{3};
        QTest::newRow("text in capitals") << ""
                                          << "ПРИВЕТ" << true << QList<qint32>{1};
        QTest::newRow("date") << ""
                              << "05.11.2026" << false << QList<qint32>{2};
        QTest::newRow("within one number") << kAnna << "пока" << false << QList<qint32>{2};
        QTest::newRow("no match") << ""
                                  << "ничего" << false << QList<qint32>{};
    }
    void freeTextFilter() {
        QFETCH(QString, numberFilter);
        QFETCH(QString, text);
        QFETCH(bool, enterKey);
        QFETCH(QList<qint32>, shown);
        store({record(1, kAnna, QStringLiteral("Привет, как дела?")),
               record(2, kAnna, QStringLiteral("Пока!"), 11, "Varnelo", {},
                      QDateTime(QDate(2026, 11, 5), QTime(9, 30))),
               record(3, kBoris, QStringLiteral("Скидки"), 10, QStringLiteral("Магазин"))});
        auto form = makeForm();
        form->showForNumber(numberFilter);
        filterEdit(*form)->setText(text);
        if (enterKey)
            QTest::keyClick(filterEdit(*form), Qt::Key_Return);
        else
            control<QToolButton>(*form, "applyFilterButton")->click();
        QCOMPARE(shownIds(*form), shown);
        QVERIFY(form->windowTitle().endsWith(QStringLiteral(" [Фильтр: \"") + text + "\"]"));
        QCOMPARE(form->statusText(), kTotal + QString::number(shown.size()));
        QVERIFY(form->FilterText.isEmpty());
    }

    // "Экспорт..." saves the rows shown, filter and order applied, as CSV for a Russian
    // spreadsheet: a byte order mark, ";" between fields, quotes where a field needs them,
    // Russian titles, the status as its legend text, and "'" before a text that a spreadsheet
    // would take for a formula.
    void exportShownRows() {
        store({record(1, kAnna, QStringLiteral("Привет; как дела?"), 11),
               record(2, kBoris, QStringLiteral("Привет, \"друг\""), 255, QStringLiteral("Магазин"),
                      QStringLiteral("Оля")),
               record(3, kAnna, QStringLiteral("Пока"), 2),
               record(4, kBoris, QStringLiteral("=ПРИВЕТ()"), 10, QStringLiteral("-Магазин"))});
        auto form = makeForm();
        form->showForNumber(QString());
        filterEdit(*form)->setText(QStringLiteral("привет"));
        form->applyFilter();
        QCOMPARE(shownIds(*form), (QList<qint32>{4, 2, 1}));

        const QString path = m_profile.root() + QStringLiteral("/export/история.csv");
        Prompts::queueAnswer(path);
        control<QToolButton>(*form, "exportButton")->click();
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].kind, QStringLiteral("save file"));
        QCOMPARE(asked[0].caption, QStringLiteral("Экспорт истории"));
        QVERIFY(asked[0].initial.endsWith(QStringLiteral("/История.xlsx")));
        QCOMPARE(asked[0].text,
                 QStringLiteral("Книга Excel (*.xlsx);;Файлы CSV (*.csv);;Все файлы (*)"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(),
                 "\xEF\xBB\xBF" +
                     QStringLiteral("№;Отправлено;Номер;Контакт;Отправитель;Текст;Подпись;"
                                    "Статус\r\n"
                                    "4;2026-12-08T10:00:00;+79002220022;;'-Магазин;'=ПРИВЕТ();;"
                                    "Отправлено\r\n"
                                    "2;2026-12-08T10:00:00;+79002220022;;Магазин;"
                                    "\"Привет, \"\"друг\"\"\";Оля;\r\n"
                                    "1;2026-12-08T10:00:00;+79001110011;Анна Ёлкина;Varnelo;"
                                    "\"Привет; как дела?\";;Доставлено\r\n")
                         .toUtf8());
        file.close();

        // Any other name gets a workbook of the same rows.
        const QString book = m_profile.root() + QStringLiteral("/export/история.xlsx");
        Prompts::queueAnswer(book);
        form->exportRows();
        QCOMPARE(Prompts::takeAsked().size(), 1);
        QCOMPARE(xlsxRow(readXlsx(book), 4, 8).mid(3),
                 (QStringList{"text:Анна Ёлкина", "text:Varnelo", "text:Привет; как дела?", "",
                              "text:Доставлено"}));

        // Cancelled: nothing is written.
        QVERIFY(file.remove());
        form->exportRows();
        QCOMPARE(Prompts::takeAsked().size(), 1);
        QVERIFY(!file.exists());

        // A place that cannot take the file: the user is told, with the path.
        const QString blocked = m_profile.root() + QStringLiteral("/export/история.csv/x.csv");
        QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        Prompts::queueAnswer(blocked);
        form->exportRows();
        const QList<Prompts::Asked> failed = Prompts::takeAsked();
        QCOMPARE(failed.size(), 2);
        QCOMPARE(failed[1].kind, QStringLiteral("message"));
        QCOMPARE(failed[1].icon, QMessageBox::Critical);
        QVERIFY2(failed[1].text.startsWith(QStringLiteral("Не удалось сохранить файл ") + blocked),
                 qPrintable(failed[1].text));
    }

    void filterDropsOutAtNextRefill() {
        store({record(1, kAnna, "один"), record(2, kBoris, "два")});
        auto form = makeForm();
        form->showForNumber(QString());
        filterEdit(*form)->setText(QStringLiteral("ОДИН"));
        form->applyFilter();
        QCOMPARE(form->windowTitle(), QStringLiteral("История [Фильтр: \"ОДИН\"]"));
        QCOMPARE(shownIds(*form), QList<qint32>{1});
        // A send appends and refills.
        QVERIFY(HistoryFile().AppendHistory(record(3, kAnna, "три"), 3000).isEmpty());
        form->Refill();
        QCOMPARE(form->windowTitle(), QStringLiteral("История"));
        QCOMPARE(shownIds(*form), (QList<qint32>{3, 2, 1}));
        QCOMPARE(filterEdit(*form)->text(), QStringLiteral("ОДИН"));
    }

    void deleteAll_data() {
        QTest::addColumn<QString>("numberFilter");
        QTest::addColumn<QList<qint32>>("kept");
        // Anna: 1 "дом", 2 "работа"; Boris: 3 "дом", 4 "работа"; filtered by "дом".
        QTest::newRow("one number: all of it, hidden ones too") << kAnna << QList<qint32>{3, 4};
        QTest::newRow("all numbers: exactly the rows shown") << "" << QList<qint32>{2, 4};
    }
    void deleteAll() {
        QFETCH(QString, numberFilter);
        QFETCH(QList<qint32>, kept);
        store({record(1, kAnna, "дом"), record(2, kAnna, "работа"), record(3, kBoris, "дом"),
               record(4, kBoris, "работа")});
        auto form = makeForm();
        form->showForNumber(numberFilter);
        filterEdit(*form)->setText(QStringLiteral("дом"));
        form->applyFilter();

        Prompts::queueAnswer(int(QMessageBox::Yes));
        form->deleteAll();
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].caption, QStringLiteral("Подтверждение"));
        QCOMPARE(asked[0].text, QStringLiteral("Вы действительно хотите удалить все сообщения?"));
        QCOMPARE(asked[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(storedIds(), kept);
        QVERIFY(filterEdit(*form)->text().isEmpty());
        QList<qint32> stillShown;
        for (auto it = kept.crbegin(); it != kept.crend(); ++it) {
            if (numberFilter.isEmpty() || *it <= 2)
                stillShown << *it;
        }
        QCOMPARE(shownIds(*form), stillShown);
    }

    void deleteSelected_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QList<qint32>>("kept");
        QTest::newRow("yes") << int(QMessageBox::Yes) << QList<qint32>{2};
        QTest::newRow("no") << int(QMessageBox::No) << QList<qint32>{1, 2, 3};
    }
    void deleteSelected() {
        QFETCH(int, answer);
        QFETCH(QList<qint32>, kept);
        store({record(1, kAnna, "a"), record(2, kAnna, "b"), record(3, kBoris, "c")});
        auto form = makeForm();
        form->showForNumber(QString());
        selectRows(*form, {0, 2}); // ids 3 and 1
        filterEdit(*form)->setText(QStringLiteral("x"));
        Prompts::queueAnswer(answer);
        form->deleteSelected();
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text,
                 QStringLiteral("Вы действительно хотите удалить выделенные записи?"));
        QCOMPARE(storedIds(), kept);
        QVERIFY(filterEdit(*form)->text().isEmpty());
        QCOMPARE(form->model()->rowCount(), kept.size());
    }

    void contextMenu_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QVariant>("canUseStatus");
        QTest::addColumn<bool>("askOne");
        QTest::newRow("sent, allowed") << 10 << QVariant(true) << true;
        QTest::newRow("sent, setting missing") << 10 << QVariant() << false;
        QTest::newRow("sent, setting false") << 10 << QVariant(false) << false;
        QTest::newRow("sent, setting of another type") << 10 << QVariant("1") << false;
        QTest::newRow("queued, allowed") << 1 << QVariant(true) << false;
        QTest::newRow("delivered, allowed") << 11 << QVariant(true) << false;
    }
    void contextMenu() {
        QFETCH(int, status);
        QFETCH(QVariant, canUseStatus);
        QFETCH(bool, askOne);
        setCanUseStatus(canUseStatus);
        store({record(1, kAnna, "a", 11), record(2, kAnna, "b", quint8(status))});
        auto form = makeForm();
        form->showForNumber(QString());
        control<QTimer>(*form, "autoQueryTimer")->stop();

        form->updateRowMenu();
        QVERIFY(!menuItems(*form)[Repeat]->isEnabled());
        QVERIFY(!menuItems(*form)[Delete]->isEnabled());
        QVERIFY(menuItems(*form)[DeleteAll]->isEnabled());

        selectRows(*form, {0});
        form->updateRowMenu();
        QVERIFY(menuItems(*form)[Repeat]->isEnabled());
        QVERIFY(menuItems(*form)[Delete]->isEnabled());
        QCOMPARE(menuItems(*form)[QueryOne]->isVisible(), askOne);
        QCOMPARE(menuItems(*form)[QueryOneSeparator]->isVisible(), askOne);

        // Two rows: the first of them decides.
        selectRows(*form, {0, 1});
        form->updateRowMenu();
        QVERIFY(!menuItems(*form)[Repeat]->isEnabled());
        QVERIFY(menuItems(*form)[Delete]->isEnabled());
        QCOMPARE(menuItems(*form)[QueryOne]->isVisible(), askOne);
    }

    void emptyListMenu() {
        auto form = makeForm();
        form->showForNumber(QString());
        form->updateRowMenu();
        QVERIFY(!menuItems(*form)[DeleteAll]->isEnabled());
        QVERIFY(!menuItems(*form)[QueryOne]->isVisible());
    }

    void statusOfOneMessage() {
        setCanUseStatus(true);
        // The service keeps it "sent" through the automatic query, then fails it.
        const qint32 id = m_sandbox.sendMessage(m_key, kAnna);
        store({record(id, kAnna, "a"), record(id + 1, kBoris, "b", 11)});
        auto form = makeForm();
        QSignalSpy finished(form.get(), &THistoryForm::statusQueryFinished);
        form->showForNumber(QString());
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kReplyWaitMs);
        QVERIFY(m_sandbox.setMessageStatus(id, 2));

        selectRows(*form, {1});
        form->updateRowMenu();
        QVERIFY(menuItems(*form)[QueryOne]->isVisible());
        menuItems(*form)[QueryOne]->trigger();
        QCOMPARE(form->statusText(), QStringLiteral("Запрос статуса сообщения..."));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, kReplyWaitMs);
        QCOMPARE(background(*form, 1), QVariant(kFailed));
        QVERIFY(messageList(*form)->selectionModel()->selectedRows().isEmpty());
        QCOMPARE(form->statusText(), kTotal + "2");
        QCOMPARE(HistoryFile().readAll().value(0).Status, quint8(2));
        QCOMPARE(statusRequests(QStringLiteral("QueryMessageStatus")), 1);
    }

    void repeatCallsTheHook() {
        store({record(5, kAnna, QStringLiteral("Текст"), 11, "Shop", QStringLiteral("Ваш")),
               record(6, kBoris, QStringLiteral("Другой"), 11)});
        auto form = makeForm();
        QList<Repeated> calls;
        form->repeatMessage = [&](const QString& sender, const QString& name, const QString& number,
                                  const QString& sign, const QString& text) {
            calls.append({sender, name, number, sign, text});
        };
        form->showForNumber(QString());
        form->resize(900, 400);
        QApplication::processEvents();

        // A double click on empty space below the rows selects nothing and repeats nothing.
        QTest::mouseDClick(messageList(*form)->viewport(), Qt::LeftButton, {},
                           QPoint(10, messageList(*form)->viewport()->height() - 5));
        QVERIFY(calls.isEmpty());

        const QRect second = messageList(*form)->visualRect(form->model()->index(1, 2));
        QTest::mouseClick(messageList(*form)->viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(messageList(*form)->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].sender, QStringLiteral("Shop"));
        QCOMPARE(calls[0].name, QStringLiteral("Анна Ёлкина"));
        QCOMPARE(calls[0].number, kAnna);
        QCOMPARE(calls[0].sign, QStringLiteral("Ваш"));
        QCOMPARE(calls[0].text, QStringLiteral("Текст"));

        selectRows(*form, {0});
        form->repeatSelected();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls[1].name, QString()); // no contact has the number
        QCOMPARE(calls[1].number, kBoris);
        QCOMPARE(calls[1].sign, QString());
    }

    void sortByHeaderClick() {
        store({record(3, kAnna, "b"), record(10, kBoris, "a"), record(7, kAnna, "c")});
        auto form = makeForm();
        form->showForNumber(QString());
        QCOMPARE(shownIds(*form), (QList<qint32>{7, 10, 3}));
        selectRows(*form, {0}); // id 7
        messageList(*form)->horizontalHeader()->sectionClicked(4);
        QCOMPARE(shownIds(*form), (QList<qint32>{10, 3, 7}));
        // The selection stays with its row.
        QCOMPARE(messageList(*form)->selectionModel()->selectedRows().value(0).row(), 2);
        for (int click = 0; click < 2; ++click) {
            form->sortByColumn(0);
            QCOMPARE(shownIds(*form), (QList<qint32>{10, 7, 3}));
        }
    }

    void closeKeepsTheNumber() {
        store({record(1, kAnna, "a", 11)});
        auto form = makeForm();
        form->showForNumber(kAnna);
        QCOMPARE(form->model()->rowCount(), 1);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(filterEdit(*form), Qt::Key_Escape);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->model()->rowCount(), 0);
        QCOMPARE(form->NumberFilter, kAnna);
        // A hidden window is not filled by a send.
        form->Refill();
        QCOMPARE(form->model()->rowCount(), 0);
        form->show();
        QCOMPARE(form->windowTitle(), QStringLiteral("История для номера ") + kAnna);
        QCOMPARE(form->model()->rowCount(), 1);
        control<QToolButton>(*form, "closeButton")->click();
        QVERIFY(!form->isVisible());
    }

    // A file of another layout shows as empty, and a delete leaves a current, empty history.
    void foreignFileShowsEmpty() {
        QFile file(HistoryFile::defaultPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Something else entirely, not a history");
        file.close();
        auto form = makeForm();
        form->showForNumber(kAnna);
        QCOMPARE(form->model()->rowCount(), 0);
        Prompts::queueAnswer(int(QMessageBox::Yes));
        form->deleteAll();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("Varnelo History v2.2"));
    }
};

QTEST_MAIN(HistoryWindowTest)
#include "HistoryWindowTest.moc"
