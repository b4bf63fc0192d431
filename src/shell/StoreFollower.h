#pragma once

#include "shared/BookGroup.h"

#include <QObject>
#include <QTimer>

class ContactBook;
class ContactStore;
class ContactTreeView;
class Registry;
class QWidget;

// Keeps the main window in step with what other programs (varnelo-cli, a second copy) write
// to the settings store while it runs: the service address reaches the next request, and a
// book changed elsewhere replaces the one in the tree, keeping the selection and the open
// groups where they still exist. A book that the user is busy editing is replaced only once
// the edit is over; a save that meets an unseen change lets the user choose.
class StoreFollower : public QObject {
    Q_OBJECT

public:
    static inline const QString kChangedElsewhereText = QStringLiteral(
        "Контакт лист изменен другой программой, пока вы его редактировали.\r\n"
        "Сохранить ваш контакт лист вместо измененного?\r\n"
        "Если нет, загрузится измененный контакт лист, а ваше последнее изменение не "
        "сохранится.");

    StoreFollower(Registry& registry, ContactStore& store, ContactBook& book, ContactTreeView& tree,
                  QWidget* window);

    // Reads what changed in the store now (the watcher calls it after a write).
    void follow();
    // The book's save found a change it had not seen: keep the user's book or take the other.
    void resolveSaveConflict();

private:
    bool editInFlight() const;
    void followAddress();
    void followBook();
    void showBook(QList<BookGroup> groups);

    Registry& m_registry;
    ContactStore& m_store;
    ContactBook& m_book;
    ContactTreeView& m_tree;
    QWidget* m_window;
    QTimer m_retry;
};
