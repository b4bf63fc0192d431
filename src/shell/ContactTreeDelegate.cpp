#include "ContactTreeDelegate.h"

#include "contacts/ContactBook.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPixmap>
#include <QStyle>
#include <QToolTip>

namespace {

QIcon iconOf(const QImage& image) {
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

} // namespace

ContactTreeDelegate::ContactTreeDelegate(const QImage& groupIcon, const QImage& contactIcon,
                                         QObject* parent)
    : QStyledItemDelegate(parent)
    , m_groupIcon(iconOf(groupIcon))
    , m_contactIcon(iconOf(contactIcon)) {
}

void ContactTreeDelegate::initStyleOption(QStyleOptionViewItem* option,
                                          const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const bool group = ContactBook::isGroup(index);
    option->font.setBold(group);
    const QIcon& icon = group ? m_groupIcon : m_contactIcon;
    if (!icon.isNull()) {
        option->icon = icon;
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->decorationSize = QSize(16, 16);
    }
}

bool ContactTreeDelegate::isElided(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QStyle* style = item.widget ? item.widget->style() : QApplication::style();
    const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget);
    // The style keeps a margin on each side of the text inside that room.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, item.widget) + 1;
    return QFontMetrics(item.font).horizontalAdvance(item.text) > room.width() - 2 * margin;
}

bool ContactTreeDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                    const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    if (isElided(option, index))
        QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(), view);
    else
        QToolTip::hideText();
    return true;
}
