#include "MainUnit.h"

#include "StoreFollower.h"
#include "contacts/BookEdit.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "contacts/ui/AddContactUnit.h"
#include "contacts/ui/ContactTreeView.h"
#include "contacts/ui/ServerContacts.h"
#include "platform/ui/Prompts.h"

#include <QBoxLayout>

// The main window's contact tree: its commands, the editor and the copy on the service.

void TMainForm::buildContactTree(QBoxLayout* layout) {
    m_contactTree = new ContactTreeView(this);
    m_contactTree->setObjectName(QStringLiteral("contactTree"));
    m_contactTree->setFrameShape(QFrame::NoFrame);
    m_contactTree->setAccessibleName(QStringLiteral("Контакты"));
    m_contactTree->setBook(m_book);
    m_contactTree->saveContacts = [this](const BookEdit& edit) { SaveContacts(edit); };
    m_contactTree->openPage = [this](const PageRequest& page) {
        if (m_options.dialogs.createNewPage)
            m_options.dialogs.createNewPage(page.sender, page.name, page.number, page.sign,
                                            page.text, page.translit, page.node);
    };
    layout->addWidget(m_contactTree, 1);
}

void TMainForm::AddContactClick() {
    TAddContactForm::runAdd(
        *m_book, m_contactTree->selectedEntry(),
        [this](const BookEdit& edit) { SaveContacts(edit); }, this);
}

void TMainForm::EditContactClick() {
    TAddContactForm::runEdit(
        *m_book, m_contactTree->selectedEntry(),
        [this](const BookEdit& edit) { SaveContacts(edit); }, this);
}

// Both entries exist only while the service keeps contacts for the account.
void TMainForm::uploadBook() {
    if (m_uploadBookAction->isVisible())
        ServerContacts::upload(m_client, this, *m_book);
}

// The book from the service reaches the store with the next save; until then it is an edit
// of the user's like any other.
void TMainForm::downloadBook() {
    if (!m_downloadBookAction->isVisible())
        return;
    const QList<BookGroup> before = m_book->groups();
    ServerContacts::download(m_client, this, *m_book, [this, before] {
        if (m_storeFollower && !BookEdit::sameStored(before, m_book->groups()))
            m_storeFollower->record(BookEdit::replaceBook(before, m_book->groups()));
    });
}

void TMainForm::SaveContacts(const BookEdit& edit) {
    if (m_storeFollower)
        m_storeFollower->record(edit);
    SaveContacts();
}

void TMainForm::SaveContacts() {
    if (!m_storeFollower)
        return;
    try {
        m_storeFollower->save();
    } catch (const ContactStoreError& error) {
        Prompts::error(this, QString::fromStdString(error.what()));
    }
    const QString notice = m_store->takeSkippedSaveNotice();
    if (!notice.isEmpty())
        Prompts::information(this, notice);
}
