#pragma once

#include "contacts/BookEdit.h"
#include "shared/BookGroup.h"

#include <QObject>
#include <QTimer>

class ContactBook;
class ContactStore;
class ContactTreeView;
class Registry;
class QWidget;

// Keeps the main window in step with what other programs (varnelo-cli, a second copy) write
// to the settings store while it runs: a book changed elsewhere replaces the one in the tree,
// keeping the selection and the open groups where they still exist. A book that the user is busy
// editing is replaced only once the edit is over. The user's edits are recorded until they are
// saved, so that a save that meets a book changed elsewhere makes them again on that book and
// neither side's work is lost; only an edit that cannot be made there lets the user choose.
class StoreFollower : public QObject {
    Q_OBJECT

public:
    // %1: how many groups and contacts of the other program's saving the user's book undoes.
    static inline const QString kChangedElsewhereText = QStringLiteral(
        "Контакт лист изменен другой программой, пока вы его редактировали, и ваше последнее "
        "изменение нельзя к нему применить.\r\n"
        "Сохранить ваш контакт лист вместо измененного?\r\n"
        "Если сохранить ваш, пропадут изменения другой программы: %1.\r\n"
        "Если нет, загрузится измененный контакт лист, а ваше последнее изменение не "
        "сохранится.");

    StoreFollower(Registry& registry, ContactStore& store, ContactBook& book, ContactTreeView& tree,
                  QWidget* window);

    // Reads what changed in the store now (the watcher calls it after a write).
    void follow();
    // An edit the user has just made to the book; it stays recorded until a save succeeds.
    void record(BookEdit edit);
    // Saves the book. When another program stored a book since, the recorded edits are made
    // again on that one, which is shown and saved. Throws ContactStoreError.
    void save();

private:
    bool editInFlight() const;
    void followBook();
    void showBook(QList<BookGroup> groups);
    // After a save met a book stored elsewhere: whether to save again (the edits were made
    // on the newer book), or the user chose and it is over.
    bool buildOnNewerBook();

    Registry& m_registry;
    ContactStore& m_store;
    ContactBook& m_book;
    ContactTreeView& m_tree;
    QWidget* m_window;
    QTimer m_retry;
    QList<BookEdit> m_edits;
};
