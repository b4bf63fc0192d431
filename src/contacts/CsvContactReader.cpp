#include "CsvContactReader.h"

#include "contacts/CsvColumns.h"
#include "contacts/CsvText.h"
#include "shared/SpreadsheetText.h"

namespace CsvContactReader {

namespace {

bool isTrue(const QString& cell) {
    const QString value = cell.trimmed().toLower();
    return value == u"1" || value == u"true" || value == u"yes" || value == u"да";
}

ImportedContact contactOf(const CsvColumns::Layout& layout, CsvText::Record row) {
    // Our export for spreadsheets puts "'" before a cell that would read as a formula.
    for (QString& field : row.fields)
        field = SpreadsheetText::unguarded(field);
    ImportedContact contact;
    contact.name = CsvColumns::nameOf(layout, row);
    contact.number = CsvColumns::numberOf(layout, row);
    contact.group = CsvColumns::groupOf(layout, row);
    contact.signature = row.field(layout.signature);
    contact.sender = row.field(layout.sender);
    contact.translit = isTrue(row.field(layout.translit));
    contact.line = row.line;
    contact.unclosedQuote = row.unclosedQuote;
    return contact;
}

} // namespace

std::optional<ImportedContacts> read(const QByteArray& bytes) {
    const QString text = CsvText::decode(bytes);
    const CsvText::Dialect dialect = CsvText::detectDialect(text);
    CsvText::RecordReader reader(text, dialect.separator, dialect.headerStart, dialect.headerLine);
    CsvText::Record row;
    while (reader.next(row) && row.isBlank()) {
    }
    if (row.isBlank())
        return std::nullopt;
    const CsvColumns::Layout layout = CsvColumns::map(row.fields);
    if (!layout.hasPhone())
        return std::nullopt;
    reader.setWidth(row.fields.size());

    ImportedContacts contacts;
    while (reader.next(row)) {
        if (!row.isBlank())
            contacts += contactOf(layout, row);
    }
    return contacts;
}

} // namespace CsvContactReader
