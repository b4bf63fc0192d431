#pragma once

#include <QImage>
#include <QList>
#include <QStyledItemDelegate>

// Draws the contact book as the main window shows it: groups in bold with picture 0,
// contacts with picture 1 of the window's icon list.
class ContactTreeDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    ContactTreeDelegate(const QImage& groupIcon, const QImage& contactIcon,
                        QObject* parent = nullptr);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    QIcon m_groupIcon;
    QIcon m_contactIcon;
};
