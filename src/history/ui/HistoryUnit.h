#pragma once

#include "history/HistoryFile.h"
#include "history/HistoryStatusQuery.h"
#include "widgets/WorkerCall.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

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

// The history window: every sent message of History.dat, newest first, all of them or those
// of one number, coloured by delivery status. It filters, sorts, repeats and deletes, and asks
// the service for the status of pending messages, by itself once per showing and on request.
// Lives for the run and is only hidden.
class THistoryForm : public QWidget {
    Q_OBJECT
public:
    explicit THistoryForm(QWidget* parent = nullptr, const HistoryFile& file = HistoryFile());
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

    // Controls.
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QFrame* Panel3 = nullptr;
    QLabel* LoadingLabel = nullptr;
    QTableView* ListView = nullptr;
    QList<QLabel*> LegendBoxes;
    QList<QLabel*> LegendLabels;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* ExportButton = nullptr; // "Экспорт..."
    QToolButton* SpeedButton2 = nullptr;
    QStatusBar* Stat = nullptr;
    QTimer* Timer1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* N4 = nullptr; // "Повторить сообщение"
    QAction* N3 = nullptr;
    QAction* N6 = nullptr; // "Запросить статус"
    QAction* N5 = nullptr;
    QAction* N1 = nullptr; // "Удалить"
    QAction* N2 = nullptr; // "Удалить все"

public slots:
    // The fill without the automatic status query: after a send, a delete, "Отобрать". Does
    // nothing while the window is hidden, which has no rows and fills when shown.
    void Refill();

    // Handlers.
    void SpeedButton1Click();
    // Saves the rows shown, in their order, as CSV for a spreadsheet in a Russian locale.
    void ExportButtonClick();
    void SpeedButton3Click();
    void Timer1Timer();
    void ListViewColumnClick(int column);
    void PopupMenu1Popup();
    void N4Click();
    void N6Click();
    void N1Click();
    void N2Click();

signals:
    // A status query has ended, its changes made to the rows (tests wait for it).
    void statusQueryFinished(bool ok);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenu();
    void dressInSkin();
    void FormShow();
    void fill(bool asShow);
    void showTotal();
    void deleteRows(bool all);
    QList<int> selectedRows() const; // in list order
    bool canUseStatus() const;
    void runQuery(std::function<HistoryStatusQuery::Outcome()> query,
                  std::function<void(const HistoryStatusQuery::Outcome&)> done);

    HistoryFile m_file;
    // What the last fill found wrong with the file, shown after the total till the next fill.
    QString m_damageNote;
    QPointer<ContactBook> m_book;
    HistoryListModel* m_model = nullptr;
    struct RunningQuery {
        quint64 id;
        WorkerCall call;
    };
    QList<RunningQuery> m_queries;
    quint64 m_lastQueryId = 0;
    bool m_allQueryRunning = false;
};
