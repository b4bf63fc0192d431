#include "SendPages.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionTab>
#include <QVBoxLayout>
#include <QtMath>

namespace {

constexpr int kTabPadding = 10;
constexpr int kIconSize = 16;
constexpr int kTabHeight = 22;
// What the style leaves between a tab's icon and its caption.
constexpr int kIconGap = 4;

} // namespace

// The tab rows: paints the tabs and turns clicks into page changes.
class SendTabRows : public QWidget {
public:
    explicit SendTabRows(SendPages& pages)
        : QWidget(&pages)
        , m_pages(pages) {
        setFocusPolicy(Qt::ClickFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        for (int i = 0; i < m_pages.count(); ++i) {
            QStyleOptionTab option;
            option.initFrom(this);
            option.rect = m_pages.m_rects[i];
            option.text = m_pages.m_tabs[i].caption;
            option.icon = m_pages.m_icon;
            option.iconSize = QSize(kIconSize, kIconSize);
            option.shape = QTabBar::RoundedNorth;
            option.position = QStyleOptionTab::Middle;
            if (i == m_pages.currentIndex())
                option.state |= QStyle::State_Selected;
            else
                option.state &= ~QStyle::State_Selected;
            style()->drawControl(QStyle::CE_TabBarTab, &option, &painter, this);
        }
    }
    void mousePressEvent(QMouseEvent* event) override {
        const int index = m_pages.tabAt(event->position().toPoint());
        if (index >= 0)
            m_pages.setCurrentIndex(index);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        emit m_pages.tabsMouseUp(event->button(), event->modifiers(),
                                 mapTo(&m_pages, event->position().toPoint()));
    }

private:
    SendPages& m_pages;
};

SendPages::SendPages(QWidget* parent)
    : QWidget(parent)
    , m_rows(new SendTabRows(*this))
    , m_stack(new QStackedWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_rows);
    layout->addWidget(m_stack, 1);
    m_rows->setFixedHeight(0);
}

// The pages go with the control's children; their tabs need no tidying then.
SendPages::~SendPages() {
    for (const Tab& tab : std::as_const(m_tabs))
        disconnect(tab.page, &QObject::destroyed, this, nullptr);
}

int SendPages::addPage(QWidget* page, const QString& caption) {
    m_stack->addWidget(page);
    m_tabs.append({page, caption});
    connect(page, &QObject::destroyed, this, [this](QObject* gone) { removeTab(gone); });
    layoutTabs();
    if (m_current < 0)
        setCurrentIndex(0);
    return count() - 1;
}

QWidget* SendPages::page(int index) const {
    return index >= 0 && index < count() ? m_tabs[index].page : nullptr;
}

int SendPages::indexOf(QWidget* page) const {
    for (int i = 0; i < count(); ++i) {
        if (m_tabs[i].page == page)
            return i;
    }
    return -1;
}

void SendPages::setCurrentIndex(int index) {
    if (index < -1 || index >= count())
        return;
    const bool changed = index != m_current;
    m_current = index;
    if (index >= 0)
        m_stack->setCurrentWidget(m_tabs[index].page);
    m_rows->update();
    if (changed)
        emit currentChanged(index);
}

QString SendPages::tabText(int index) const {
    return index >= 0 && index < count() ? m_tabs[index].caption : QString();
}

void SendPages::setTabText(int index, const QString& caption) {
    if (index < 0 || index >= count())
        return;
    m_tabs[index].caption = caption;
    layoutTabs();
}

void SendPages::setTabIcon(const QIcon& icon) {
    m_icon = icon;
    layoutTabs();
}

int SendPages::pageTop() const {
    return m_rows->height();
}

int SendPages::rowCount() const {
    return m_rects.isEmpty() ? 0 : m_rects.last().bottom() / m_rects.last().height() + 1;
}

int SendPages::tabAt(const QPoint& position) const {
    const QPoint inRows = position - m_rows->pos();
    for (int i = 0; i < m_rects.size(); ++i) {
        if (m_rects[i].contains(inRows))
            return i;
    }
    return -1;
}

QRect SendPages::tabRect(int index) const {
    return m_rects.value(index).translated(m_rows->pos());
}

void SendPages::takePage(QWidget* page) {
    if (indexOf(page) < 0)
        return;
    disconnect(page, &QObject::destroyed, this, nullptr);
    m_stack->removeWidget(page);
    page->setParent(nullptr);
    removeTab(page);
}

void SendPages::removeTab(QObject* page) {
    for (int i = 0; i < count(); ++i) {
        if (m_tabs[i].page != page)
            continue;
        m_tabs.removeAt(i);
        // The page is gone: its successor (or predecessor) is shown without a change signal
        // when it keeps the index; the closing code picks the page it wants active.
        if (m_current >= count())
            m_current = count() - 1;
        if (m_current >= 0)
            m_stack->setCurrentWidget(m_tabs[m_current].page);
        layoutTabs();
        return;
    }
}

void SendPages::layoutTabs() {
    m_rects.clear();
    const QFontMetricsF metrics(font());
    const int width = qMax(this->width(), 1);
    // The style's own spacing around the caption and its icon, so that no letter is cut at
    // any font size or screen scale; a fractional advance is rounded up.
    const int space = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, m_rows);
    const int tabHeight =
        qMax(kTabHeight, qCeil(metrics.height()) +
                             style()->pixelMetric(QStyle::PM_TabBarTabVSpace, nullptr, m_rows));
    int x = 0;
    int y = 0;
    for (const Tab& tab : std::as_const(m_tabs)) {
        QStyleOptionTab option;
        option.initFrom(m_rows);
        option.text = tab.caption;
        option.icon = m_icon;
        option.iconSize = QSize(kIconSize, kIconSize);
        option.shape = QTabBar::RoundedNorth;
        int content = qCeil(metrics.horizontalAdvance(tab.caption)) + qMax(2 * kTabPadding, space);
        if (!m_icon.isNull())
            content += kIconSize + kIconGap;
        const QSize size = style()->sizeFromContents(QStyle::CT_TabBarTab, &option,
                                                     QSize(content, tabHeight), m_rows);
        const int tabWidth = qMin(size.width(), width);
        if (x > 0 && x + tabWidth > width) {
            x = 0;
            y += tabHeight;
        }
        m_rects.append(QRect(x, y, tabWidth, tabHeight));
        x += tabWidth;
    }
    m_rows->setFixedHeight(m_rects.isEmpty() ? 0 : y + tabHeight);
    m_rows->update();
}

void SendPages::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutTabs();
}
