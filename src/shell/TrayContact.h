#pragma once

#include <QMetaType>
#include <QString>

// What a contact item of the tray menu carries: a copy of the contact's fields, so the item
// needs nothing from the book once the menu is built.
struct TrayContact {
    QString Sender;
    QString Name;
    QString Number;
    QString Sign;
    bool Translit = false;

    bool operator==(const TrayContact&) const = default;
};

Q_DECLARE_METATYPE(TrayContact)
