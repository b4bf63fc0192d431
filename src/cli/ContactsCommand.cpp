#include "ContactsCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/ContactsImport.h"
#include "contacts/BookExport.h"
#include "contacts/ContactBook.h"

namespace ContactsCommand {

namespace {

const QString kCommand = QStringLiteral("contacts");
const QString kHelp =
    QStringLiteral("usage: varnelo-cli contacts list\n"
                   "       varnelo-cli contacts export --format vcard|csv\n") +
    ContactsImport::kHelp +
    QStringLiteral(
        "\n"
        "list prints the contact book in tree order, one line per entry:\n"
        "  group<TAB>EXPANDED(0|1)<TAB>CAPTION\n"
        "  contact<TAB>CAPTION<TAB>NUMBER<TAB>SIGN<TAB>SENDER<TAB>TRANSLIT(0|1)\n"
        "export writes the book to stdout, UTF-8 with CR LF line ends:\n"
        "  --format vcard: a vCard 3.0 card per contact with FN, N, TEL;TYPE=CELL and the group\n"
        "    as CATEGORIES; signature, sender and transliteration as X-VARNELO-SIGNATURE,\n"
        "    X-VARNELO-SENDER and X-VARNELO-TRANSLIT. Groups without contacts are left out.\n"
        "  --format csv: CSV as in RFC 4180 with the header row\n"
        "    Группа,Имя,Телефон,Подпись,Отправитель,Транслит(0|1); a group without contacts\n"
        "    is a row with only the group.\n") +
    ContactsImport::kHelpDetails +
    QStringLiteral(
        "An old Contacts.dat is moved into the settings store first, as the desktop program\n"
        "does.");
const QString kVCard = QStringLiteral("vcard");
const QString kCsv = QStringLiteral("csv");

QString flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

int run(const QStringList& arguments, const CliContext::OpenStore& openStore) {
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        CliOutput::line(kHelp);
        return CliOutput::kOk;
    }
    if (arguments.value(0) == QLatin1String("import"))
        return ContactsImport::run(arguments.mid(1), openStore);
    const bool list = arguments == QStringList{QStringLiteral("list")};
    const bool exportCommand = arguments.value(0) == QLatin1String("export");
    if (!list && !exportCommand)
        return CliOutput::usage(kCommand,
                                QStringLiteral("contacts takes 'list', 'export' or 'import'"));
    QString format;
    if (exportCommand) {
        const QStringList options = arguments.mid(1);
        if (options.size() == 2 && options[0] == QLatin1String("--format"))
            format = options[1];
        else if (options.size() == 1 && options[0].startsWith(QLatin1String("--format=")))
            format = options[0].mid(int(qstrlen("--format=")));
        else
            return CliOutput::usage(kCommand,
                                    QStringLiteral("export takes --format vcard or --format csv"));
        if (format != kVCard && format != kCsv)
            return CliOutput::usage(
                kCommand, QStringLiteral("unknown format '%1' (vcard or csv)").arg(format));
    }

    CliContext context(openStore);
    ContactBook book;
    if (!context.loadBook(book))
        return CliOutput::kFailed;
    if (exportCommand) {
        CliOutput::raw(format == kVCard ? BookExport::toVCard(book.groups())
                                        : BookExport::toCsv(book.groups()));
        return CliOutput::kOk;
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
