#include "StoreFollower.h"

#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "contacts/ui/ContactTreeView.h"
#include "platform/Registry.h"
#include "platform/StoreWatcher.h"
#include "platform/ui/Prompts.h"
#include "shared/Settings.h"

#include <QApplication>
#include <QHash>

namespace {

// While an edit is open, another look after this long.
constexpr int kRetryMs = 500;
// Saves in a row that may each meet yet another book stored elsewhere.
constexpr int kSaveAttempts = 5;

} // namespace

StoreFollower::StoreFollower(Registry& registry, ContactStore& store, ContactBook& book,
                             ContactTreeView& tree, QWidget* window)
    : QObject(window)
    , m_registry(registry)
    , m_store(store)
    , m_book(book)
    , m_tree(tree)
    , m_window(window) {
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &StoreFollower::followBook);
    connect(new StoreWatcher(registry.filePath(), this), &StoreWatcher::changed, this,
            &StoreFollower::follow);
}

void StoreFollower::follow() {
    followBook();
}

// A dialog, an in-place rename or a drag works on entries of the book as it is now.
bool StoreFollower::editInFlight() const {
    return QApplication::activeModalWidget() || QApplication::activePopupWidget() ||
           QApplication::mouseButtons() != Qt::NoButton || m_tree.isEditing();
}

void StoreFollower::followBook() {
    // Edits not saved yet (a book from the service, a save that failed) are made again on the
    // other book by the save that follows them.
    if (!m_edits.isEmpty())
        return;
    if (editInFlight()) {
        m_retry.start();
        return;
    }
    try {
        if (std::optional<QList<BookGroup>> groups = m_store.changedElsewhere())
            showBook(std::move(*groups));
    } catch (const ContactStoreError&) {
        // Looked at again with the next change; the next save reports a store that fails.
    }
}

void StoreFollower::showBook(QList<BookGroup> groups) {
    const std::optional<BookPlace> selected = BookPlace::of(m_book, m_tree.selectedEntry());
    const std::optional<BookPlace::Rows> rows = selected ? selected->findIn(groups) : std::nullopt;
    QHash<QString, bool> expanded;
    for (int row = 0; row < m_book.groupCount(); ++row)
        expanded.insert(m_book.group(row).entry.caption, m_book.group(row).entry.expanded);
    for (BookGroup& group : groups)
        group.entry.expanded = expanded.value(group.entry.caption, group.entry.expanded);

    m_book.setGroups(groups);
    if (!rows)
        return;
    const QModelIndex group = m_book.groupIndex(int(rows->group));
    m_tree.selectEntry(rows->contact < 0 ? group : m_book.index(int(rows->contact), 0, group));
}

void StoreFollower::record(BookEdit edit) {
    m_edits.append(std::move(edit));
}

void StoreFollower::save() {
    for (int attempt = 0; attempt < kSaveAttempts; ++attempt) {
        if (m_store.SaveContacts(m_book) != ContactStore::SaveResult::ChangedElsewhere) {
            m_edits.clear();
            return;
        }
        if (!buildOnNewerBook())
            return;
    }
}

bool StoreFollower::buildOnNewerBook() {
    const QList<BookGroup> base = m_store.syncedBook();
    std::optional<QList<BookGroup>> newer = m_store.changedElsewhere();
    if (!newer)
        return true;
    if (std::optional<QList<BookGroup>> both =
            BookEdit::rebase(m_edits, base, m_book.groups(), *newer)) {
        showBook(std::move(*both));
        return true;
    }
    // The safe answer keeps the other program's work.
    const auto answer =
        Prompts::message(m_window, kChangedElsewhereText.arg(BookEdit::countChanges(base, *newer)),
                         QStringLiteral("Подтверждение"), QMessageBox::Question,
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    m_edits.clear();
    if (answer == QMessageBox::Yes)
        m_store.SaveContacts(m_book, ContactStore::OutsideChanges::Overwrite);
    else
        showBook(std::move(*newer));
    return false;
}
