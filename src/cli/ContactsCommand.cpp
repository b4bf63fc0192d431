#include "ContactsCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/ContactsImport.h"
#include "contacts/BookExport.h"
#include "contacts/BookXlsx.h"
#include "contacts/ContactBook.h"
#include "platform/SaveFile.h"

#include <QCommandLineParser>

namespace ContactsCommand {

namespace {

const QString kCommand = QStringLiteral("contacts");
const QString kHelp =
    QStringLiteral("usage: varnelo-cli contacts list\n"
                   "       varnelo-cli contacts export --format vcard|csv|xlsx [--output FILE]\n") +
    ContactsImport::kHelp +
    QStringLiteral(
        "\n"
        "list prints the contact book in tree order, one line per entry:\n"
        "  group<TAB>EXPANDED(0|1)<TAB>CAPTION\n"
        "  contact<TAB>CAPTION<TAB>NUMBER<TAB>SIGN<TAB>SENDER<TAB>TRANSLIT(0|1)\n"
        "export writes the book to stdout, UTF-8 with CR LF line ends, or with --output FILE\n"
        "to that file, which is replaced as a whole or not at all:\n"
        "  --format vcard: a vCard 3.0 card per contact with FN, N, TEL;TYPE=CELL and the group\n"
        "    as CATEGORIES; signature, sender and transliteration as X-VARNELO-SIGNATURE,\n"
        "    X-VARNELO-SENDER and X-VARNELO-TRANSLIT. Groups without contacts are left out.\n"
        "  --format csv: CSV as in RFC 4180 with the header row\n"
        "    Группа,Имя,Телефон,Подпись,Отправитель,Транслит(0|1); a group without contacts\n"
        "    is a row with only the group. It is meant for scripts: fields are written as they\n"
        "    are, so a spreadsheet may take a name beginning with \"=\" for a formula.\n"
        "  --format xlsx (needs --output): the same table as an Excel workbook for\n"
        "    spreadsheets, every cell text.\n") +
    ContactsImport::kHelpDetails +
    QStringLiteral(
        "An old Contacts.dat is moved into the settings store first, as the desktop program\n"
        "does.");
const QString kVCard = QStringLiteral("vcard");
const QString kCsv = QStringLiteral("csv");
const QString kXlsx = QStringLiteral("xlsx");
const QString kExportUsage =
    QStringLiteral("export takes --format vcard, csv or xlsx and maybe --output FILE");

int saved(const QString& path, const QString& error) {
    if (error.isEmpty())
        return CliOutput::kOk;
    CliOutput::error(QStringLiteral("cannot write %1: %2").arg(path, error));
    return CliOutput::kFailed;
}

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
    QString outputPath;
    if (exportCommand) {
        QCommandLineParser parser;
        const QCommandLineOption formatOption(QStringLiteral("format"), QString(),
                                              QStringLiteral("FORMAT"));
        const QCommandLineOption output(QStringLiteral("output"), QString(),
                                        QStringLiteral("FILE"));
        parser.addOptions({formatOption, output});
        if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty() ||
            !parser.isSet(formatOption))
            return CliOutput::usage(kCommand, kExportUsage);
        format = parser.value(formatOption);
        outputPath = parser.value(output);
        if (format != kVCard && format != kCsv && format != kXlsx)
            return CliOutput::usage(
                kCommand, QStringLiteral("unknown format '%1' (vcard, csv or xlsx)").arg(format));
        if (parser.isSet(output) && outputPath.isEmpty())
            return CliOutput::usage(kCommand, QStringLiteral("--output needs a file name"));
        if (format == kXlsx && outputPath.isEmpty())
            return CliOutput::usage(kCommand, QStringLiteral("format 'xlsx' needs --output FILE"));
    }

    CliContext context(openStore);
    ContactBook book;
    if (!context.loadBook(book))
        return CliOutput::kFailed;
    if (exportCommand) {
        if (format == kXlsx)
            return saved(outputPath, BookXlsx::write(outputPath, book.groups()));
        const QByteArray bytes = format == kVCard ? BookExport::toVCard(book.groups())
                                                  : BookExport::toCsv(book.groups());
        if (!outputPath.isEmpty())
            return saved(outputPath, saveFileAtomically(outputPath, bytes, FileAccess::Ordinary));
        CliOutput::raw(bytes);
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
