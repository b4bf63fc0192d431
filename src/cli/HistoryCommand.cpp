#include "HistoryCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "history/HistoryFile.h"

#include <QCommandLineParser>

namespace HistoryCommand {

namespace {

const QString kCommand = QStringLiteral("history");
const QString kHelp = QStringLiteral(
    "usage: varnelo-cli history [--number N]\n"
    "\n"
    "Prints the history of sent messages, one record per line in file order (oldest\n"
    "first): id, \"DD.MM.YYYY HH:MM:SS\", status, number, sender, text, sign. With --number\n"
    "only the records of that number. TAB and line breaks inside a text are printed as\n"
    "blanks.");

// The history keeps the first 14 characters of a number.
constexpr qsizetype kStoredNumberLength = 14;

} // namespace

int run(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption number(QStringLiteral("number"), QString(), QStringLiteral("N"));
    parser.addOptions({help, number});
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

    CliContext context;
    const HistoryFile history;
    QString error = history.ConvertHistory();
    const QList<TMess> records = error.isEmpty() ? history.readAll(&error) : QList<TMess>();
    const bool filter = parser.isSet(number);
    const QString wanted = parser.value(number).left(kStoredNumberLength);
    for (const TMess& record : records) {
        if (filter && record.Number != wanted)
            continue;
        const QDateTime moment = record.moment();
        CliOutput::record(
            {QString::number(record.Id),
             moment.isValid() ? moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : QString(),
             QString::number(record.Status), record.Number, record.Sender, record.Text,
             record.Sign});
    }
    if (!error.isEmpty()) {
        CliOutput::error(error);
        return CliOutput::kFailed;
    }
    return CliOutput::kOk;
}

} // namespace HistoryCommand
