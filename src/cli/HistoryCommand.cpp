#include "HistoryCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "contacts/ContactBook.h"
#include "history/HistoryCsv.h"
#include "history/HistoryFile.h"
#include "history/HistoryFilter.h"

#include <QCommandLineParser>

namespace HistoryCommand {

namespace {

const QString kCommand = QStringLiteral("history");
const QString kHelp = QStringLiteral(
    "usage: varnelo-cli history [--number N] [--format tsv|csv]\n"
    "\n"
    "Prints the history of sent messages in file order (oldest first); with --number only\n"
    "the records of that number.\n"
    "\n"
    "--format tsv (the default): one record per line: id, \"DD.MM.YYYY HH:MM:SS\", status,\n"
    "number, sender, text, sign. TAB and line breaks inside a text are printed as blanks.\n"
    "\n"
    "--format csv: CSV as in RFC 4180 (UTF-8, comma, CR LF after each row; a field with a\n"
    "comma, quote or line break stands in double quotes, its quotes doubled), a header row,\n"
    "then the columns id, sent (ISO 8601 local time, 2025-03-04T05:06:07), number, contact\n"
    "(the contact book's name for the number), sender, text, signature, status (the stored\n"
    "number) and status_text (the history window's legend text for it).");

const QString kTsv = QStringLiteral("tsv");
const QString kCsv = QStringLiteral("csv");

// The history keeps the first 14 characters of a number.
constexpr qsizetype kStoredNumberLength = 14;

// CSV goes out in pieces of about this size, so a long history needs no second copy in memory.
constexpr qsizetype kCsvChunk = 1 << 20;

void printTsv(const TMess& record) {
    const QDateTime moment = record.moment();
    CliOutput::record(
        {QString::number(record.Id),
         moment.isValid() ? moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : QString(),
         QString::number(record.Status), record.Number, record.Sender, record.Text, record.Sign});
}

} // namespace

int run(const QStringList& arguments, const CliContext::OpenStore& openStore) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption number(QStringLiteral("number"), QString(), QStringLiteral("N"));
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("FORMAT"),
                                    kTsv);
    parser.addOptions({help, number, format});
    if (!parser.parse(QStringList{kCommand} + arguments))
        return CliOutput::usage(kCommand, parser.errorText());
    if (parser.isSet(help)) {
        CliOutput::line(kHelp);
        return CliOutput::kOk;
    }
    if (!parser.positionalArguments().isEmpty())
        return CliOutput::usage(
            kCommand,
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    const QString formatName = parser.value(format);
    if (formatName != kTsv && formatName != kCsv)
        return CliOutput::usage(kCommand,
                                QStringLiteral("unknown format '%1' (tsv or csv)").arg(formatName));
    const bool csv = formatName == kCsv;

    CliContext context(openStore);
    QHash<QString, QString> contactNames;
    if (csv) {
        ContactBook book;
        if (!context.loadBook(book))
            return CliOutput::kFailed;
        contactNames = HistoryFilter::ContactNamesFrom(&book);
    }

    const HistoryFile history;
    HistoryFile::Damage damage;
    QString error = history.ConvertHistory(&damage);
    if (damage)
        CliOutput::error(damage->message());
    const HistoryFile::Damage converted = damage;
    const QList<TMess> records =
        error.isEmpty() ? history.readAll(&error, &damage) : QList<TMess>();
    if (damage && damage != converted)
        CliOutput::error(damage->message());
    const bool filter = parser.isSet(number);
    const QString wanted = parser.value(number).left(kStoredNumberLength);
    const HistoryCsv writer;
    QByteArray pending = csv ? writer.header() : QByteArray();
    for (const TMess& record : records) {
        if (filter && record.Number != wanted)
            continue;
        if (!csv) {
            printTsv(record);
            continue;
        }
        writer.appendRow(pending, record, contactNames.value(record.Number));
        if (pending.size() >= kCsvChunk) {
            CliOutput::raw(pending);
            pending.resize(0);
        }
    }
    CliOutput::raw(pending);
    if (!error.isEmpty()) {
        CliOutput::error(error);
        return CliOutput::kFailed;
    }
    return CliOutput::kOk;
}

} // namespace HistoryCommand
