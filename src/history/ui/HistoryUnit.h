#pragma once

#include "history/HistoryFile.h"
#include "history/HistoryStatusQuery.h"
#include "widgets/WorkerCall.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class ContactBook;
class HistoryListModel;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QStatusBar;
class QTableView;
class QTimer;
class QToolButton;
class ServiceClient;

// The history window: every sent message of History.dat, newest first, all of them or those
// of one number, coloured by delivery status. It filters, sorts, repeats and deletes, and asks
// the service for the status of pending messages, by itself once per showing and on request.
// Lives for the run and is only hidden.
class THistoryForm : public QWidget {
    Q_OBJECT
public:
    // Status queries go through `client`, which also holds the settings store.
    explicit THistoryForm(std::shared_ptr<ServiceClient> client, QWidget* parent = nullptr,
                          const HistoryFile& file = HistoryFile());
    ~THistoryForm() override;

    // The book whose contact names stand for the numbers; read at every fill.
    void setContactBook(ContactBook* book);

    // Repeating a message: sender, name, number, signature and text of the row. The owner opens
    // a send page with them (no contact entry, transliteration off) and focuses the send window.
    std::function<void(const QString& sender, const QString& name, const QString& number,
                       const QString& sign, const QString& text)>
        repeatMessage;

    // Shows the messages of one number, or of all for an empty one, and brings the window to
    // the front. A hidden window is shown (and may ask for statuses); a visible one is refilled.
    void showForNumber(const QString& number);

    // The number whose messages are shown; empty for all. Kept when the window closes.
    QString NumberFilter;
    // The free text of "Отобрать", set only during the fill it starts.
    QString FilterText;

    HistoryListModel* model() const { return m_model; }
    QString statusText() const;
    // A worker of a status query is still running.
    bool statusQueryRunning() const { return !m_queries.isEmpty(); }

    // "Обновить статус сообщений" can be pressed.
    bool canRefreshStatuses() const;
    // The automatic status query of this showing is still waiting to start.
    bool autoQueryScheduled() const;

public slots:
    // The fill without the automatic status query: after a send, a delete, "Отобрать". Does
    // nothing while the window is hidden, which has no rows and fills when shown.
    void Refill();

    // "Обновить статус сообщений": asks the service for every pending message.
    void refreshStatuses();
    // Saves the rows shown, in their order, as CSV for a spreadsheet in a Russian locale.
    void exportRows();
    // "Отобрать": refills with the rows that hold the filter's text.
    void applyFilter();
    // Fits the row menu to the selection before it shows.
    void updateRowMenu();
    // The row menu: "Повторить сообщение", "Запросить статус", "Удалить", "Удалить все".
    void repeatSelected();
    void querySelectedStatus();
    void deleteSelected();
    void deleteAll();
    // A click on a column's header.
    void sortByColumn(int column);

signals:
    // A status query has ended, its changes made to the rows (tests wait for it).
    void statusQueryFinished(bool ok);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenu();
    void autoQueryDue();
    void dressInSkin();
    void fill(bool asShow);
    void showTotal();
    void deleteRows(bool all);
    QList<int> selectedRows() const; // in list order
    bool canUseStatus() const;
    void runQuery(std::function<HistoryStatusQuery::Outcome()> query,
                  std::function<void(const HistoryStatusQuery::Outcome&)> done);

    std::shared_ptr<ServiceClient> m_client;
    HistoryFile m_file;
    // What the last fill found wrong with the file, shown after the total till the next fill.
    QString m_damageNote;
    QPointer<ContactBook> m_book;
    HistoryListModel* m_model = nullptr;

    QLabel* m_banner = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_subtitle = nullptr;
    QLineEdit* m_filterEdit = nullptr;
    QToolButton* m_applyFilterButton = nullptr;
    // Holds the list and, while a long history is read, "Загрузка..." in its place.
    QFrame* m_listPanel = nullptr;
    QTableView* m_list = nullptr;
    QList<QLabel*> m_legendBoxes;
    QToolButton* m_refreshStatusesButton = nullptr;
    QToolButton* m_exportButton = nullptr;
    QToolButton* m_closeButton = nullptr;
    QStatusBar* m_statusBar = nullptr;
    // Starts the automatic status query just after a showing has painted its rows.
    QTimer* m_autoQueryTimer = nullptr;
    QMenu* m_rowMenu = nullptr;
    QAction* m_repeatAction = nullptr;
    QAction* m_queryOneSeparator = nullptr;
    QAction* m_queryOneAction = nullptr;
    QAction* m_deleteAction = nullptr;
    QAction* m_deleteAllAction = nullptr;

    struct RunningQuery {
        quint64 id;
        WorkerCall call;
    };
    QList<RunningQuery> m_queries;
    quint64 m_lastQueryId = 0;
    bool m_allQueryRunning = false;
};
