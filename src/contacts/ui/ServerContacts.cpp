#include "ServerContacts.h"

#include "contacts/ContactBook.h"
#include "contacts/ContactRecords.h"
#include "platform/ui/Prompts.h"
#include "service/ContactsPayload.h"
#include "service/ServiceClient.h"
#include "widgets/WorkerCall.h"

#include <functional>
#include <optional>

namespace ServerContacts {

namespace {

bool ask(QWidget* owner, const QString& question) {
    return Prompts::message(owner, question, kCaption, QMessageBox::Question,
                            QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::Yes) == QMessageBox::Yes;
}

// The request runs on a worker while the window keeps painting, with its input blocked
// and the busy cursor until the reply is in. An error instead of a reply (a failing
// settings store) is named in an error box, and `done` does not run.
template <typename Result>
void runRequest(QWidget* owner, std::function<Result()> request, std::function<void(Result)> done) {
    runWithInputBlocked<Result>(
        owner, Qt::WaitCursor, std::move(request), std::move(done),
        [owner](const QString& failure) { Prompts::error(owner, failure); });
}

} // namespace

void upload(std::shared_ptr<ServiceClient> client, QWidget* owner, const ContactBook& book) {
    if (!ask(owner, kUploadQuestion))
        return;
    const QString payload = ContactsPayload::build(book.groups());
    runRequest<bool>(
        owner, [client, payload] { return client->SaveContactsOnServer(payload); },
        [owner](bool saved) {
            if (saved)
                Prompts::message(owner, kUploaded, kCaption, QMessageBox::Information);
            else
                Prompts::message(owner, kUploadFailed, kErrorCaption, QMessageBox::Critical);
        });
}

void download(std::shared_ptr<ServiceClient> client, QWidget* owner, ContactBook& book,
              std::function<void()> replaced) {
    if (!ask(owner, kDownloadQuestion))
        return;
    runRequest<std::optional<TContacts>>(
        owner,
        [client]() -> std::optional<TContacts> {
            TContacts records;
            if (!client->LoadContactsFromServer(records))
                return std::nullopt;
            return records;
        },
        [owner, &book, replaced = std::move(replaced)](std::optional<TContacts> records) {
            if (!records) {
                Prompts::message(owner, kDownloadFailed, kErrorCaption, QMessageBox::Critical);
                return;
            }
            if (records->isEmpty()) {
                Prompts::message(owner, kNothingStored, kCaption, QMessageBox::Information);
                return;
            }
            book.setGroups(
                ContactRecords::toBook(*records, ContactRecords::FlagMeaning::ServerDownload));
            if (replaced)
                replaced();
            Prompts::message(owner, kDownloaded, kDoneCaption, QMessageBox::Information);
        });
}

} // namespace ServerContacts
