#include "ServerContacts.h"

#include "contacts/ContactBook.h"
#include "contacts/ContactRecords.h"
#include "contacts/OffThreadCall.h"
#include "platform/FailureText.h"
#include "platform/ui/Prompts.h"
#include "service/ContactsPayload.h"
#include "service/ServiceClient.h"

#include <QGuiApplication>

#include <exception>

namespace ServerContacts {

namespace {

bool ask(QWidget* owner, const QString& question) {
    return Prompts::message(owner, question, kCaption, QMessageBox::Question,
                            QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::Yes) == QMessageBox::Yes;
}

// The request runs off the UI thread, with the busy cursor while the window waits. False,
// with the user told why, when it ended in an error (a failing settings store) instead.
bool runRequest(QWidget* owner, const std::function<void()>& request) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    std::exception_ptr error;
    try {
        RunOffThread(request);
    } catch (...) {
        error = std::current_exception();
    }
    QGuiApplication::restoreOverrideCursor();
    if (error)
        Prompts::error(owner, FailureText::describe(error));
    return !error;
}

} // namespace

void upload(const ServiceClient& client, QWidget* owner, const ContactBook& book) {
    if (!ask(owner, kUploadQuestion))
        return;
    const QString payload = ContactsPayload::build(book.groups());
    bool saved = false;
    if (!runRequest(owner, [&client, &saved, payload] { saved = client.SaveContactsOnServer(payload); }))
        return;
    if (saved)
        Prompts::message(owner, kUploaded, kCaption, QMessageBox::Information);
    else
        Prompts::message(owner, kUploadFailed, kErrorCaption, QMessageBox::Critical);
}

void download(const ServiceClient& client, QWidget* owner, ContactBook& book) {
    if (!ask(owner, kDownloadQuestion))
        return;
    TContacts records;
    bool loaded = false;
    if (!runRequest(owner, [&client, &loaded, &records] {
            loaded = client.LoadContactsFromServer(records);
        }))
        return;
    if (!loaded) {
        Prompts::message(owner, kDownloadFailed, kErrorCaption, QMessageBox::Critical);
        return;
    }
    if (records.isEmpty()) {
        Prompts::message(owner, kNothingStored, kCaption, QMessageBox::Information);
        return;
    }
    book.setGroups(ContactRecords::toBook(records, ContactRecords::FlagMeaning::ServerDownload));
    Prompts::message(owner, kDownloaded, kDoneCaption, QMessageBox::Information);
}

} // namespace ServerContacts
