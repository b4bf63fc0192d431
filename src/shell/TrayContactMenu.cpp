#include "TrayContactMenu.h"

#include "contacts/ContactBook.h"

#include <QAction>
#include <QMenu>

namespace {

constexpr int kGroupImage = 0;
constexpr int kContactImage = 1;

// Captions are the user's own texts: an "&" in them is a character, not an access key.
QString menuText(const QString& caption) {
    QString text = caption;
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

TrayContactMenu::TrayContactMenu(QMenu* menu, const QList<QIcon>& images, QObject* parent)
    : QObject(parent)
    , m_menu(menu)
    , m_images(images) {
    // An empty group keeps its separator, so two may follow each other; Qt would merge them.
    if (m_menu)
        m_menu->setSeparatorsCollapsible(false);
}

TrayContactMenu::~TrayContactMenu() {
    freeItems();
}

void TrayContactMenu::rebuild(const ContactBook& book, bool menuWithGroup) {
    freeItems();
    if (!m_menu)
        return;
    const QList<BookGroup> groups = book.groups();
    for (qsizetype g = 0; g < groups.size(); ++g) {
        const BookGroup& group = groups[g];
        QMenu* into = m_menu;
        if (menuWithGroup) {
            if (group.contacts.isEmpty()) {
                auto* item = new QAction(menuText(group.entry.caption), m_menu);
                m_menu->addAction(item);
                m_groupItems.append(item);
                continue;
            }
            into = new QMenu(menuText(group.entry.caption), m_menu);
            into->setIcon(m_images.value(kGroupImage));
            m_menu->addMenu(into);
            m_groupMenus.append(into);
            m_groupItems.append(into->menuAction());
        }
        for (const BookEntry& entry : group.contacts)
            addContactItem(
                into,
                TrayContact{entry.Sender, entry.Name, entry.Number, entry.Sign, entry.Translit},
                entry.caption);
        if (!menuWithGroup && g + 1 < groups.size())
            m_menu->addSeparator();
    }
}

void TrayContactMenu::chooseContact(const QAction* item) {
    const TrayContact contact = item->data().value<TrayContact>();
    if (!contact.Number.isEmpty())
        emit contactChosen(contact);
}

void TrayContactMenu::freeItems() {
    // The group submenus own their contact items; everything else belongs to the menu.
    for (const QPointer<QMenu>& groupMenu : std::as_const(m_groupMenus))
        delete groupMenu.data();
    m_groupMenus.clear();
    if (m_menu)
        m_menu->clear();
    m_contactItems.clear();
    m_groupItems.clear();
}

QAction* TrayContactMenu::addContactItem(QMenu* into, const TrayContact& contact,
                                         const QString& caption) {
    auto* item = new QAction(m_images.value(kContactImage), menuText(caption), into);
    item->setData(QVariant::fromValue(contact));
    connect(item, &QAction::triggered, this, [this, item] { chooseContact(item); });
    into->addAction(item);
    m_contactItems.append(item);
    return item;
}
