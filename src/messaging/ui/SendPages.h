#pragma once

#include <QIcon>
#include <QList>
#include <QWidget>

class QStackedWidget;

// The send window's page control: tabs that wrap into as many rows as they need above one
// page at a time. A page removed from it or destroyed loses its tab. The tab rows take the
// keyboard focus when clicked.
class SendPages : public QWidget {
    Q_OBJECT
public:
    explicit SendPages(QWidget* parent = nullptr);
    ~SendPages() override;

    // The pages are owned by the control.
    int addPage(QWidget* page, const QString& caption);
    // Takes the page out without destroying it; the caller then owns it.
    void takePage(QWidget* page);
    int count() const { return int(m_tabs.size()); }
    QWidget* page(int index) const;
    int indexOf(QWidget* page) const;
    int currentIndex() const { return m_current; }
    QWidget* currentPage() const { return page(m_current); }
    void setCurrentIndex(int index);
    QString tabText(int index) const;
    void setTabText(int index, const QString& caption);
    void setTabIcon(const QIcon& icon);

    // Where the active page starts inside the control: the height of the tab rows.
    int pageTop() const;
    int rowCount() const;
    // The tab under a point of the control, or -1.
    int tabAt(const QPoint& position) const;
    QRect tabRect(int index) const;
    QWidget* tabRows() const { return m_rows; }

signals:
    void currentChanged(int index);
    // Every mouse release over the tab rows, any button, in the control's coordinates.
    void tabsMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                     const QPoint& position);

private:
    friend class SendTabRows;
    struct Tab {
        QWidget* page;
        QString caption;
    };

    void removeTab(QObject* page);
    // Places every tab, row after row, for the control's width.
    void layoutTabs();
    void resizeEvent(QResizeEvent* event) override;

    QList<Tab> m_tabs;
    QList<QRect> m_rects;
    QIcon m_icon;
    int m_current = -1;
    QWidget* m_rows;
    QStackedWidget* m_stack;
};
