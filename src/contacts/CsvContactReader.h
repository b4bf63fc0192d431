#pragma once

#include "contacts/ImportedContact.h"

#include <QByteArray>

#include <optional>

// Contacts from a CSV table: our own export, Google Contacts' and Outlook's exports, or a
// spreadsheet saved as CSV with Russian or English headers. Encoding and separator are
// found from the bytes.
namespace CsvContactReader {

// Every non-blank row after the header, in file order, numbers as written. Nothing when the
// first non-blank row names no phone column: then the file is no contact table we can read.
std::optional<ImportedContacts> read(const QByteArray& bytes);

} // namespace CsvContactReader
