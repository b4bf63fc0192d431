#include "MainUnit.h"

#include "StoreFollower.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "contacts/ui/AddContactUnit.h"
#include "contacts/ui/ContactTreeView.h"
#include "contacts/ui/ServerContacts.h"
#include "platform/ui/Prompts.h"

#include <QBoxLayout>

// The main window's contact tree: its commands, the editor and the copy on the service.

void TMainForm::buildContactTree(QBoxLayout* layout) {
    ContactTree = new ContactTreeView(this);
    ContactTree->setObjectName(QStringLiteral("ContactTree"));
    ContactTree->setFrameShape(QFrame::NoFrame);
    ContactTree->setBook(m_book);
    ContactTree->saveContacts = [this] { SaveContacts(); };
    ContactTree->openPage = [this](const PageRequest& page) {
        if (m_options.dialogs.createNewPage)
            m_options.dialogs.createNewPage(page.sender, page.name, page.number, page.sign,
                                            page.text, page.translit, page.node);
    };
    layout->addWidget(ContactTree, 1);
}

void TMainForm::AddContactClick() {
    TAddContactForm::runAdd(
        *m_book, ContactTree->selectedEntry(), [this] { SaveContacts(); }, this);
}

void TMainForm::EditContactClick() {
    TAddContactForm::runEdit(
        *m_book, ContactTree->selectedEntry(), [this] { SaveContacts(); }, this);
}

// Both entries exist only while the service keeps contacts for the account.
void TMainForm::N21Click() {
    if (N21->isVisible())
        ServerContacts::N21Click(this, *m_book);
}

void TMainForm::N22Click() {
    if (N22->isVisible())
        ServerContacts::N22Click(this, *m_book);
}

void TMainForm::SaveContacts() {
    if (!m_store)
        return;
    try {
        if (m_store->SaveContacts(*m_book) == ContactStore::SaveResult::ChangedElsewhere)
            m_storeFollower->resolveSaveConflict();
    } catch (const ContactStoreError& error) {
        Prompts::error(this, QString::fromStdString(error.what()));
    }
    const QString notice = m_store->takeSkippedSaveNotice();
    if (!notice.isEmpty())
        Prompts::information(this, notice);
}
