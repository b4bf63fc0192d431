#pragma once

#include <QImage>
#include <QList>
#include <QStyledItemDelegate>

// Draws the contact book as the main window shows it: groups in bold with picture 0,
// contacts with picture 1 of the window's icon list. The window keeps the skin's width, so a
// name too long for it ends in "…" and shows whole in its tooltip.
class ContactTreeDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    ContactTreeDelegate(const QImage& groupIcon, const QImage& contactIcon,
                        QObject* parent = nullptr);

    // Whether the entry's caption is cut short in the room `option` gives it.
    bool isElided(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    QIcon m_groupIcon;
    QIcon m_contactIcon;
};
