#include "ContactsCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"

namespace ContactsCommand {

namespace {

const QString kCommand = QStringLiteral("contacts");
const QString kHelp = QStringLiteral(
    "usage: varnelo-cli contacts list\n"
    "\n"
    "Prints the contact book in tree order, one line per entry:\n"
    "  group<TAB>EXPANDED(0|1)<TAB>CAPTION\n"
    "  contact<TAB>CAPTION<TAB>NUMBER<TAB>SIGN<TAB>SENDER<TAB>TRANSLIT(0|1)\n"
    "An old Contacts.dat is moved into the settings store first, as the desktop program\n"
    "does.");

QString flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

int run(const QStringList& arguments) {
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        CliOutput::line(kHelp);
        return CliOutput::kOk;
    }
    if (arguments != QStringList{QStringLiteral("list")})
        return CliOutput::usage(kCommand, QStringLiteral("contacts takes 'list'"));

    CliContext context;
    ContactStore store(context.registry());
    ContactBook book;
    try {
        store.LoadContacts(book);
    } catch (const ContactStoreError& e) {
        CliOutput::error(QString::fromStdString(e.what()));
        return CliOutput::kFailed;
    }
    for (const BookGroup& group : book.groups()) {
        CliOutput::record(
            {QStringLiteral("group"), flag(group.entry.expanded), group.entry.caption});
        for (const BookEntry& contact : group.contacts)
            CliOutput::record({QStringLiteral("contact"), contact.caption, contact.Number,
                               contact.Sign, contact.Sender, flag(contact.Translit)});
    }
    return CliOutput::kOk;
}

} // namespace ContactsCommand
