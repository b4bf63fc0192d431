#include "ContactTreeView.h"

#include "contacts/BookDrop.h"
#include "contacts/BookSearch.h"
#include "contacts/ContactBook.h"
#include "platform/ui/Prompts.h"

#include <QAction>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace {

const QString kDeleteGroupQuestion = QStringLiteral("Вы действительно хотите удалить группу ");
const QString kDeleteContactQuestion = QStringLiteral("Вы действительно хотите удалить абонента ");
const QChar kQuote = QLatin1Char('"');

} // namespace

ContactTreeView::ContactTreeView(QWidget* parent)
    : QTreeView(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setIndentation(kIndent);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    // The selection stays as visible when the tree loses the focus.
    QPalette palette = this->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    setPalette(palette);

    connect(this, &QTreeView::expanded, this,
            [this](const QModelIndex& index) { rememberExpansion(index, true); });
    connect(this, &QTreeView::collapsed, this,
            [this](const QModelIndex& index) { rememberExpansion(index, false); });
}

void ContactTreeView::setBook(ContactBook* book) {
    if (m_book)
        disconnect(m_book, nullptr, this, nullptr);
    m_book = book;
    setModel(book);
    if (!book)
        return;
    connect(book, &QAbstractItemModel::modelReset, this, &ContactTreeView::showAllExpansions);
    connect(book, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parent, int first, int last) {
                if (parent.isValid()) {
                    showExpansion(parent);
                    return;
                }
                for (int row = first; row <= last; ++row)
                    showExpansion(m_book->groupIndex(row));
            });
    connect(book, &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex&, int, int, const QModelIndex& destination) {
                if (destination.isValid())
                    showExpansion(destination);
            });
    connect(book, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles) {
                if (!roles.isEmpty() && !roles.contains(ContactBook::ExpandedRole))
                    return;
                if (!ContactBook::isGroup(topLeft))
                    return;
                for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
                    showExpansion(m_book->groupIndex(row));
            });
    showAllExpansions();
}

QModelIndex ContactTreeView::selectedEntry() const {
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !selectionModel() || !selectionModel()->isSelected(current))
        return {};
    return current;
}

void ContactTreeView::selectEntry(const QModelIndex& index) {
    if (!index.isValid())
        return;
    setCurrentIndex(index);
    scrollTo(index);
}

void ContactTreeView::ContactTreeDblClick() {
    if (!m_book)
        return;
    const std::optional<PageRequest> page = ContactPage::pageOf(*m_book, selectedEntry());
    if (page && openPage)
        openPage(*page);
}

void ContactTreeView::ContactTreeMouseUp(Qt::MouseButton button, const QPoint& pos) {
    if (button != Qt::LeftButton || !m_book)
        return;
    const QModelIndex index = indexAt(pos);
    if (!ContactBook::isGroup(index))
        return;
    m_book->setExpanded(index, !m_book->data(index, ContactBook::ExpandedRole).toBool());
}

void ContactTreeView::ContactTreeContextPopup(const QPoint& pos) {
    const QModelIndex index = indexAt(pos);
    if (index.isValid())
        setCurrentIndex(index);
}

void ContactTreeView::fitMenuToSelection(QAction* sendAction, QAction* sortAction) const {
    const QModelIndex selected = selectedEntry();
    const bool group = ContactBook::isGroup(selected);
    if (sendAction) {
        sendAction->setText(group ? kSendGroupCaption : kSendCaption);
        sendAction->setEnabled(selected.isValid());
    }
    if (sortAction) {
        sortAction->setText(!selected.isValid() ? kSortCaption
                            : group             ? kSortGroupsCaption
                                                : kSortContactsCaption);
        sortAction->setEnabled(selected.isValid());
    }
}

bool ContactTreeView::ContactTreeDragOver(const QModelIndex& target) const {
    return BookDrop::accepts(selectedEntry(), target);
}

bool ContactTreeView::ContactTreeDragDrop(const QModelIndex& target) {
    const QModelIndex dragged = selectedEntry();
    if (!m_book || !BookDrop::accepts(dragged, target))
        return false;
    const BookEdit edit = BookEdit::drop(*m_book, dragged, target);
    selectEntry(BookDrop::drop(*m_book, dragged, target));
    save(edit);
    return true;
}

