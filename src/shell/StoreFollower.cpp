#include "StoreFollower.h"

#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "contacts/ui/ContactTreeView.h"
#include "platform/Registry.h"
#include "platform/StoreWatcher.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceState.h"
#include "shared/Settings.h"

#include <QApplication>
#include <QHash>

namespace {

// While an edit is open, another look after this long.
constexpr int kRetryMs = 500;

// Where the selection was, by the captions that identify an entry in the store.
struct SelectedPlace {
    QString group;
    std::optional<BookEntry> contact;
};

std::optional<SelectedPlace> selectedPlace(const ContactBook& book, const QModelIndex& selected) {
    if (!selected.isValid())
        return std::nullopt;
    SelectedPlace place{book.entry(book.groupOf(selected)).caption, std::nullopt};
    if (ContactBook::isContact(selected))
        place.contact = book.entry(selected);
    return place;
}

QModelIndex findPlace(const ContactBook& book, const SelectedPlace& place) {
    const QModelIndex group = book.findGroup(place.group);
    if (!group.isValid() || !place.contact)
        return group;
    QModelIndex sameCaption;
    for (int row = 0; row < book.rowCount(group); ++row) {
        const QModelIndex contact = book.index(row, 0, group);
        const BookEntry entry = book.entry(contact);
        if (entry.caption != place.contact->caption)
            continue;
        if (entry.Number == place.contact->Number)
            return contact;
        if (!sameCaption.isValid())
            sameCaption = contact;
    }
    return sameCaption;
}

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
    followAddress();
    followBook();
}

void StoreFollower::followAddress() {
    try {
        const std::optional<Settings::ServerAddress> stored = Settings(m_registry).serverAddress();
        if (!stored)
            return;
        const Settings::ServerAddress live = ServiceState::ServiceAddress();
        if (stored->host != live.host || stored->port != live.port)
            ServiceState::SetServiceAddress(stored->host, stored->port);
    } catch (const RegistryError&) {
        // The next request reads the store itself and reports what is wrong.
    }
}

// A dialog, an in-place rename or a drag works on entries of the book as it is now.
bool StoreFollower::editInFlight() const {
    return QApplication::activeModalWidget() || QApplication::activePopupWidget() ||
           QApplication::mouseButtons() != Qt::NoButton || m_tree.isEditing();
}

void StoreFollower::followBook() {
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
    const std::optional<SelectedPlace> selected = selectedPlace(m_book, m_tree.selectedEntry());
    QHash<QString, bool> expanded;
    for (int row = 0; row < m_book.groupCount(); ++row)
        expanded.insert(m_book.group(row).entry.caption, m_book.group(row).entry.expanded);
    for (BookGroup& group : groups)
        group.entry.expanded = expanded.value(group.entry.caption, group.entry.expanded);

    m_book.setGroups(groups);
    if (selected)
        m_tree.selectEntry(findPlace(m_book, *selected));
}

void StoreFollower::resolveSaveConflict() {
    // With nothing of the user's to keep, the other book is simply shown.
    if (m_store.isUnchanged(m_book)) {
        followBook();
        return;
    }
    const auto answer = Prompts::message(m_window, kChangedElsewhereText,
                                         QStringLiteral("Подтверждение"), QMessageBox::Question,
                                         QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer == QMessageBox::Yes) {
        m_store.SaveContacts(m_book, ContactStore::OutsideChanges::Overwrite);
        return;
    }
    if (std::optional<QList<BookGroup>> groups = m_store.changedElsewhere())
        showBook(std::move(*groups));
}
