#include "ContactsImport.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "contacts/BookImport.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactFileReader.h"
#include "contacts/ContactStore.h"
#include "contacts/PhoneNumbers.h"

#include <QFile>

namespace ContactsImport {

namespace {

const QString kCommand = QStringLiteral("contacts");
// A program that keeps saving the book between our load and save wins this many times at
// most; then the import gives up rather than loop.
constexpr int kSaveAttempts = 5;

struct Options {
    QString file;
    QString group;
    bool allNumbers = false;
};

std::optional<Options> parse(const QStringList& arguments, QString* problem) {
    Options options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--group")) {
            if (i + 1 == arguments.size()) {
                *problem = QStringLiteral("--group needs a group name");
                return std::nullopt;
            }
            options.group = arguments[++i];
        } else if (argument.startsWith(QLatin1String("--group="))) {
            options.group = argument.mid(int(qstrlen("--group=")));
        } else if (argument == QLatin1String("--all-numbers")) {
            options.allNumbers = true;
        } else if (argument.startsWith(QLatin1String("--")) || !options.file.isEmpty()) {
            *problem = QStringLiteral("unexpected '%1'").arg(argument);
            return std::nullopt;
        } else {
            options.file = argument;
        }
    }
    if (options.file.isEmpty()) {
        *problem = QStringLiteral("import needs a FILE");
        return std::nullopt;
    }
    return options;
}

QString problemText(BookImport::Problem problem) {
    switch (problem) {
    case BookImport::Problem::NoNumber:
        return QStringLiteral("no phone number");
    case BookImport::Problem::InvalidNumber:
        break;
    case BookImport::Problem::UnclosedQuote:
        return QStringLiteral("unclosed quote");
    }
    return QStringLiteral("not a valid phone number");
}

void listInvalid(const QString& file, const QList<BookImport::Invalid>& invalid) {
    for (const BookImport::Invalid& row : invalid)
        CliOutput::error(QStringLiteral("%1:%2: %3 \"%4\": %5")
                             .arg(file)
                             .arg(row.line)
                             .arg(row.name, row.number, problemText(row.problem)));
}

// The names the book could not keep as written, so the user can find them again.
void listRenamed(const QString& file, const QList<BookImport::Row>& rows) {
    for (const BookImport::Row& row : rows) {
        if (!row.originalName.isEmpty() && row.fate == BookImport::Fate::New)
            CliOutput::error(QStringLiteral("%1:%2: name \"%3\" stored as \"%4\"")
                                 .arg(file)
                                 .arg(row.line)
                                 .arg(row.originalName, row.name));
    }
}

} // namespace

int run(const QStringList& arguments, const CliContext::OpenStore& openStore) {
    QString problem;
    const std::optional<Options> options = parse(arguments, &problem);
    if (!options)
        return CliOutput::usage(kCommand, problem);

    QFile file(options->file);
    if (!file.open(QIODevice::ReadOnly)) {
        CliOutput::error(QStringLiteral("%1: %2").arg(options->file, file.errorString()));
        return CliOutput::kFailed;
    }
    const std::optional<ImportedContacts> rows = ContactFileReader::read(file.readAll());
    if (!rows) {
        CliOutput::error(QStringLiteral("%1: neither a vCard file nor a CSV file with a phone "
                                        "column")
                             .arg(options->file));
        return CliOutput::kFailed;
    }
    QString moduleError;
    const PhoneNumbers* numbers = PhoneNumbers::get(&moduleError);
    if (!numbers) {
        CliOutput::error(
            QStringLiteral("the phone number rules cannot be loaded: %1").arg(moduleError));
        return CliOutput::kFailed;
    }

    CliContext context(openStore);
    try {
        for (int attempt = 0; attempt < kSaveAttempts; ++attempt) {
            ContactStore store(context.registry());
            ContactBook book;
            store.LoadContacts(book);
            const BookImport::Plan plan =
                BookImport::plan(book.groups(), *rows, options->group, *numbers,
                                 {.allNumbers = options->allNumbers});
            BookImport::apply(book, plan);
            if (store.SaveContacts(book) == ContactStore::SaveResult::ChangedElsewhere)
                continue;
            listInvalid(options->file, plan.invalid);
            listRenamed(options->file, plan.rows);
            CliOutput::line(
                QStringLiteral("imported %1, duplicates %2, repeated in file %3, invalid %4")
                    .arg(plan.added)
                    .arg(plan.duplicates)
                    .arg(plan.repeats)
                    .arg(plan.invalid.size()));
            return CliOutput::kOk;
        }
    } catch (const ContactStoreError& e) {
        CliOutput::error(QString::fromStdString(e.what()));
        return CliOutput::kFailed;
    }
    CliOutput::error(QStringLiteral("the book kept changing while it was being saved; nothing "
                                    "was imported"));
    return CliOutput::kFailed;
}

} // namespace ContactsImport