void ContactTreeView::ContactTreeKeyDown(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ContactTreeDblClick();
        break;
    case Qt::Key_F3: {
        const std::optional<QString> answer =
            Prompts::inputText(window(), kSearchCaption, kSearchPrompt);
        if (answer && m_book)
            selectEntry(BookSearch::findNext(*m_book, selectedEntry(), *answer));
        break;
    }
    default:
        break;
    }
}

void ContactTreeView::ButDelContactClick() {
    const QModelIndex selected = selectedEntry();
    if (!m_book || !selected.isValid())
        return;
    const QString question =
        (ContactBook::isGroup(selected) ? kDeleteGroupQuestion : kDeleteContactQuestion) + kQuote +
        m_book->entry(selected).caption + kQuote + QLatin1Char('?');
    if (!Prompts::confirm(window(), question))
        return;
    const BookEdit edit = BookEdit::remove(*m_book, selected);
    m_book->removeRows(selected.row(), 1, selected.parent());
    save(edit);
}

void ContactTreeView::sortSelected() {
    const QModelIndex anchor = selectedEntry();
    if (!m_book || !anchor.isValid())
        return;
    m_sortAnchor = anchor;
    const BookEdit edit = BookEdit::sort(*m_book, anchor);
    if (ContactBook::isContact(anchor))
        m_book->sortContacts(anchor.parent());
    else
        m_book->sortGroups();
    save(edit);
}

QIcon ContactTreeView::sortPicture() {
    // Lines growing downwards beside an arrow: "from short to long".
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    const QColor ink(0x30, 0x40, 0x80);
    painter.setPen(ink);
    for (int line = 0; line < 4; ++line)
        painter.drawLine(7, 3 + line * 3, 8 + line * 2, 3 + line * 3);
    painter.drawLine(3, 2, 3, 13);
    painter.setBrush(ink);
    const QPoint arrow[] = {QPoint(0, 11), QPoint(6, 11), QPoint(3, 14)};
    painter.drawPolygon(arrow, 3);
    return QIcon(picture);
}

void ContactTreeView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    ContactTreeMouseUp(event->button(), event->position().toPoint());
}

void ContactTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        ContactTreeDblClick();
}

void ContactTreeView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F3:
        ContactTreeKeyDown(event->key());
        event->accept();
        return;
    default:
        QTreeView::keyPressEvent(event);
    }
}

void ContactTreeView::startDrag(Qt::DropActions) {
    const QModelIndex dragged = selectedEntry();
    if (!dragged.isValid())
        return;
    // The book moves the entry itself on the drop; the drag only carries the gesture, so the
    // view must not remove anything when it ends.
    auto* drag = new QDrag(this);
    drag->setMimeData(model()->mimeData({dragged}));
    m_dragging = true;
    drag->exec(Qt::MoveAction);
    m_dragging = false;
}

void ContactTreeView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->source() == this && m_dragging)
        event->acceptProposedAction();
    else
        event->ignore();
}

void ContactTreeView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->source() != this || !m_dragging) {
        event->ignore();
        return;
    }
    const QPoint pos = event->position().toPoint();
    const QRect area = viewport()->rect();
    const int margin = autoScrollMargin();
    if (pos.y() < area.top() + margin || pos.y() > area.bottom() - margin)
        startAutoScroll();
    if (ContactTreeDragOver(indexAt(pos))) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void ContactTreeView::dropEvent(QDropEvent* event) {
    stopAutoScroll();
    if (event->source() != this || !m_dragging ||
        !ContactTreeDragDrop(indexAt(event->position().toPoint()))) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void ContactTreeView::showExpansion(const QModelIndex& group) {
    if (m_book && ContactBook::isGroup(group))
        setExpanded(group, m_book->data(group, ContactBook::ExpandedRole).toBool());
}

void ContactTreeView::showAllExpansions() {
    if (!m_book)
        return;
    for (int row = 0; row < m_book->groupCount(); ++row)
        showExpansion(m_book->groupIndex(row));
}

void ContactTreeView::rememberExpansion(const QModelIndex& index, bool expanded) {
    if (m_book && ContactBook::isGroup(index) &&
        m_book->data(index, ContactBook::ExpandedRole).toBool() != expanded)
        m_book->setExpanded(index, expanded);
}

void ContactTreeView::save(const BookEdit& edit) {
    if (saveContacts)
        saveContacts(edit);
}
