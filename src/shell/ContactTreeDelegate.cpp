#include "ContactTreeDelegate.h"

#include "contacts/ContactBook.h"

#include <QPixmap>

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
