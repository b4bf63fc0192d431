#pragma once

#include "contacts/BookEdit.h"
#include "contacts/ContactPage.h"

#include <QPersistentModelIndex>
#include <QTreeView>

#include <functional>

class ContactBook;
class QAction;

// The main window's contact tree: shows the book, opens a contact's or a group's page, flips
// groups open and shut on a click, moves entries by drag and drop, sorts, deletes and finds.
// Every change of the book it makes ends with the save hook.
class ContactTreeView : public QTreeView {
    Q_OBJECT

public:
    static inline const QString kSendCaption = QStringLiteral("Отправить СМС");
    static inline const QString kSendGroupCaption = QStringLiteral("Отправить СМС группе");
    static inline const QString kSortCaption = QStringLiteral("Сортировать");
    static inline const QString kSortGroupsCaption = QStringLiteral("Сортировать группы");
    static inline const QString kSortContactsCaption = QStringLiteral("Сортировать внутри группы");
    static inline const QString kSearchCaption = QStringLiteral("Поиск контакта");
    static inline const QString kSearchPrompt = QStringLiteral("Введите информацию для поиска");
    static constexpr int kIndent = 19;

    explicit ContactTreeView(QWidget* parent = nullptr);

    // The book shown; the view follows its groups' expanded flags and writes them back.
    void setBook(ContactBook* book);
    ContactBook* book() const { return m_book; }

    // Called with the page to open (double click, Enter, "Отправить СМС").
    std::function<void(const PageRequest& page)> openPage;
    // Called after every change of the book made here, with the change.
    std::function<void(const BookEdit& edit)> saveContacts;

    // An in-place rename or a drag is under way.
    bool isEditing() const { return state() != NoState; }

    // The selected entry, or invalid.
    QModelIndex selectedEntry() const;
    void selectEntry(const QModelIndex& index);

    // Handlers.
    void ContactTreeDblClick();
    void ContactTreeMouseUp(Qt::MouseButton button, const QPoint& pos);
    // Selects the entry at `pos` (viewport coordinates), if there is one.
    void ContactTreeContextPopup(const QPoint& pos);
    // Sets the captions of the menu's send and sort entries for the selected entry.
    void fitMenuToSelection(QAction* sendAction, QAction* sortAction) const;
    // Whether the selected entry may be dropped onto `target`.
    bool ContactTreeDragOver(const QModelIndex& target) const;
    // Moves the selected entry onto `target`; false when the drop is refused.
    bool ContactTreeDragDrop(const QModelIndex& target);
    void ContactTreeKeyDown(int key);
    void ButDelContactClick();
    // Sorts the selected entry's level: its group's contacts, or the groups.
    void sortSelected();

    QModelIndex sortAnchor() const { return m_sortAnchor; }

    // The picture of the sort entry.
    static QIcon sortPicture();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void showExpansion(const QModelIndex& group);
    void showAllExpansions();
    void rememberExpansion(const QModelIndex& index, bool expanded);
    void save(const BookEdit& edit);

    ContactBook* m_book = nullptr;
    QPersistentModelIndex m_sortAnchor;
    bool m_dragging = false;
};
