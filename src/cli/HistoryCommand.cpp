#include "HistoryCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "contacts/ContactBook.h"
#include "history/HistoryCsv.h"
#include "history/HistoryFile.h"
#include "history/HistoryFilter.h"
#include "history/HistoryXlsx.h"
#include "platform/SaveFile.h"

#include <QCommandLineParser>

#include <optional>

namespace HistoryCommand {

namespace {

const QString kCommand = QStringLiteral("history");
const QString kHelp = QStringLiteral(
    "usage: varnelo-cli history [--number N] [--format tsv|csv|xlsx] [--output FILE]\n"
    "\n"
    "Prints the history of sent messages in file order (oldest first); with --number only\n"
    "the records of that number. With --output FILE the records go to that file instead,\n"
    "which is replaced as a whole or not at all.\n"
    "\n"
    "--format tsv (the default): one record per line: id, \"DD.MM.YYYY HH:MM:SS\", status,\n"
    "number, sender, text, sign. TAB and line breaks inside a text are printed as blanks.\n"
    "\n"
    "--format csv: CSV as in RFC 4180 (UTF-8, comma, CR LF after each row; a field with a\n"
    "comma, quote or line break stands in double quotes, its quotes doubled), a header row,\n"
    "then the columns id, sent (ISO 8601 local time, 2025-03-04T05:06:07), number, contact\n"
    "(the contact book's name for the number), sender, text, signature, status (the stored\n"
    "number) and status_text (the history window's legend text for it). It is meant for\n"
    "scripts: the header stays in English and fields are written as they are, so a\n"
    "spreadsheet may take a text beginning with \"=\" for a formula; use xlsx for spreadsheets.\n"
    "\n"
    "--format xlsx (needs --output): an Excel workbook as the history window exports it:\n"
    "Russian titles, the moment as a date-time, the status as its legend text on its colour\n"
    "and every text as text.");

const QString kTsv = QStringLiteral("tsv");
const QString kCsv = QStringLiteral("csv");
const QString kXlsx = QStringLiteral("xlsx");

// The history keeps the first 14 characters of a number.
constexpr qsizetype kStoredNumberLength = 14;

// Output goes to the terminal in pieces of about this size, so a long history needs no second
// copy in memory.
constexpr qsizetype kChunk = 1 << 20;

// One line of CliOutput::record, for a file as for the terminal.
QByteArray tsvLine(const TMess& record) {
    const QDateTime moment = record.moment();
    QStringList fields{QString::number(record.Id),
                       moment.isValid() ? moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))
                                        : QString(),
                       QString::number(record.Status),
                       record.Number,
                       record.Sender,
                       record.Text,
                       record.Sign};
    for (QString& field : fields)
        for (QChar& c : field)
            if (c == u'\t' || c == u'\r' || c == u'\n')
                c = u' ';
    return fields.join(u'\t').toUtf8() + '\n';
}

} // namespace

int run(const QStringList& arguments, const CliContext::OpenStore& openStore) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption number(QStringLiteral("number"), QString(), QStringLiteral("N"));
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("FORMAT"),
                                    kTsv);
    const QCommandLineOption output(QStringLiteral("output"), QString(), QStringLiteral("FILE"));
    parser.addOptions({help, number, format, output});
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
    if (formatName != kTsv && formatName != kCsv && formatName != kXlsx)
        return CliOutput::usage(
            kCommand, QStringLiteral("unknown format '%1' (tsv, csv or xlsx)").arg(formatName));
    const bool csv = formatName == kCsv;
    const bool xlsx = formatName == kXlsx;
    const bool toFile = parser.isSet(output);
    const QString outputPath = parser.value(output);
    if (toFile && outputPath.isEmpty())
        return CliOutput::usage(kCommand, QStringLiteral("--output needs a file name"));
    if (xlsx && !toFile)
        return CliOutput::usage(kCommand, QStringLiteral("format 'xlsx' needs --output FILE"));

    CliContext context(openStore);
    QHash<QString, QString> contactNames;
    if (csv || xlsx) {
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
    std::optional<HistoryXlsx> workbook;
    if (xlsx)
        workbook.emplace(outputPath);
    QByteArray pending = csv ? writer.header() : QByteArray();
    for (const TMess& record : records) {
        if (filter && record.Number != wanted)
            continue;
        if (xlsx)
            workbook->appendRow(record, contactNames.value(record.Number));
        else if (csv)
            writer.appendRow(pending, record, contactNames.value(record.Number));
        else
            pending += tsvLine(record);
        if (!toFile && pending.size() >= kChunk) {
            CliOutput::raw(pending);
            pending.resize(0);
        }
    }
    if (!error.isEmpty()) {
        // A file already there is kept rather than replaced by a part of the history.
        if (!toFile)
            CliOutput::raw(pending);
        CliOutput::error(error);
        return CliOutput::kFailed;
    }
    if (!toFile) {
        CliOutput::raw(pending);
        return CliOutput::kOk;
    }
    const QString saveError =
        xlsx ? workbook->close() : saveFileAtomically(outputPath, pending, FileAccess::Ordinary);
    if (!saveError.isEmpty()) {
        CliOutput::error(QStringLiteral("cannot write %1: %2").arg(outputPath, saveError));
        return CliOutput::kFailed;
    }
    return CliOutput::kOk;
}

} // namespace HistoryCommand
