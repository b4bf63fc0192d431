#pragma once

#include "shell/TrayContact.h"

#include <QIcon>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>

class ContactBook;
class QAction;

// The contact submenu of the tray menu's entry "Отправить СМС". It is rebuilt from the book
// at every opening; the items of the previous opening are freed then.
class TrayContactMenu : public QObject {
    Q_OBJECT

public:
    // images: 0 for a group that has contacts, 1 for a contact.
    TrayContactMenu(QMenu* menu, const QList<QIcon>& images, QObject* parent = nullptr);
    ~TrayContactMenu() override;

    QMenu* menu() const { return m_menu; }

    // Flat (menuWithGroup false): every group's contacts in book order, groups parted by a
    // separator each, empty groups included. Grouped: one item per group with its contacts
    // in a submenu.
    void rebuild(const ContactBook& book, bool menuWithGroup);

    QList<QAction*> TrayContactItems() const { return m_contactItems; }
    QList<QAction*> TrayGroupItems() const { return m_groupItems; }

    // A contact item was chosen: a contact without a number opens nothing.
    void chooseContact(const QAction* item);

signals:
    void contactChosen(const TrayContact& contact);

private:
    void freeItems();
    QAction* addContactItem(QMenu* into, const TrayContact& contact, const QString& caption);

    QPointer<QMenu> m_menu;
    QList<QIcon> m_images;
    QList<QAction*> m_contactItems;
    QList<QAction*> m_groupItems;
    QList<QPointer<QMenu>> m_groupMenus; // children of the menu: may go with it
};
